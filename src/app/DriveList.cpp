#include "DriveList.h"

#include <QAbstractItemView>
#include <QAccessibleWidget>

namespace {

class DriveListAccessible final : public QAccessibleWidget {
public:
    explicit DriveListAccessible(DriveList* list)
        : QAccessibleWidget(list, QAccessible::ComboBox)
    {
    }

    QString text(QAccessible::Text t) const override
    {
        switch (t) {
        case QAccessible::Name:
            return list()->accessibleName();
        case QAccessible::Value:
            return list()->currentText();
        default:
            return QAccessibleWidget::text(t);
        }
    }

    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.expandable = true;
        s.hasPopup = true;
        s.expanded = list()->view()->isVisible();
        s.collapsed = !s.expanded;
        return s;
    }

    int childCount() const override { return 1; }
    QAccessibleInterface* child(int index) const override
    {
        return index == 0 ? QAccessible::queryAccessibleInterface(list()->view()) : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override
    {
        return child && child->object() == list()->view() ? 0 : -1;
    }

    QStringList actionNames() const override
    {
        return {QAccessibleActionInterface::showMenuAction(), QAccessibleActionInterface::pressAction()};
    }
    void doAction(const QString& action) override
    {
        if (action == QAccessibleActionInterface::showMenuAction() ||
            action == QAccessibleActionInterface::pressAction())
            list()->showPopup();
    }

private:
    DriveList* list() const { return static_cast<DriveList*>(widget()); }
};

QAccessibleInterface* accessibleDriveList(const QString& key, QObject* object)
{
    if (key == QLatin1String("DriveList"))
        if (auto* list = qobject_cast<DriveList*>(object))
            return new DriveListAccessible(list);
    return nullptr;
}

} // namespace

DriveList::DriveList(QWidget* parent)
    : QComboBox(parent)
{
    static const bool installed = (QAccessible::installFactory(accessibleDriveList), true);
    Q_UNUSED(installed);
}
