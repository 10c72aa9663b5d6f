#pragma once

#include <QListWidget>

// A folder list in the old style: the current folder's ancestors from the root down, open,
// then its subfolders. Opening an entry (double click, Enter) makes it the current folder.
class DirListBox final : public QListWidget {
    Q_OBJECT
public:
    explicit DirListBox(QWidget* parent = nullptr);

    QString path() const { return m_path; }
    // Reports pathChanged whenever it succeeds, also when the path stays the same. False,
    // and nothing changes, when the folder cannot be read.
    bool setPath(const QString& path);

Q_SIGNALS:
    void pathChanged();
    void openFailed(const QString& path);

private:
    void open(QListWidgetItem* item);
    QString m_path;
};
