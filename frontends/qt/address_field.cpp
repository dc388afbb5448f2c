#include "frontends/qt/address_field.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QRegularExpressionValidator>
#include <QStringList>

#include "frontends/qt/line_edit_text.h"

namespace voq::ui::qt {

namespace {

constexpr int box_digits = 3;
constexpr int highest_value = 255;

// A box holds digits only, at most three, and never more than 255 (a larger number
// becomes 255, as the Windows control makes it).
QString box_text(const QString& typed)
{
    QString digits;
    for (const QChar c : typed) {
        if (c.isDigit() && c.unicode() < 0x80 && digits.size() < box_digits) digits += c;
    }
    if (!digits.isEmpty() && digits.toInt() > highest_value) digits = QString::number(highest_value);
    return digits;
}

}  // namespace

AddressField::AddressField(QWidget* parent) : QFrame(parent)
{
    setFrameShape(QFrame::StyledPanel);
    setFrameShadow(QFrame::Sunken);
    setBackgroundRole(QPalette::Base);
    setAutoFillBackground(true);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(2, 1, 2, 1);
    row->setSpacing(0);
    for (int index = 0; index < 4; ++index) {
        if (index > 0) {
            auto* dot = new QLabel(".", this);
            dot->setAlignment(Qt::AlignCenter);
            row->addWidget(dot);
        }
        auto* box = new QLineEdit(this);
        box->setFrame(false);
        box->setAlignment(Qt::AlignCenter);
        box->setMaxLength(box_digits);
        read_as_number(box, highest_value);
        box->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]{0,3}"), box));
        box->setFocusPolicy(index == 0 ? Qt::StrongFocus : Qt::ClickFocus);
        box->installEventFilter(this);
        connect(box, &QLineEdit::textEdited, this, [this, index] { edited(index); });
        row->addWidget(box, 1);
        boxes_[static_cast<std::size_t>(index)] = box;
    }
}

QString AddressField::text() const
{
    QStringList groups;
    for (const QLineEdit* box : boxes_) groups << box->text();
    return groups.join('.');
}

void AddressField::fill(const QString& dotted, int from_box)
{
    const QStringList groups = dotted.trimmed().split('.');
    int index = from_box;
    for (const QString& group : groups) {
        if (index > 3) break;
        box(index)->setText(box_text(group));
        ++index;
    }
    move_to(std::min(index - 1, 3), false, true);
}

void AddressField::focus_first_box() { move_to(0, true, false); }

int AddressField::index_of(QObject* watched) const
{
    for (int index = 0; index < 4; ++index) {
        if (boxes_[static_cast<std::size_t>(index)] == watched) return index;
    }
    return -1;
}

void AddressField::move_to(int index, bool select_all, bool at_end)
{
    QLineEdit* next = box(index);
    next->setFocus(Qt::OtherFocusReason);
    if (select_all) next->selectAll();
    else next->setCursorPosition(at_end ? static_cast<int>(next->text().size()) : 0);
}

void AddressField::leave_backwards()
{
    for (QWidget* before = box(0)->previousInFocusChain(); before != box(0); before = before->previousInFocusChain()) {
        if (before->window() == window() && (before->focusPolicy() & Qt::TabFocus) != 0 && before->isEnabled() &&
            before->isVisibleTo(window()) && !isAncestorOf(before)) {
            before->setFocus(Qt::BacktabFocusReason);
            return;
        }
    }
}

void AddressField::edited(int index)
{
    QLineEdit* edited_box = box(index);
    const QString clamped = box_text(edited_box->text());
    if (clamped != edited_box->text()) {
        edited_box->setText(clamped);
        announce_value(edited_box);
    }
    if (index < 3 && clamped.size() == box_digits && edited_box->cursorPosition() == box_digits)
        move_to(index + 1, true, false);
}

bool AddressField::eventFilter(QObject* watched, QEvent* event)
{
    const int index = index_of(watched);
    if (index < 0 || event->type() != QEvent::KeyPress) return QFrame::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    QLineEdit* current = box(index);
    if (key->matches(QKeySequence::Paste)) {
        const QString pasted = QGuiApplication::clipboard()->text();
        if (!pasted.contains('.')) return false;
        fill(pasted, index);
        return true;
    }
    const bool at_start = current->cursorPosition() == 0 && !current->hasSelectedText();
    const bool at_end = current->cursorPosition() == current->text().size() && !current->hasSelectedText();
    switch (key->key()) {
    case Qt::Key_Period:
    case Qt::Key_Space:
        // As in the Windows control: a dot after digits moves on, one in an empty box
        // or before its digits is ignored, and so is one on the old digits selected when
        // the box was entered: after a third digit the dot that the user types next
        // belongs to the box just left, and skipping on would keep these digits.
        if (index < 3 && !current->text().isEmpty() && current->cursorPosition() > 0 && !current->hasSelectedText())
            move_to(index + 1, true, false);
        return true;
    case Qt::Key_Backspace:
    case Qt::Key_Left:
        if (!at_start || index == 0) return false;
        move_to(index - 1, false, true);
        return true;
    case Qt::Key_Right:
        if (!at_end || index == 3) return false;
        move_to(index + 1, false, false);
        return true;
    case Qt::Key_Backtab:
        // The four boxes are one control, as on Windows: Shift+Tab from any of them
        // leaves the field for the control before it, not for the first box.
        if (index == 0) return false;
        leave_backwards();
        return true;
    default:
        return false;
    }
}

}  // namespace voq::ui::qt
