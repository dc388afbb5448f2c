#include "frontends/qt/secret_text_events.h"

#include <QAccessible>
#include <QAccessibleEvent>

#include "frontends/qt/accessibility.h"

namespace voq::ui::qt {

namespace {

QAccessible::UpdateHandler passed_to = nullptr;

// The field shows this for each character; the events say no more than the field shows.
constexpr QChar hidden_character = QChar(0x25CF);

QString hidden(const QString& text) { return QString(text.size(), hidden_character); }

void guard(QAccessibleEvent* event);

void pass_on(QAccessibleEvent* event)
{
    if (passed_to != nullptr) {
        passed_to(event);
        return;
    }
    // The toolkit has done a table's own bookkeeping before it called us and would do
    // it twice; its Linux bridge passes these events on to no one.
    if (event->type() == QAccessible::TableModelChanged) return;
    // With no handler before ours, the toolkit's own delivery is reached with ours out
    // of the way for the one event (all of them come on the GUI thread).
    QAccessible::installUpdateHandler(nullptr);
    QAccessible::updateAccessibility(event);
    QAccessible::installUpdateHandler(guard);
}

void guard(QAccessibleEvent* event)
{
    if (is_busy_indicator(event->object()) && event->type() == QAccessible::ValueChanged) return;
    if (!carries_secret_text(event)) {
        pass_on(event);
        return;
    }
    QAccessibleInterface* field = event->accessibleInterface();
    switch (event->type()) {
    case QAccessible::TextInserted: {
        auto* inserted = static_cast<QAccessibleTextInsertEvent*>(event);
        QAccessibleTextInsertEvent masked(field, inserted->changePosition(), hidden(inserted->textInserted()));
        pass_on(&masked);
        return;
    }
    case QAccessible::TextRemoved: {
        auto* removed = static_cast<QAccessibleTextRemoveEvent*>(event);
        QAccessibleTextRemoveEvent masked(field, removed->changePosition(), hidden(removed->textRemoved()));
        pass_on(&masked);
        return;
    }
    case QAccessible::TextUpdated: {
        auto* updated = static_cast<QAccessibleTextUpdateEvent*>(event);
        QAccessibleTextUpdateEvent masked(field, updated->changePosition(), hidden(updated->textRemoved()),
                                          hidden(updated->textInserted()));
        pass_on(&masked);
        return;
    }
    case QAccessible::ValueChanged: {
        auto* changed = static_cast<QAccessibleValueChangeEvent*>(event);
        QAccessibleValueChangeEvent masked(field, hidden(changed->value().toString()));
        pass_on(&masked);
        return;
    }
    default:
        return;  // no other kind carries text
    }
}

}  // namespace

bool carries_secret_text(QAccessibleEvent* event)
{
    switch (event->type()) {
    case QAccessible::TextInserted:
    case QAccessible::TextRemoved:
    case QAccessible::TextUpdated:
    case QAccessible::ValueChanged:
        break;
    default:
        return false;
    }
    QAccessibleInterface* source = event->accessibleInterface();
    return source != nullptr && source->state().passwordEdit;
}

void keep_secrets_off_the_accessibility_bus()
{
    static const bool installed = [] {
        passed_to = QAccessible::installUpdateHandler(guard);
        return true;
    }();
    static_cast<void>(installed);
}

}  // namespace voq::ui::qt
