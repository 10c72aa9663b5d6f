#include "RegFile.h"

#include <QTest>

class tst_RegFile : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void placeholder() {}
};

QTEST_GUILESS_MAIN(tst_RegFile)
#include "tst_RegFile.moc"
