#include "frontends/qt/accessibility.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QAccessibleWidget>
#include <QComboBox>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <string>

#include "frontends/qt/address_field.h"
#include "frontends/qt/line_edit_text.h"
#include "frontends/qt/secret_text_events.h"
#include "ui/accessible_names.h"
#include "ui/texts.h"

namespace voq::ui::qt {

namespace {

constexpr const char* busy_property = "voq_busy_indicator";

// The toolkit's own drop-down list on Linux answers its current value as its name and
// leaves the label to a relation; this one answers the label ("Your IP Address") as
// its name, and its value as its text, which is where a screen reader on Linux looks
// for a list's value (the toolkit's bridge passes no value text on).
class NamedDropDownList : public QAccessibleWidget, public QAccessibleTextInterface {
public:
    explicit NamedDropDownList(QComboBox* list) : QAccessibleWidget(list, QAccessible::ComboBox) {}

    void* interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::TextInterface) return static_cast<QAccessibleTextInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }
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

    // The value as read-only text.
    void selection(int, int* start, int* end) const override { *start = *end = 0; }
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    int cursorPosition() const override { return 0; }
    void setCursorPosition(int) override {}
    QString text(int start, int end) const override
    {
        const QString value = list()->currentText();
        start = qBound(0, start, int(value.size()));
        end = end < 0 ? int(value.size()) : qBound(start, end, int(value.size()));
        return value.mid(start, end - start);
    }
    int characterCount() const override { return int(list()->currentText().size()); }
    QRect characterRect(int) const override { return {}; }
    int offsetAtPoint(const QPoint&) const override { return -1; }
    void scrollToSubstring(int, int) override {}
    QString attributes(int, int* start, int* end) const override
    {
        *start = 0;
        *end = characterCount();
        return {};
    }

private:
    QComboBox* list() const { return static_cast<QComboBox*>(widget()); }
};

// A bar that only shows that something is under way: no value, which a screen reader
// would read as a percentage, and "busy" where the value would be.
class BusyIndicator : public QAccessibleWidget {
public:
    explicit BusyIndicator(QWidget* bar) : QAccessibleWidget(bar, QAccessible::ProgressBar) {}

    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        state.busy = true;
        return state;
    }
    QString text(QAccessible::Text kind) const override
    {
        if (kind == QAccessible::Description || kind == QAccessible::Value)
            return QString::fromLatin1(text::busy_bar_description.data(), qsizetype(text::busy_bar_description.size()));
        return QAccessibleWidget::text(kind);
    }
};

QAccessibleInterface* screen_controls(const QString& class_name, QObject* object)
{
    if (class_name == QLatin1String("QComboBox")) {
        auto* list = qobject_cast<QComboBox*>(object);
        return list != nullptr ? new NamedDropDownList(list) : nullptr;
    }
    if (class_name == QLatin1String("QLineEdit")) {
        auto* line = qobject_cast<QLineEdit*>(object);
        return line != nullptr ? line_edit_text(line) : nullptr;
    }
    if (class_name == QLatin1String("QProgressBar")) {
        auto* bar = qobject_cast<QWidget*>(object);
        return bar != nullptr && is_busy_indicator(bar) ? new BusyIndicator(bar) : nullptr;
    }
    // The address field's four boxes are one field: a group, not a window of their own.
    if (class_name == QLatin1String("QFrame")) {
        auto* address = dynamic_cast<AddressField*>(object);
        return address != nullptr ? new QAccessibleWidget(address, QAccessible::Grouping) : nullptr;
    }
    return nullptr;
}

// The list's current entry is its selected item too, as the toolkit has it only while
// the list is open; and a screen reader hears the new value as the list's text changing.
void keep_selection_with_value(QComboBox* list)
{
    auto last = std::make_shared<QString>(list->currentText());
    QObject::connect(list, &QComboBox::currentIndexChanged, list, [list, last](int index) {
        if (QItemSelectionModel* selection = list->view()->selectionModel()) {
            const QModelIndex item = list->model()->index(index, list->modelColumn(), list->rootModelIndex());
            selection->setCurrentIndex(item, QItemSelectionModel::ClearAndSelect);
        }
        const QString value = list->currentText();
        if (value == *last) return;
        QAccessibleTextUpdateEvent changed(list, 0, *last, value);
        *last = value;
        QAccessible::updateAccessibility(&changed);
    });
}

QString shown_text(const QWidget* widget)
{
    if (const auto* pane = qobject_cast<const QPlainTextEdit*>(widget)) return pane->toPlainText();
    if (const auto* line = qobject_cast<const QLineEdit*>(widget)) return line->text();
    if (const auto* label = qobject_cast<const QLabel*>(widget)) return label->text();
    return {};
}

}  // namespace

void name_for_screen_readers(QWidget* widget, const DialogTemplate& layout, const Control& control)
{
    static const bool installed = (QAccessible::installFactory(screen_controls), true);
    static_cast<void>(installed);
    keep_secrets_off_the_accessibility_bus();
    if (auto* list = qobject_cast<QComboBox*>(widget)) keep_selection_with_value(list);
    const std::string name = accessible_name(layout, control);
    if (name.empty()) return;
    widget->setAccessibleName(QString::fromStdString(name));
    if (auto* list = qobject_cast<QComboBox*>(widget)) list->view()->setAccessibleName(QString::fromStdString(name));
    if (auto* address = dynamic_cast<AddressField*>(widget)) {
        for (int box = 0; box < 4; ++box)
            address->box(box)->setAccessibleName(QString::fromStdString(address_box_name(box)));
    }
}

void tie_label(QWidget* label, QWidget* field)
{
    if (auto* text = qobject_cast<QLabel*>(label)) text->setBuddy(field);
}

void describe_screen(QDialog* dialog, const std::vector<QWidget*>& body)
{
    std::vector<std::string> texts;
    for (const QWidget* widget : body) texts.push_back(shown_text(widget).trimmed().toStdString());
    bool busy = false;
    for (const QProgressBar* bar : dialog->findChildren<QProgressBar*>()) busy = busy || is_busy_indicator(bar);
    const QString description = QString::fromStdString(screen_description(texts, busy));
    if (dialog->accessibleDescription() != description) dialog->setAccessibleDescription(description);
}

void show_as_busy_indicator(QProgressBar* bar) { bar->setProperty(busy_property, true); }

bool is_busy_indicator(const QObject* object) { return object != nullptr && object->property(busy_property).toBool(); }

}  // namespace voq::ui::qt
