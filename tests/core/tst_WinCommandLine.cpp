#include "WinCommandLine.h"

#include <QTest>

using WinCommandLine::Candidate;

class tst_WinCommandLine : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void arguments_data();
    void arguments();
    void program_data();
    void program();
};

void tst_WinCommandLine::arguments_data()
{
    QTest::addColumn<QString>("rest");
    QTest::addColumn<QStringList>("argv");
    QTest::newRow("nothing") << QString() << QStringList{};
    QTest::newRow("blanks only") << QStringLiteral("  \t ") << QStringList{};
    QTest::newRow("leading blank") << QStringLiteral(" a b") << QStringList{"a", "b"};
    QTest::newRow("quoted path with blanks")
        << QStringLiteral(" \"C:\\My Scripts\\a.vbs\" x") << QStringList{"C:\\My Scripts\\a.vbs", "x"};
    QTest::newRow("empty argument") << QStringLiteral("\"\" b") << QStringList{"", "b"};
    QTest::newRow("trailing empty argument") << QStringLiteral("a \"\"") << QStringList{"a", ""};
    QTest::newRow("backslashes not before a quote")
        << QStringLiteral("a\\\\b\\c") << QStringList{"a\\\\b\\c"};
    QTest::newRow("escaped quote") << QStringLiteral("a\\\"b") << QStringList{"a\"b"};
    QTest::newRow("even backslashes then quote") << QStringLiteral("\"a\\\\\" b") << QStringList{"a\\", "b"};
    QTest::newRow("odd backslashes then quote") << QStringLiteral("a\\\\\\\"b") << QStringList{"a\\\"b"};
    QTest::newRow("three quotes give one") << QStringLiteral("\"\"\"a\"\"\"") << QStringList{"\"a\""};
    QTest::newRow("quote pair inside quotes closes")
        << QStringLiteral("\"a\"\"b c\"") << QStringList{"a\"b", "c"};
    QTest::newRow("unterminated quote") << QStringLiteral("\"a b") << QStringList{"a b"};
    QTest::newRow("quote in the middle") << QStringLiteral("a\"b c\"d e") << QStringList{"ab cd", "e"};
    QTest::newRow("shell characters are text")
        << QStringLiteral("; rm -rf ~ $(id) `x` | > <")
        << QStringList{";", "rm", "-rf", "~", "$(id)", "`x`", "|", ">", "<"};
    QTest::newRow("tabs separate") << QStringLiteral("a\tb") << QStringList{"a", "b"};
    QTest::newRow("japanese") << QStringLiteral("\"新しい フォルダ\\a.vbs\"")
                              << QStringList{"新しい フォルダ\\a.vbs"};
}

void tst_WinCommandLine::arguments()
{
    QFETCH(QString, rest);
    QFETCH(QStringList, argv);
    QCOMPARE(WinCommandLine::splitArguments(rest), argv);
}

void tst_WinCommandLine::program_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QStringList>("programs");
    QTest::addColumn<QStringList>("rests");
    QTest::newRow("empty") << QString() << QStringList{} << QStringList{};
    QTest::newRow("blanks") << QStringLiteral("   ") << QStringList{} << QStringList{};
    QTest::newRow("bare name") << QStringLiteral("notepad.exe") << QStringList{"notepad.exe"}
                               << QStringList{""};
    QTest::newRow("a leading blank: no program, the file after it is not one")
        << QStringLiteral(" /home/u/a.pls") << QStringList{} << QStringList{};
    QTest::newRow("quoted program") << QStringLiteral("\"C:\\Program Files\\x.exe\" a")
                                    << QStringList{"C:\\Program Files\\x.exe"} << QStringList{" a"};
    QTest::newRow("unterminated quoted program")
        << QStringLiteral("\"C:\\a b") << QStringList{"C:\\a b"} << QStringList{""};
    QTest::newRow("unquoted with blanks, shortest first")
        << QStringLiteral("/opt/my tools/enc a.vbs")
        << QStringList{"/opt/my", "/opt/my tools/enc", "/opt/my tools/enc a.vbs"}
        << QStringList{" tools/enc a.vbs", " a.vbs", ""};
}

void tst_WinCommandLine::program()
{
    QFETCH(QString, line);
    QFETCH(QStringList, programs);
    QFETCH(QStringList, rests);
    QStringList gotPrograms, gotRests;
    for (const Candidate& c : WinCommandLine::programCandidates(line)) {
        gotPrograms.append(c.program);
        gotRests.append(c.rest);
    }
    QCOMPARE(gotPrograms, programs);
    QCOMPARE(gotRests, rests);
}

QTEST_APPLESS_MAIN(tst_WinCommandLine)
#include "tst_WinCommandLine.moc"
