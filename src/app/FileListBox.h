#pragma once

#include <QListView>

class FileListModel;

// The script files of one folder, by name; choosing one reports fileChosen. Each entry
// keeps its name as the file system holds it, and shows it as a user reads it.
class FileListBox final : public QListView {
    Q_OBJECT
public:
    explicit FileListBox(QWidget* parent = nullptr);

    QString path() const { return m_path; }
    // Shows the folder's scripts with none selected; false (and an empty list) when the
    // folder cannot be read.
    bool setPath(const QString& path);
    // Reads the folder again, keeping the selected file selected without choosing it anew.
    void refresh();
    // Selects the file of that real name, choosing it; false when the folder has none.
    bool selectName(const QString& name);
    // The selected entry's real name (NativeName.h), empty when none is selected.
    QString fileName() const;
    QStringList fileNames() const;

Q_SIGNALS:
    void fileChosen();

private:
    FileListModel* m_model;
    QString m_path;
};
