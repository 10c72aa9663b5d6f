#include "ScriptCommands.h"
#include "ScriptKind.h"

#include <QTest>

class tst_ScriptCommands : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void runLine_data();
    void runLine();
    void encodeLine_data();
    void encodeLine();
};

void tst_ScriptCommands::runLine_data()
{
    QTest::addColumn<QString>("host");
    QTest::addColumn<QString>("script");
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QString>("line");
    const QString a = QStringLiteral("/home/u/Scripts/a.vbs");
    QTest::newRow("default answer") << "WSCRIPT.EXE" << a << "No CommLine"
                                    << "WSCRIPT.EXE \"/home/u/Scripts/a.vbs\"";
    QTest::newRow("console host with arguments") << "CSCRIPT.EXE" << a << "-t 5"
                                                 << "CSCRIPT.EXE \"/home/u/Scripts/a.vbs\" -t 5";
    QTest::newRow("blanks in the path") << "WSCRIPT.EXE"
                                        << "/home/u/My Scripts/a b.vbs"
                                        << "No CommLine"
                                        << "WSCRIPT.EXE \"/home/u/My Scripts/a b.vbs\"";
    QTest::newRow("other case is an argument") << "WSCRIPT.EXE" << a << "no commline"
                                               << "WSCRIPT.EXE \"/home/u/Scripts/a.vbs\" no commline";
    QTest::newRow("trailing blank is an argument") << "WSCRIPT.EXE" << a << "No CommLine "
                                                   << "WSCRIPT.EXE \"/home/u/Scripts/a.vbs\" No CommLine ";
    QTest::newRow("one blank") << "WSCRIPT.EXE" << a << " "
                               << "WSCRIPT.EXE \"/home/u/Scripts/a.vbs\"  ";
    QTest::newRow("shell syntax untouched") << "WSCRIPT.EXE" << a << "; rm -rf ~ $(id)"
                                            << "WSCRIPT.EXE \"/home/u/Scripts/a.vbs\" ; rm -rf ~ $(id)";
    QTest::newRow("root folder") << "WSCRIPT.EXE"
                                 << "//a.vbs"
                                 << "No CommLine"
                                 << "WSCRIPT.EXE \"//a.vbs\"";
}

void tst_ScriptCommands::runLine()
{
    QFETCH(QString, host);
    QFETCH(QString, script);
    QFETCH(QString, answer);
    QFETCH(QString, line);
    QCOMPARE(ScriptCommand::withAnswer(ScriptCommand::run(host, script), answer), line);
}

void tst_ScriptCommands::encodeLine_data()
{
    QTest::addColumn<ScriptKind>("kind");
    QTest::addColumn<QString>("script");
    QTest::addColumn<QString>("answer"); // empty: the default offered
    QTest::addColumn<QString>("line");
    const QString enc = QStringLiteral("\"/opt/enc/screnc.exe\" ");
    QTest::newRow("JavaScript, default")
        << ScriptKind::JavaScript << "/s/a.js" << QString() << enc + "\"/s/a.js\" /f \"/s/a.js.JSE\"";
    QTest::newRow("PerlScript, default")
        << ScriptKind::PerlScript << "/s/b.pls" << QString() << enc + "\"/s/b.pls\" /f \"/s/b.pls.PLE\"";
    QTest::newRow("kind, not source, names it")
        << ScriptKind::VBScript << "/s/a.js" << QString() << enc + "\"/s/a.js\" /f \"/s/a.js.VBE\"";
    QTest::newRow("blanks") << ScriptKind::VBScript << "/s/my dir/a b.vbs" << QString()
                            << enc + "\"/s/my dir/a b.vbs\" /f \"/s/my dir/a b.vbs.VBE\"";
    QTest::newRow("No CommLine: source alone") << ScriptKind::VBScript << "/s/a.vbs"
                                               << "No CommLine" << enc + "\"/s/a.vbs\"";
    QTest::newRow("typed answer, no output name") << ScriptKind::VBScript << "/s/a.vbs"
                                                  << "/e vbs" << enc + "\"/s/a.vbs\" /e vbs";
}

void tst_ScriptCommands::encodeLine()
{
    QFETCH(ScriptKind, kind);
    QFETCH(QString, script);
    QFETCH(QString, answer);
    QFETCH(QString, line);
    const QString ext = scriptKindInfo(kind).encodedExtension;
    if (answer.isEmpty())
        answer = ScriptCommand::encodeDefaultAnswer(script, ext);
    QCOMPARE(ScriptCommand::withAnswer(ScriptCommand::encode(QStringLiteral("/opt/enc/screnc.exe"), script),
                                       answer),
             line);
}

QTEST_GUILESS_MAIN(tst_ScriptCommands)
#include "tst_ScriptCommands.moc"
