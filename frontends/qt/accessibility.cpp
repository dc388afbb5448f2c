#include "frontends/qt/accessibility.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QAccessibleWidget>
#include <QComboBox>

#include "frontends/qt/address_field.h"
#include "ui/accessible_names.h"

namespace voq::ui::qt {

namespace {

// The toolkit's own drop-down list on Linux answers its current value as its name and
// leaves the label to a relation; this one answers the label ("Your IP Address") as
// its name and the value as its value, with the same list of items inside.
class NamedDropDownList : public QAccessibleWidget {
public:
    explicit NamedDropDownList(QComboBox* list) : QAccessibleWidget(list, QAccessible::ComboBox) {}

    QString text(QAccessible::Text kind) const override
    {
        if (kind == QAccessible::Value || (kind == QAccessible::Name && list()->accessibleName().isEmpty()))
            return list()->currentText();
        if (kind == QAccessible::Name) return list()->accessibleName();
        return QAccessibleWidget::text(kind);
    }
    int childCount() const override { return 1; }
    QAccessibleInterface* child(int index) const override
    {
        return index == 0 ? QAccessible::queryAccessibleInterface(list()->view()) : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override
    {
        return child != nullptr && child->object() == list()->view() ? 0 : -1;
    }
    QStringList actionNames() const override { return {showMenuAction(), pressAction()}; }
    void doAction(const QString& action) override
    {
        if (action != showMenuAction() && action != pressAction()) return;
        if (list()->view()->isVisible()) list()->hidePopup();
        else list()->showPopup();
    }

private:
    QComboBox* list() const { return static_cast<QComboBox*>(widget()); }
};

QAccessibleInterface* drop_down_lists(const QString& class_name, QObject* object)
{
    if (class_name != QLatin1String("QComboBox")) return nullptr;
    auto* list = qobject_cast<QComboBox*>(object);
    return list != nullptr ? new NamedDropDownList(list) : nullptr;
}

}  // namespace

void name_for_screen_readers(QWidget* widget, const DialogTemplate& layout, const Control& control)
{
    static const bool lists_named = (QAccessible::installFactory(drop_down_lists), true);
    static_cast<void>(lists_named);
    const std::string name = accessible_name(layout, control);
    if (name.empty()) return;
    widget->setAccessibleName(QString::fromStdString(name));
    if (auto* list = qobject_cast<QComboBox*>(widget)) list->view()->setAccessibleName(QString::fromStdString(name));
    if (auto* address = dynamic_cast<AddressField*>(widget)) {
        for (int box = 0; box < 4; ++box) address->box(box)->setAccessibleName(QString::fromStdString(address_box_name(box)));
    }
}

}  // namespace voq::ui::qt
