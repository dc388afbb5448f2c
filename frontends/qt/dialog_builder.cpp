#include "frontends/qt/dialog_builder.h"

#include <QApplication>
#include <QComboBox>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTextDocument>
#include <algorithm>

#include "frontends/qt/accessibility.h"
#include "frontends/qt/address_field.h"
#include "frontends/qt/icons.h"
#include "ui/accessible_names.h"
#include "ui/dialog_templates.h"

namespace voq::ui::qt {

namespace {

// Dialog units of the dialog's font: a quarter of its average character width, an
// eighth of its height.
struct DialogUnits {
    double x;
    double y;
};

DialogUnits units_of(const QFont& font)
{
    const QFontMetrics metrics(font);
    const double average = metrics.horizontalAdvance("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz") / 52.0;
    return {average / 4.0, metrics.height() / 8.0};
}

QRect in_pixels(const DialogUnits& units, int x, int y, int width, int height)
{
    return QRect(qRound(x * units.x), qRound(y * units.y), qRound(width * units.x), qRound(height * units.y));
}

QWidget* make_control(const Control& control, QDialog* dialog)
{
    const QString text = from_text(control.text);
    switch (control.kind) {
    case ControlKind::push_button:
    case ControlKind::default_button: {
        // Auto-default, as the Windows dialog manager has it: Enter presses the focused
        // button, and the template's default one when the focus is elsewhere.
        auto* button = new QPushButton(text, dialog);
        button->setAutoDefault(true);
        button->setDefault(control.kind == ControlKind::default_button);
        return button;
    }
    case ControlKind::text_pane: {
        auto* pane = new QPlainTextEdit(dialog);
        pane->setReadOnly(true);
        pane->setTabChangesFocus(true);
        pane->setFrameShape(QFrame::NoFrame);
        pane->setLineWrapMode(QPlainTextEdit::NoWrap);
        pane->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
        pane->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
        pane->setBackgroundRole(QPalette::Window);
        pane->document()->setDocumentMargin(1);
        pane->viewport()->setAutoFillBackground(false);
        return pane;
    }
    case ControlKind::value_field:
    case ControlKind::centred_value_field:
    case ControlKind::plain_line: {
        auto* field = new QLineEdit(dialog);
        field->setReadOnly(true);
        field->setFrame(control.kind != ControlKind::plain_line);
        if (control.kind == ControlKind::centred_value_field) field->setAlignment(Qt::AlignCenter);
        if (control.kind == ControlKind::plain_line) field->setStyleSheet("background: transparent");
        return field;
    }
    case ControlKind::entry_field:
    case ControlKind::password_field: {
        auto* field = new QLineEdit(dialog);
        field->setMaxLength(126);
        if (control.kind == ControlKind::password_field) field->setEchoMode(QLineEdit::Password);
        return field;
    }
    case ControlKind::address_field:
        return new AddressField(dialog);
    case ControlKind::label:
    case ControlKind::right_label:
    case ControlKind::wrapped_text:
    case ControlKind::centred_wrapped_text: {
        auto* label = new QLabel(text, dialog);
        label->setWordWrap(control.kind == ControlKind::wrapped_text ||
                           control.kind == ControlKind::centred_wrapped_text);
        const Qt::Alignment alignment = control.kind == ControlKind::right_label ? Qt::AlignRight | Qt::AlignVCenter
                                        : control.kind == ControlKind::centred_wrapped_text
                                            ? Qt::AlignHCenter | Qt::AlignTop
                                        : control.kind == ControlKind::label ? Qt::AlignLeft | Qt::AlignVCenter
                                                                             : Qt::AlignLeft | Qt::AlignTop;
        label->setAlignment(alignment);
        return label;
    }
    case ControlKind::icon: {
        auto* icon = new QLabel(dialog);
        icon->setPixmap(icon_pixmap(control.icon));
        icon->setAlignment(Qt::AlignCenter);
        return icon;
    }
    case ControlKind::drop_down_list:
        return new QComboBox(dialog);
    case ControlKind::progress_bar: {
        auto* bar = new QProgressBar(dialog);
        bar->setTextVisible(false);
        return bar;
    }
    }
    return new QWidget(dialog);
}

}  // namespace

QString from_text(std::string_view text)
{
    // The texts are 8-bit; their line breaks are "\r\n".
    QString converted = QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
    converted.replace("\r\n", "\n");
    return converted;
}

BuiltDialog build_dialog(int template_id)
{
    const DialogTemplate* layout = find_template(template_id);
    BuiltDialog built;
    built.dialog = new QDialog(nullptr, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                                            Qt::MSWindowsFixedSizeDialogHint);
    if (layout == nullptr) return built;
    QDialog* dialog = built.dialog;
    // The desktop's font, at the size its user chose: the dialog units follow it, as
    // Windows scales a dialog with its font's size at the screen's DPI.
    const QFont font = QApplication::font("QDialog");
    dialog->setFont(font);
    const DialogUnits units = units_of(font);
    dialog->setWindowTitle(from_text(layout->caption));
    dialog->setFixedSize(in_pixels(units, 0, 0, layout->width, layout->height).size());
    dialog->setWindowIcon(icon_pixmap(telephone_icon));
    std::vector<QWidget*> widgets;
    for (const Control& control : layout->controls) {
        QWidget* widget = make_control(control, dialog);
        widgets.push_back(widget);
        // Before the naming, which makes the toolkit look the control's interface up.
        if (control.kind == ControlKind::progress_bar && bar_is_busy_indicator(layout->id))
            show_as_busy_indicator(qobject_cast<QProgressBar*>(widget));
        name_for_screen_readers(widget, *layout, control);
        QRect area = in_pixels(units, control.x, control.y, control.width, control.height);
        // A drop-down list's height is that of its opened list.
        if (control.kind == ControlKind::drop_down_list) area.setHeight(widget->sizeHint().height());
        widget->setGeometry(area);
        // Not a tab stop: a click still focuses a text pane, as on Windows, but never
        // a progress bar, which would take the focus off Cancel.
        if (!control.tab_stop && widget->focusPolicy() != Qt::NoFocus) widget->setFocusPolicy(Qt::ClickFocus);
        if (control.kind == ControlKind::icon || control.kind == ControlKind::label ||
            control.kind == ControlKind::right_label)
            widget->setFocusPolicy(Qt::NoFocus);
        if (control.id != no_id) built.controls[control.id] = widget;
    }
    // The body is read top to bottom, a value with its label.
    std::vector<std::pair<int, QWidget*>> body;
    for (std::size_t k = 0; k < layout->controls.size(); ++k) {
        const Control& control = layout->controls[k];
        const Control* label = label_for(*layout, control);
        QWidget* label_widget =
            label != nullptr ? widgets[static_cast<std::size_t>(label - layout->controls.data())] : nullptr;
        if (label_widget != nullptr) tie_label(label_widget, widgets[k]);
        if (!is_body(control)) continue;
        if (label_widget != nullptr && !is_body(*label)) body.emplace_back(label->y, label_widget);
        body.emplace_back(control.y, widgets[k]);
    }
    std::stable_sort(body.begin(), body.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    for (const auto& [y, widget] : body) built.body.push_back(widget);
    return built;
}

void describe(const BuiltDialog& built) { describe_screen(built.dialog, built.body); }

void set_control_text(const BuiltDialog& built, int control, std::string_view text)
{
    const auto found = built.controls.find(control);
    if (found == built.controls.end()) return;
    QWidget* widget = found->second;
    if (auto* pane = qobject_cast<QPlainTextEdit*>(widget)) {
        pane->setPlainText(from_text(text));
    } else if (auto* field = qobject_cast<QLineEdit*>(widget)) {
        field->setText(from_text(text));
        field->setCursorPosition(0);
    } else if (auto* label = qobject_cast<QLabel*>(widget)) {
        label->setText(from_text(text));
    }
}

QPoint centred_origin(QSize frame, const QRect& screen)
{
    return {screen.x() + ((screen.width() - frame.width()) >> 1),
            screen.y() + ((screen.height() - frame.height()) >> 1)};
}

// Unlike Windows', the primary screen of a desktop of several need not start at
// (0, 0); and a window's position is that of its outer frame.
void centre_window(QWidget* window)
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) return;
    window->move(centred_origin(window->frameGeometry().size(), screen->geometry()));
    // Windows without a window system (the offscreen platform) have no z-order.
    if (QGuiApplication::platformName() != "offscreen") window->raise();
}

}  // namespace voq::ui::qt
