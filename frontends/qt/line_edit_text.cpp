#include "frontends/qt/line_edit_text.h"

#include <QAccessibleWidget>
#include <QFontMetrics>
#include <QLineEdit>
#include <QStyle>
#include <QValidator>

namespace voq::ui::qt {

namespace {

constexpr const char* highest_property = "voq_highest_number";

class LineEditText : public QAccessibleWidget,
                     public QAccessibleTextInterface,
                     public QAccessibleEditableTextInterface,
                     public QAccessibleValueInterface {
public:
    explicit LineEditText(QLineEdit* line) : QAccessibleWidget(line, QAccessible::EditableText)
    {
        addControllingSignal(QStringLiteral("textChanged(const QString&)"));
        addControllingSignal(QStringLiteral("returnPressed()"));
    }

    void* interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::TextInterface) return static_cast<QAccessibleTextInterface*>(this);
        if (type == QAccessible::EditableTextInterface) return static_cast<QAccessibleEditableTextInterface*>(this);
        if (type == QAccessible::ValueInterface && line()->property(highest_property).isValid())
            return static_cast<QAccessibleValueInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }
    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        state.editable = !line()->isReadOnly();
        state.readOnly = line()->isReadOnly();
        state.passwordEdit = line()->echoMode() != QLineEdit::Normal;
        state.selectableText = true;
        return state;
    }
    QString text(QAccessible::Text kind) const override
    {
        if (kind == QAccessible::Value) return shown();
        return QAccessibleWidget::text(kind);
    }
    void setText(QAccessible::Text kind, const QString& text) override
    {
        if (kind != QAccessible::Value) {
            QAccessibleWidget::setText(kind, text);
            return;
        }
        if (acceptable(text)) line()->setText(text);
    }

    void selection(int index, int* start, int* end) const override
    {
        *start = *end = 0;
        if (index != 0 || !line()->hasSelectedText()) return;
        *start = line()->selectionStart();
        *end = *start + line()->selectionLength();
    }
    int selectionCount() const override { return line()->hasSelectedText() ? 1 : 0; }
    void addSelection(int start, int end) override { setSelection(0, start, end); }
    void removeSelection(int index) override
    {
        if (index == 0) line()->deselect();
    }
    void setSelection(int index, int start, int end) override
    {
        if (index == 0) line()->setSelection(start, end - start);
    }
    int cursorPosition() const override { return line()->cursorPosition(); }
    void setCursorPosition(int position) override { line()->setCursorPosition(position); }
    QString text(int start, int end) const override
    {
        if (start > end) return {};
        return shown().mid(start, end - start);
    }
    int characterCount() const override { return int(line()->text().size()); }
    QRect characterRect(int offset) const override
    {
        const QString text = shown();
        if (offset < 0 || offset >= text.size()) return {};
        const QFontMetrics metrics(line()->font());
        const QRect inside = line()->contentsRect().marginsRemoved(line()->textMargins());
        const QRect run = QStyle::alignedRect(line()->layoutDirection(), line()->alignment(),
                                              QSize(metrics.horizontalAdvance(text), metrics.height()), inside);
        const QRect character(run.left() + metrics.horizontalAdvance(text.left(offset)), run.top(),
                              metrics.horizontalAdvance(text.at(offset)), metrics.height());
        return {line()->mapToGlobal(character.topLeft()), character.size()};
    }
    int offsetAtPoint(const QPoint& point) const override
    {
        return line()->cursorPositionAt(line()->mapFromGlobal(point));
    }
    void scrollToSubstring(int start, int end) override
    {
        line()->setCursorPosition(end);
        line()->setCursorPosition(start);
    }
    QString attributes(int, int* start, int* end) const override
    {
        *start = 0;
        *end = characterCount();
        return {};
    }

    void deleteText(int start, int end) override { replaceText(start, end, {}); }
    void insertText(int offset, const QString& text) override { replaceText(offset, offset, text); }
    void replaceText(int start, int end, const QString& text) override
    {
        if (line()->isReadOnly() || start > end) return;
        QString changed = line()->text();
        changed.replace(start, end - start, text);
        if (acceptable(changed)) line()->setText(changed);
    }

    QVariant currentValue() const override { return line()->text().toInt(); }
    void setCurrentValue(const QVariant& value) override { setText(QAccessible::Value, value.toString()); }
    QVariant maximumValue() const override { return line()->property(highest_property); }
    QVariant minimumValue() const override { return 0; }
    QVariant minimumStepSize() const override { return 1; }

private:
    QLineEdit* line() const { return static_cast<QLineEdit*>(widget()); }

    // What the field shows: a password field's characters masked, as on the screen.
    QString shown() const { return line()->echoMode() == QLineEdit::Normal ? line()->text() : line()->displayText(); }

    bool acceptable(QString text) const
    {
        if (line()->validator() == nullptr) return true;
        int position = 0;
        return line()->validator()->validate(text, position) == QValidator::Acceptable;
    }
};

}  // namespace

QAccessibleInterface* line_edit_text(QLineEdit* line) { return new LineEditText(line); }

void read_as_number(QLineEdit* line, int highest) { line->setProperty(highest_property, highest); }

void announce_value(QLineEdit* line)
{
    QAccessibleValueChangeEvent changed(line, line->text().toInt());
    QAccessible::updateAccessibility(&changed);
}

}  // namespace voq::ui::qt
