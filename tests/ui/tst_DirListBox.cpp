#include "DirListBox.h"
#include "TestFiles.h"

#include <QAccessible>
#include <QSignalSpy>
#include <QTemporaryDir>

class tst_DirListBox : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void ancestorsThenSubfolders_data();
    void ancestorsThenSubfolders();
    void opensOnlyWhatCanBeRead();
    void aBigFolderFillsTheListInOneStep();

private:
    QString path(const QString& rel) const { return m_dir->path() + u'/' + rel; }
    QStringList column(int role) const
    {
        QStringList out;
        for (int i = 0; i < m_list->model()->rowCount(); ++i)
            out.append(m_list->model()->index(i, 0).data(role).toString());
        return out;
    }
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<DirListBox> m_list;
};

void tst_DirListBox::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    for (const char* d : {"top/mid/x", "top/mid/Y", "top/mid/z", "top/mid/.hidden", "top/mid/x/deeper"})
        QVERIFY(QDir().mkpath(path(QLatin1String(d))));
    QVERIFY(writeFile(path(QStringLiteral("top/mid/file.vbs")), {}));
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
    QTest::addColumn<int>("subfolders");   // -1: all but the first row
    QTest::newRow("folders, a link to one, no files, no hidden, no dangling link")
        << "top/mid" << QStringList{"top", "mid", "link", "x", "Y", "z"} << 4;
    QTest::newRow("an empty folder") << "top/mid/x/deeper" << QStringList{"mid", "x", "deeper"} << 0;
    QTest::newRow("dots and doubled separators are cleaned")
        << "top//mid/./x/.." << QStringList{"top", "mid", "link", "x", "Y", "z"} << 4;
    QTest::newRow("the root, with no doubled separator") << "/" << QStringList() << -1;
}

void tst_DirListBox::ancestorsThenSubfolders()
{
    QFETCH(QString, folder);
    QFETCH(QStringList, tail);
    QFETCH(int, subfolders);
    QSignalSpy changed(m_list.get(), &DirListBox::pathChanged);
    QVERIFY(m_list->setPath(folder.startsWith(u'/') ? folder : path(folder)));
    QCOMPARE(changed.size(), 1);
    const QString clean = m_list->path();
    QCOMPARE(clean, folder.startsWith(u'/') ? folder : QDir::cleanPath(path(folder)));
    const QStringList names = column(Qt::DisplayRole);
    QCOMPARE(names.mid(names.size() - tail.size()), tail);
    QCOMPARE(names.first(), QStringLiteral("/"));
    const int folderRow = subfolders < 0 ? 0 : int(names.size()) - subfolders - 1;
    QCOMPARE(m_list->currentIndex().row(), folderRow);
    QCOMPARE(m_list->selectionModel()->selectedIndexes(), QModelIndexList{m_list->currentIndex()});
    // The ancestors one level deeper each, the subfolders all one level below the folder.
    const QStringList paths = column(DirListBox::PathRole), levels = column(DirListBox::LevelRole);
    QCOMPARE(paths.first(), QStringLiteral("/"));
    QCOMPARE(paths[folderRow], clean);
    QAccessibleInterface* list = QAccessible::queryAccessibleInterface(m_list.get());
    QCOMPARE(list->childCount(), names.size());
    for (int row = 0; row < names.size(); ++row) {
        QCOMPARE(levels[row].toInt(), std::min(row, folderRow + 1));
        QCOMPARE(list->child(row)->text(QAccessible::Name), names[row]); // what a screen reader says
        if (row > folderRow)
            QCOMPARE(paths[row], QDir(clean).filePath(names[row]));
        else if (row > 0)
            QCOMPARE(QDir(paths[row]).dirName(), names[row]);
    }
}

void tst_DirListBox::opensOnlyWhatCanBeRead()
{
    QVERIFY(m_list->setPath(path(QStringLiteral("top/mid"))));
    const QStringList before = column(Qt::DisplayRole);
    QSignalSpy changed(m_list.get(), &DirListBox::pathChanged);
    QVERIFY(!m_list->setPath(path(QStringLiteral("top/gone"))));
    QVERIFY(!m_list->setPath(path(QStringLiteral("top/mid/file.vbs"))));
    QCOMPARE(changed.size(), 0);
    QCOMPARE(m_list->path(), path(QStringLiteral("top/mid")));
    QCOMPARE(column(Qt::DisplayRole), before);
    // Enter opens the current entry.
    m_list->setFocus();
    QTest::keyClick(m_list.get(), Qt::Key_End);
    QTest::keyClick(m_list.get(), Qt::Key_Return);
    QCOMPARE(changed.size(), 1);
    QCOMPARE(m_list->path(), path(QStringLiteral("top/mid/z")));
    QCOMPARE(column(Qt::DisplayRole).last(), QStringLiteral("z"));
}

// A list that announced each entry on its own did work per entry that grew with the list.
void tst_DirListBox::aBigFolderFillsTheListInOneStep()
{
    for (int i = 0; i < 1000; ++i)
        QVERIFY(QDir().mkdir(path(QStringLiteral("big%1").arg(i, 4, 10, QLatin1Char('0')))));
    QAbstractItemModel* model = m_list->model();
    QSignalSpy resets(model, &QAbstractItemModel::modelReset),
        inserted(model, &QAbstractItemModel::rowsInserted), changed(model, &QAbstractItemModel::dataChanged);
    QVERIFY(m_list->setPath(m_dir->path()));
    QCOMPARE(column(Qt::DisplayRole).last(), QStringLiteral("top"));
    QCOMPARE(model->rowCount(), QDir(m_dir->path()).absolutePath().count(u'/') + 1 + 1000 + 1);
    QCOMPARE(resets.size() + inserted.size() + changed.size(), 1);
}

QTEST_MAIN(tst_DirListBox)
#include "tst_DirListBox.moc"
