#include "HostOptions.h"

#include <QStringList>
#include <QTest>

// The script host's command line, built natively from the source it has under Wine.
class tst_HostOptions : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void switchesBeforeTheScript_data();
    void switchesBeforeTheScript();
    void engines_data();
    void engines();
};

void tst_HostOptions::switchesBeforeTheScript_data()
{
    QTest::addColumn<QStringList>("argv");
    // "logo batch timeout engine usage", the script, its arguments, the switch reported
    QTest::addColumn<QString>("understood");
    QTest::newRow("nothing: usage") << QStringList{} << "logo - 0 - usage|||";
    QTest::newRow("switches in any case, then the script")
        << QStringList{"//NoLogo", "//b", "//T:15", "//E:JScript", "a b.vbs", "x"}
        << "- batch 15 JScript -|a b.vbs|x|";
    QTest::newRow("after the script, switches and empty arguments are the script's")
        << QStringList{"a.vbs", "//B", "", "/x:1"} << "logo - 0 - -|a.vbs|[/B=],,[x=1]|";
    QTest::newRow("the last of //B and //I, //nologo and //logo wins")
        << QStringList{"//B", "//I", "//nologo", "//logo", "a.vbs"} << "logo - 0 - -|a.vbs||";
    QTest::newRow("unknown switch reported, the script still found")
        << QStringList{"//zz", "//H:CScript", "a.vbs"} << "logo - 0 - -|a.vbs||//zz";
    QTest::newRow("named arguments") << QStringList{"a.vbs", "/name:値", "/path:C:\\x", "/flag",
                                                    "/k:",   "/",        "x:y"}
                                     << "logo - 0 - -|a.vbs|[name=値],[path=C:\\x],[flag=],[k=],/,x:y|";
    QTest::newRow("//? asks for the usage; a timeout that is no number")
        << QStringList{"//?", "//T:5s", "a.vbs"} << "logo - 0 - usage|a.vbs||//T:5s";
}

void tst_HostOptions::switchesBeforeTheScript()
{
    QFETCH(QStringList, argv);
    QFETCH(QString, understood);
    std::vector<std::wstring> wide;
    for (const QString& a : argv)
        wide.push_back(a.toStdWString());
    const host::HostOptions o = host::parseHostOptions(wide);
    QString got =
        QStringList{o.logo ? "logo" : "-", o.batch ? "batch" : "-", QString::number(o.timeoutSeconds),
                    o.engine.empty() ? QStringLiteral("-") : QString::fromStdWString(o.engine),
                    o.usage ? "usage" : "-"}
            .join(u' ') +
        u'|' + QString::fromStdWString(o.script) + u'|';
    QStringList arguments; // "[name=value]" if named
    for (const std::wstring& a : o.arguments)
        arguments << QString::fromStdWString(
            host::isNamed(a) ? L'[' + host::splitNamed(a).name + L'=' + host::splitNamed(a).value + L']' : a);
    got += arguments.join(u',');
    QCOMPARE(got + u'|' + QString::fromStdWString(o.badSwitch), understood);
}

// The row's name: a script's path, or the engine //E: names.
void tst_HostOptions::engines_data()
{
    QTest::addColumn<int>("kind");
    using K = host::EngineKind;
    QTest::newRow("C:\\a\\b.vbs") << int(K::VBScript);
    QTest::newRow("Z:\\a.JS") << int(K::JScript);
    QTest::newRow("a.jse") << int(K::EncodedJScript);
    QTest::newRow("a.VBE") << int(K::EncodedVBScript);
    QTest::newRow("a.pls") << int(K::None); // perl's, not the host's
    QTest::newRow("Z:\\my.dir\\script") << int(K::None);
    QTest::newRow("a.vbs.bak") << int(K::None);
    QTest::newRow("//E:VBS") << int(K::VBScript);
    QTest::newRow("//E:javascript") << int(K::JScript);
    QTest::newRow("//E:VBScript.Encode") << int(K::EncodedVBScript);
    QTest::newRow("//E:JScript.Encode") << int(K::EncodedJScript);
    QTest::newRow("//E:Ruby") << int(K::None);
}

void tst_HostOptions::engines()
{
    QFETCH(int, kind);
    const QString tag = QString::fromUtf8(QTest::currentDataTag());
    const std::wstring name = tag.mid(4).toStdWString();
    QCOMPARE(int(tag.startsWith(QStringLiteral("//E:"))
                     ? host::engineForName(name)
                     : host::engineForExtension(host::extensionOf(tag.toStdWString()))),
             kind);
}

QTEST_GUILESS_MAIN(tst_HostOptions)
#include "tst_HostOptions.moc"
