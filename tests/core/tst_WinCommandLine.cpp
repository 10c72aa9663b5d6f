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
    QTest::newRow("blanks and tabs separate") << QStringLiteral(" a\tb") << QStringList{"a", "b"};
    QTest::newRow("quoted paths with blanks")
        << QStringLiteral(" \"C:\\My Scripts\\a.vbs\" x \"新しい フォルダ\\a.vbs\"")
        << QStringList{"C:\\My Scripts\\a.vbs", "x", "新しい フォルダ\\a.vbs"};
    QTest::newRow("empty arguments") << QStringLiteral("\"\" b \"\"") << QStringList{"", "b", ""};
    QTest::newRow("backslashes, escaped quote")
        << QStringLiteral("a\\\\b\\c a\\\"b") << QStringList{"a\\\\b\\c", "a\"b"};
    QTest::newRow("even and odd backslashes then quote")
        << QStringLiteral("\"a\\\\\" b\\\\\\\"c") << QStringList{"a\\", "b\\\"c"};
    QTest::newRow("three quotes give one") << QStringLiteral("\"\"\"a\"\"\"") << QStringList{"\"a\""};
    QTest::newRow("quote pair inside quotes closes")
        << QStringLiteral("\"a\"\"b c\"") << QStringList{"a\"b", "c"};
    QTest::newRow("unterminated quote") << QStringLiteral("\"a b") << QStringList{"a b"};
    QTest::newRow("quote in the middle") << QStringLiteral("a\"b c\"d e") << QStringList{"ab cd", "e"};
    QTest::newRow("shell characters are text")
        << QStringLiteral("; rm -rf ~ $(id) `x` | > <")
        << QStringList{";", "rm", "-rf", "~", "$(id)", "`x`", "|", ">", "<"};
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
    QTest::addColumn<QStringList>("candidates"); // program|rest
    QTest::newRow("blanks") << QStringLiteral("   ") << QStringList{};
    QTest::newRow("bare name") << QStringLiteral("notepad.exe") << QStringList{"notepad.exe|"};
    QTest::newRow("a leading blank: no program, the file after it is not one")
        << QStringLiteral(" /home/u/a.pls") << QStringList{};
    QTest::newRow("quoted program") << QStringLiteral("\"C:\\Program Files\\x.exe\" a")
                                    << QStringList{"C:\\Program Files\\x.exe| a"};
    QTest::newRow("unterminated quoted program") << QStringLiteral("\"C:\\a b") << QStringList{"C:\\a b|"};
    QTest::newRow("unquoted with blanks, shortest first")
        << QStringLiteral("/opt/my tools/enc a.vbs")
        << QStringList{"/opt/my| tools/enc a.vbs", "/opt/my tools/enc| a.vbs", "/opt/my tools/enc a.vbs|"};
}

void tst_WinCommandLine::program()
{
    QFETCH(QString, line);
    QFETCH(QStringList, candidates);
    QStringList got;
    for (const Candidate& c : WinCommandLine::programCandidates(line))
        got.append(c.program + u'|' + c.rest);
    QCOMPARE(got, candidates);
}

QTEST_APPLESS_MAIN(tst_WinCommandLine)
#include "tst_WinCommandLine.moc"
