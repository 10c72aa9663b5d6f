#include "DirListBox.h"

#include "DirectoryReader.h"

#include <QDir>
#include <QKeyEvent>
#include <QStyle>
#include <QStyledItemDelegate>

namespace {

constexpr int PathRole = Qt::UserRole;
constexpr int LevelRole = Qt::UserRole + 1;
constexpr int IndentPx = 10;

class IndentDelegate final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QStyleOptionViewItem o(option);
        o.rect.adjust(index.data(LevelRole).toInt() * IndentPx, 0, 0, 0);
        QStyledItemDelegate::paint(painter, o, index);
    }
};

} // namespace

DirListBox::DirListBox(QWidget* parent)
    : QListWidget(parent)
{
    setItemDelegate(new IndentDelegate(this));
    setUniformItemSizes(true);
    connect(this, &QListWidget::itemActivated, this, &DirListBox::open);
}

bool DirListBox::setPath(const QString& path)
{
    const QString clean = QDir::cleanPath(QDir(path).absolutePath());
    QStringList children;
    if (!DirectoryReader::subfolders(clean, &children))
        return false;

    clear();
    const QIcon openIcon = style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closedIcon = style()->standardIcon(QStyle::SP_DirClosedIcon);
    QStringList chain; // from the root down to `clean`
    for (QDir d(clean);;) {
        chain.prepend(d.absolutePath());
        if (d.isRoot() || !d.cdUp())
            break;
    }
    int level = 0;
    for (const QString& p : chain) {
        auto* item = new QListWidgetItem(openIcon, p == QStringLiteral("/") ? p : QDir(p).dirName(), this);
        item->setData(PathRole, p);
        item->setData(LevelRole, level++);
    }
    setCurrentRow(count() - 1);
    for (const QString& name : children) {
        auto* item = new QListWidgetItem(closedIcon, name, this);
        item->setData(PathRole, QDir(clean).filePath(name));
        item->setData(LevelRole, level);
    }
    m_path = clean;
    Q_EMIT pathChanged();
    return true;
}

void DirListBox::open(QListWidgetItem* item)
{
    const QString target = item->data(PathRole).toString();
    if (!setPath(target)) {
        Q_EMIT openFailed(target);
        setPath(m_path); // the list drops what has gone
    }
}
