#include "DirListBox.h"

#include "DirectoryReader.h"
#include "NativeName.h"
#include "PosixFile.h"

#include <QAbstractListModel>
#include <QDir>
#include <QStyle>
#include <QStyledItemDelegate>

namespace {

constexpr int IndentPx = 10;

class IndentDelegate final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QStyleOptionViewItem o(option);
        o.rect.adjust(index.data(DirListBox::LevelRole).toInt() * IndentPx, 0, 0, 0);
        QStyledItemDelegate::paint(painter, o, index);
    }
};

} // namespace

// The entries are computed when the view asks for them, and a new folder replaces them all
// in one reset: a folder of 100,000 subfolders then costs little more than reading it.
class DirListBox::Model final : public QAbstractListModel {
public:
    using QAbstractListModel::QAbstractListModel;

    // `chain` runs from the root down to `folder`.
    void reset(QStringList chain, QString folder, QStringList children, QIcon openIcon, QIcon closedIcon)
    {
        beginResetModel();
        m_chain = std::move(chain);
        m_folder = QDir(std::move(folder));
        m_children = std::move(children);
        m_openIcon = std::move(openIcon);
        m_closedIcon = std::move(closedIcon);
        endResetModel();
    }
    int folderRow() const { return int(m_chain.size()) - 1; }

    int rowCount(const QModelIndex& parent = {}) const override
    {
        return parent.isValid() ? 0 : int(m_chain.size() + m_children.size());
    }

    QVariant data(const QModelIndex& index, int role) const override
    {
        if (!index.isValid() || index.row() >= rowCount())
            return {};
        const qsizetype row = index.row();
        const bool ancestor = row < m_chain.size();
        switch (role) {
        case Qt::DisplayRole:
        case Qt::EditRole:
            // A name that is not UTF-8 shown readably; the path keeps its real bytes.
            if (!ancestor)
                return NativeName::display(m_children[row - m_chain.size()]);
            return m_chain[row] == QStringLiteral("/") ? m_chain[row]
                                                       : NativeName::display(QDir(m_chain[row]).dirName());
        case Qt::DecorationRole:
            return ancestor ? m_openIcon : m_closedIcon;
        case PathRole:
            return ancestor ? m_chain[row] : m_folder.filePath(m_children[row - m_chain.size()]);
        case LevelRole:
            return int(ancestor ? row : m_chain.size());
        default:
            return {};
        }
    }

private:
    QStringList m_chain;
    QDir m_folder;
    QStringList m_children;
    QIcon m_openIcon;
    QIcon m_closedIcon;
};

DirListBox::DirListBox(QWidget* parent)
    : QListView(parent)
    , m_model(new Model(this))
{
    setModel(m_model);
    setItemDelegate(new IndentDelegate(this));
    setUniformItemSizes(true);
    setEditTriggers(NoEditTriggers);
    setSelectionMode(SingleSelection);
    connect(this, &QAbstractItemView::activated, this, &DirListBox::open);
}

bool DirListBox::setPath(const QString& path)
{
    // By string alone: Qt's own path functions would look up a name that is not UTF-8 as
    // another one.
    const QString clean =
        QDir::cleanPath(path.startsWith(u'/') ? path : PosixFile::currentFolder() + u'/' + path);
    QStringList children;
    if (!DirectoryReader::subfolders(clean, &children))
        return false;

    QStringList chain;
    for (QString p = clean;;) {
        chain.prepend(p);
        if (p == QStringLiteral("/"))
            break;
        const qsizetype slash = p.lastIndexOf(u'/');
        p = slash <= 0 ? QStringLiteral("/") : p.left(slash);
    }
    m_model->reset(std::move(chain), clean, std::move(children),
                   style()->standardIcon(QStyle::SP_DirOpenIcon),
                   style()->standardIcon(QStyle::SP_DirClosedIcon));
    setCurrentIndex(m_model->index(m_model->folderRow()));
    m_path = clean;
    Q_EMIT pathChanged();
    return true;
}

void DirListBox::open(const QModelIndex& index)
{
    const QString target = index.data(PathRole).toString();
    if (!setPath(target)) {
        Q_EMIT openFailed(target);
        setPath(m_path); // the list drops what has gone
    }
}
