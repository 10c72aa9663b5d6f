#include "ScriptFiles.h"

#include <QTest>

using namespace Qt::StringLiterals;

class tst_ScriptFiles : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void order_data();
    void order();
    void join();
};

void tst_ScriptFiles::order_data()
{
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QStringList>("sorted");
    QTest::newRow("case does not count")
        << QStringList{"b.vbs", "A.js", "C.pls"} << QStringList{"A.js", "b.vbs", "C.pls"};
    QTest::newRow("same but for case: exact name decides")
        << QStringList{"a.vbs", "A.vbs", "a.VBS"} << QStringList{"A.vbs", "a.VBS", "a.vbs"};
    QTest::newRow("punctuation and digits first")
        << QStringList{"z.js", "-x.js", "1.js", "_y.js"} << QStringList{"-x.js", "1.js", "_y.js", "z.js"};
    QTest::newRow("non-ascii folded, after ascii")
        << QStringList{"日本.vbs", "Ärger.vbs", "ärger.js", "b.vbs"}
        << QStringList{"b.vbs", "ärger.js", "Ärger.vbs", "日本.vbs"};
}

void tst_ScriptFiles::order()
{
    QFETCH(QStringList, names);
    QFETCH(QStringList, sorted);
    std::vector<ScriptFiles::Named> entries;
    for (const QString& n : names)
        entries.push_back({ScriptFiles::sortKey(n), n});
    QCOMPARE(ScriptFiles::sortedNames(std::move(entries)), sorted);
}

void tst_ScriptFiles::join()
{
    QCOMPARE(ScriptFiles::join(u"/home/u/scripts"_s, u"a.js"_s), u"/home/u/scripts/a.js"_s);
    QCOMPARE(ScriptFiles::join(u"/"_s, u"a.js"_s), u"//a.js"_s); // the root keeps the doubled separator
}

QTEST_APPLESS_MAIN(tst_ScriptFiles)
#include "tst_ScriptFiles.moc"
