#include "HostOptions.h"

#include <QStringList>
#include <QTest>

// The script host's command line, built here natively from the same source as under Wine.
class tst_HostOptions : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void switchesBeforeTheScript_data();
    void switchesBeforeTheScript();
    void namedArguments_data();
    void namedArguments();
    void engines_data();
    void engines();
};

namespace {

std::vector<std::wstring> wide(const QStringList& l)
{
    std::vector<std::wstring> v;
    for (const QString& s : l)
        v.push_back(s.toStdWString());
    return v;
}

QStringList narrow(const std::vector<std::wstring>& v)
{
    QStringList l;
    for (const std::wstring& s : v)
        l << QString::fromStdWString(s);
    return l;
}

} // namespace

void tst_HostOptions::switchesBeforeTheScript_data()
{
    QTest::addColumn<QStringList>("argv");
    // what the host understood: "logo batch timeout engine usage", the script, its arguments,
    // the switch it reports
    QTest::addColumn<QString>("options");
    QTest::addColumn<QString>("script");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("bad");
    QTest::newRow("nothing: usage") << QStringList{} << "logo - 0 - usage"
                                    << "" << QStringList{} << "";
    QTest::newRow("switches in any case, then the script")
        << QStringList{"//NoLogo", "//b", "//T:15", "a b.vbs", "x"} << "- batch 15 - -"
        << "a b.vbs" << QStringList{"x"} << "";
    QTest::newRow("a switch after the script is the script's")
        << QStringList{"a.vbs", "//B", "/x:1"} << "logo - 0 - -"
        << "a.vbs" << QStringList{"//B", "/x:1"} << "";
    QTest::newRow("the last of //B and //I wins") << QStringList{"//B", "//I", "a.vbs"} << "logo - 0 - -"
                                                  << "a.vbs" << QStringList{} << "";
    QTest::newRow("the last of //nologo and //logo wins")
        << QStringList{"//nologo", "//logo", "a.vbs"} << "logo - 0 - -"
        << "a.vbs" << QStringList{} << "";
    QTest::newRow("engine as given") << QStringList{"//E:JScript", "t.txt"} << "logo - 0 JScript -"
                                     << "t.txt" << QStringList{} << "";
    QTest::newRow("unknown switch reported, the script still found")
        << QStringList{"//zz", "//H:CScript", "a.vbs"} << "logo - 0 - -"
        << "a.vbs" << QStringList{} << "//zz";
    QTest::newRow("timeout that is no number") << QStringList{"//T:5s", "a.vbs"} << "logo - 0 - -"
                                               << "a.vbs" << QStringList{} << "//T:5s";
    QTest::newRow("//? asks for the usage") << QStringList{"//?", "a.vbs"} << "logo - 0 - usage"
                                            << "a.vbs" << QStringList{} << "";
    QTest::newRow("an empty argument is the script's") << QStringList{"a.vbs", "", "y"} << "logo - 0 - -"
                                                       << "a.vbs" << QStringList{"", "y"} << "";
}

void tst_HostOptions::switchesBeforeTheScript()
{
    QFETCH(QStringList, argv);
    QFETCH(QString, options);
    QFETCH(QString, script);
    QFETCH(QStringList, arguments);
    QFETCH(QString, bad);
    const host::HostOptions o = host::parseHostOptions(wide(argv));
    const QString engine = o.engine.empty() ? QStringLiteral("-") : QString::fromStdWString(o.engine);
    QCOMPARE(QStringLiteral("%1 %2 %3 %4 %5")
                 .arg(o.logo ? QStringLiteral("logo") : QStringLiteral("-"))
                 .arg(o.batch ? QStringLiteral("batch") : QStringLiteral("-"))
                 .arg(o.timeoutSeconds)
                 .arg(engine)
                 .arg(o.usage ? QStringLiteral("usage") : QStringLiteral("-")),
             options);
    QCOMPARE(QString::fromStdWString(o.script), script);
    QCOMPARE(narrow(o.arguments), arguments);
    QCOMPARE(QString::fromStdWString(o.badSwitch), bad);
}

void tst_HostOptions::namedArguments_data()
{
    QTest::addColumn<QString>("argument");
    QTest::addColumn<bool>("named");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("value");
    QTest::newRow("name and value") << "/name:値" << true << "name"
                                    << "値";
    QTest::newRow("a colon in the value") << "/path:C:\\x" << true << "path"
                                          << "C:\\x";
    QTest::newRow("a flag") << "/flag" << true << "flag"
                            << "";
    QTest::newRow("empty value") << "/k:" << true << "k"
                                 << "";
    QTest::newRow("a lone slash is unnamed") << "/" << false << ""
                                             << "";
    QTest::newRow("a plain word") << "x:y" << false << ""
                                  << "";
}

void tst_HostOptions::namedArguments()
{
    QFETCH(QString, argument);
    QFETCH(bool, named);
    QFETCH(QString, name);
    QFETCH(QString, value);
    QCOMPARE(host::isNamed(argument.toStdWString()), named);
    if (!named)
        return;
    const host::NamedArgument n = host::splitNamed(argument.toStdWString());
    QCOMPARE(QString::fromStdWString(n.name), name);
    QCOMPARE(QString::fromStdWString(n.value), value);
}

void tst_HostOptions::engines_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("engine");
    QTest::newRow(".vbs") << "C:\\a\\b.vbs" << int(host::EngineKind::VBScript);
    QTest::newRow(".JS in capitals") << "Z:\\a.JS" << int(host::EngineKind::JScript);
    QTest::newRow(".jse") << "a.jse" << int(host::EngineKind::EncodedJScript);
    QTest::newRow(".vbe") << "a.VBE" << int(host::EngineKind::EncodedVBScript);
    QTest::newRow(".pls is perl's, not the host's") << "a.pls" << int(host::EngineKind::None);
    QTest::newRow("a dot in the folder only") << "Z:\\my.dir\\script" << int(host::EngineKind::None);
    QTest::newRow("several dots") << "a.vbs.bak" << int(host::EngineKind::None);
}

void tst_HostOptions::engines()
{
    QFETCH(QString, path);
    QFETCH(int, engine);
    QCOMPARE(int(host::engineForExtension(host::extensionOf(path.toStdWString()))), engine);
}

QTEST_GUILESS_MAIN(tst_HostOptions)
#include "tst_HostOptions.moc"
