#include "LinkLabel.h"

#include "Fonts.h"

#include <QAccessibleWidget>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionFocusRect>

namespace {

class LinkAccessible final : public QAccessibleWidget {
public:
    explicit LinkAccessible(LinkLabel* link)
        : QAccessibleWidget(link, QAccessible::Link)
    {
    }
    QString text(QAccessible::Text t) const override
    {
        const QString own = QAccessibleWidget::text(t);
        if (t == QAccessible::Name && own.isEmpty())
            return static_cast<LinkLabel*>(widget())->text();
        if (t == QAccessible::Value)
            return static_cast<LinkLabel*>(widget())->text();
        return own;
    }
    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.linked = true;
        return s;
    }
    QStringList actionNames() const override { return {QAccessibleActionInterface::pressAction()}; }
    void doAction(const QString& action) override
    {
        if (action == QAccessibleActionInterface::pressAction())
            static_cast<LinkLabel*>(widget())->activate();
    }
};

QAccessibleInterface* accessibleLink(const QString& key, QObject* object)
{
    if (key == QLatin1String("LinkLabel"))
        if (auto* link = qobject_cast<LinkLabel*>(object))
            return new LinkAccessible(link);
    return nullptr;
}

} // namespace

LinkLabel::LinkLabel(const QString& text, QWidget* parent)
    : QLabel(text, parent)
{
    static const bool installed = (QAccessible::installFactory(accessibleLink), true);
    Q_UNUSED(installed);
    setTextFormat(Qt::PlainText);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::StrongFocus);
    QFont f = Fonts::sized(Fonts::Arial, 9.75);
    f.setUnderline(true);
    setFont(f);
    // The theme's link colour, made to be read on the theme's background.
    setForegroundRole(QPalette::Link);
    setAccessibleName(text);
}

void LinkLabel::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        activate();
    QLabel::mouseReleaseEvent(event);
}

void LinkLabel::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter || event->key() == Qt::Key_Space) {
        activate();
        return;
    }
    QLabel::keyPressEvent(event);
}

void LinkLabel::paintEvent(QPaintEvent* event)
{
    QLabel::paintEvent(event);
    if (!hasFocus())
        return;
    // Keyboard users must see which link Enter would follow.
    QPainter p(this);
    QStyleOptionFocusRect option;
    option.initFrom(this);
    option.rect = contentsRect();
    style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &p, this);
}
