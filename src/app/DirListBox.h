#pragma once

#include <QListView>

// A folder list in the old style: the current folder's ancestors from the root down, open,
// then its subfolders. Opening an entry (double click, Enter) makes it the current folder.
class DirListBox final : public QListView {
    Q_OBJECT
public:
    // Each entry's full path and its depth below the root, beside its name and icon.
    static constexpr int PathRole = Qt::UserRole;
    static constexpr int LevelRole = Qt::UserRole + 1;

    explicit DirListBox(QWidget* parent = nullptr);

    QString path() const { return m_path; }
    // Reports pathChanged whenever it succeeds, also when the path stays the same. False,
    // and nothing changes, when the folder cannot be read.
    bool setPath(const QString& path);

Q_SIGNALS:
    void pathChanged();
    void openFailed(const QString& path);

private:
    class Model;
    void open(const QModelIndex& index);
    Model* m_model;
    QString m_path;
};
