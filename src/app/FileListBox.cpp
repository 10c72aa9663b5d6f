#include "FileListBox.h"

#include "DirectoryReader.h"
#include "NativeName.h"

#include <QAbstractListModel>
#include <QSignalBlocker>

// Real names in, readable names out.
class FileListModel final : public QAbstractListModel {
public:
    using QAbstractListModel::QAbstractListModel;
    static constexpr int NameRole = Qt::UserRole;

    QStringList stringList() const { return m_names; }
    void setStringList(QStringList names)
    {
        beginResetModel();
        m_names = std::move(names);
        endResetModel();
    }
    int rowCount(const QModelIndex& parent = {}) const override
    {
        return parent.isValid() ? 0 : int(m_names.size());
    }
    QVariant data(const QModelIndex& index, int role) const override
    {
        if (!index.isValid() || index.row() >= m_names.size())
            return {};
        const QString& name = m_names[index.row()];
        if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole)
            return NativeName::display(name);
        if (role == NameRole)
            return name;
        return {};
    }

private:
    QStringList m_names;
};

FileListBox::FileListBox(QWidget* parent)
    : QListView(parent)
    , m_model(new FileListModel(this))
{
    setModel(m_model);
    setUniformItemSizes(true);
    setEditTriggers(NoEditTriggers);
    setSelectionMode(SingleSelection);
    // Selection, not the current index: a list that merely gains the focus chooses nothing.
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        if (!fileName().isEmpty())
            Q_EMIT fileChosen();
    });
}

bool FileListBox::setPath(const QString& path)
{
    QStringList names;
    const bool ok = DirectoryReader::scriptFiles(path, &names);
    m_path = path;
    m_model->setStringList(names);
    selectionModel()->clear();
    return ok;
}

QString FileListBox::fileName() const
{
    const QModelIndexList sel = selectionModel()->selectedIndexes();
    return sel.isEmpty() ? QString() : sel.first().data(FileListModel::NameRole).toString();
}

QStringList FileListBox::fileNames() const
{
    return m_model->stringList();
}

void FileListBox::refresh()
{
    const QString selected = fileName();
    const QSignalBlocker quiet(selectionModel());
    setPath(m_path);
    const qsizetype row = m_model->stringList().indexOf(selected);
    if (!selected.isEmpty() && row >= 0) {
        const QModelIndex index = m_model->index(int(row));
        selectionModel()->select(index, QItemSelectionModel::ClearAndSelect);
        selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
    }
    viewport()->update();
}

bool FileListBox::selectName(const QString& name)
{
    const qsizetype row = m_model->stringList().indexOf(name);
    if (row < 0)
        return false;
    const QModelIndex index = m_model->index(int(row));
    setCurrentIndex(index);
    selectionModel()->select(index, QItemSelectionModel::ClearAndSelect);
    return true;
}
