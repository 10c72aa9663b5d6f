#include "DirListBox.h"

#include <QAccessible>
#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

class tst_DirListBox : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void ancestorsThenSubfolders_data();
    void ancestorsThenSubfolders();
    void theRootHasNoDoubledSeparator();
    void entriesReadAsTheirNames();
    void enterOpensTheCurrentEntry();
    void aFolderThatCannotBeReadChangesNothing();
    void aBigFolderFillsTheListInOneStep();

private:
    QString path(const QString& rel) const { return m_dir->path() + u'/' + rel; }
    static QStringList column(const DirListBox& list, int role);
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<DirListBox> m_list;
};

QStringList tst_DirListBox::column(const DirListBox& list, int role)
{
    QStringList out;
    for (int i = 0; i < list.model()->rowCount(); ++i)
        out.append(list.model()->index(i, 0).data(role).toString());
    return out;
}

void tst_DirListBox::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    for (const char* d : {"top/mid/x", "top/mid/Y", "top/mid/z", "top/mid/.hidden", "top/mid/x/deeper"})
        QVERIFY(QDir().mkpath(path(QLatin1String(d))));
    QFile file(path(QStringLiteral("top/mid/file.vbs")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    QVERIFY(QFile::link(path(QStringLiteral("top/mid/z")), path(QStringLiteral("top/mid/link"))));
    QVERIFY(QFile::link(path(QStringLiteral("top/gone")), path(QStringLiteral("top/mid/dangling"))));
    m_list = std::make_unique<DirListBox>();
    m_list->resize(169, 174);
    m_list->show();
}

void tst_DirListBox::ancestorsThenSubfolders_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QStringList>("tail"); // the last rows' names
    QTest::addColumn<int>("subfolders");
    QTest::newRow("folders, a link to one, no files, no hidden, no dangling link")
        << "top/mid" << QStringList{"top", "mid", "link", "x", "Y", "z"} << 4;
    QTest::newRow("an empty folder") << "top/mid/x/deeper" << QStringList{"mid", "x", "deeper"} << 0;
    QTest::newRow("dots and doubled separators are cleaned")
        << "top//mid/./x/.." << QStringList{"top", "mid", "link", "x", "Y", "z"} << 4;
}

void tst_DirListBox::ancestorsThenSubfolders()
{
    QFETCH(QString, folder);
    QFETCH(QStringList, tail);
    QFETCH(int, subfolders);
    QSignalSpy changed(m_list.get(), &DirListBox::pathChanged);
    QVERIFY(m_list->setPath(path(folder)));
    QCOMPARE(changed.size(), 1);
    const QString clean = QDir::cleanPath(path(folder));
    QCOMPARE(m_list->path(), clean);

    const QStringList names = column(*m_list, Qt::DisplayRole);
    QCOMPARE(names.mid(names.size() - tail.size()), tail);
    QCOMPARE(names.first(), QStringLiteral("/"));
    const int folderRow = int(names.size()) - subfolders - 1;
    QCOMPARE(m_list->currentIndex().row(), folderRow);
    QCOMPARE(m_list->selectionModel()->selectedIndexes(), QModelIndexList{m_list->currentIndex()});

    // The ancestors one level deeper each, the subfolders all one level below the folder.
    const QStringList paths = column(*m_list, DirListBox::PathRole);
    const QStringList levels = column(*m_list, DirListBox::LevelRole);
    QCOMPARE(paths.first(), QStringLiteral("/"));
    QCOMPARE(paths[folderRow], clean);
    for (int row = 0; row < names.size(); ++row) {
        QCOMPARE(levels[row].toInt(), std::min(row, folderRow + 1));
        if (row > folderRow)
            QCOMPARE(paths[row], clean + u'/' + names[row]);
        else if (row > 0)
            QCOMPARE(QDir(paths[row]).dirName(), names[row]);
    }
}

void tst_DirListBox::theRootHasNoDoubledSeparator()
{
    QVERIFY(m_list->setPath(QStringLiteral("/")));
    QCOMPARE(m_list->currentIndex().row(), 0);
    const QStringList names = column(*m_list, Qt::DisplayRole);
    const int tmp = int(names.indexOf(QStringLiteral("tmp")));
    QVERIFY(tmp > 0);
    QCOMPARE(column(*m_list, DirListBox::PathRole)[tmp], QStringLiteral("/tmp"));
    QCOMPARE(column(*m_list, DirListBox::LevelRole)[tmp], QStringLiteral("1"));
}

// What a screen reader says for an entry is its name.
void tst_DirListBox::entriesReadAsTheirNames()
{
    QVERIFY(m_list->setPath(path(QStringLiteral("top/mid"))));
    QAccessibleInterface* list = QAccessible::queryAccessibleInterface(m_list.get());
    QVERIFY(list);
    QStringList spoken;
    for (int i = 0; i < list->childCount(); ++i)
        spoken.append(list->child(i)->text(QAccessible::Name));
    QCOMPARE(spoken, column(*m_list, Qt::DisplayRole));
}

void tst_DirListBox::enterOpensTheCurrentEntry()
{
    QVERIFY(m_list->setPath(path(QStringLiteral("top/mid"))));
    QSignalSpy changed(m_list.get(), &DirListBox::pathChanged);
    m_list->setFocus();
    QTest::keyClick(m_list.get(), Qt::Key_End);
    QTest::keyClick(m_list.get(), Qt::Key_Return);
    QCOMPARE(changed.size(), 1);
    QCOMPARE(m_list->path(), path(QStringLiteral("top/mid/z")));
    QCOMPARE(column(*m_list, Qt::DisplayRole).last(), QStringLiteral("z"));
}

void tst_DirListBox::aFolderThatCannotBeReadChangesNothing()
{
    QVERIFY(m_list->setPath(path(QStringLiteral("top/mid"))));
    const QStringList before = column(*m_list, Qt::DisplayRole);
    QSignalSpy changed(m_list.get(), &DirListBox::pathChanged);
    QVERIFY(!m_list->setPath(path(QStringLiteral("top/gone"))));
    QVERIFY(!m_list->setPath(path(QStringLiteral("top/mid/file.vbs"))));
    QCOMPARE(changed.size(), 0);
    QCOMPARE(m_list->path(), path(QStringLiteral("top/mid")));
    QCOMPARE(column(*m_list, Qt::DisplayRole), before);
}

// A list that announced each entry on its own did work per entry that grew with the list.
void tst_DirListBox::aBigFolderFillsTheListInOneStep()
{
    constexpr int count = 1000;
    for (int i = 0; i < count; ++i)
        QVERIFY(QDir().mkdir(path(QStringLiteral("big%1").arg(i, 4, 10, QLatin1Char('0')))));
    QAbstractItemModel* model = m_list->model();
    int notices = 0;
    const auto count1 = [&notices] { ++notices; };
    connect(model, &QAbstractItemModel::rowsInserted, this, count1);
    connect(model, &QAbstractItemModel::rowsRemoved, this, count1);
    connect(model, &QAbstractItemModel::dataChanged, this, count1);
    connect(model, &QAbstractItemModel::modelReset, this, count1);
    connect(model, &QAbstractItemModel::layoutChanged, this, count1);
    QVERIFY(m_list->setPath(m_dir->path()));
    QCOMPARE(column(*m_list, Qt::DisplayRole).last(), QStringLiteral("top"));
    QCOMPARE(model->rowCount(), QDir(m_dir->path()).absolutePath().count(u'/') + 1 + count + 1);
    QVERIFY2(notices <= 2, qPrintable(QString::number(notices)));
}

QTEST_MAIN(tst_DirListBox)
#include "tst_DirListBox.moc"
