#pragma once

#include <QFrame>
#include <QLineEdit>
#include <QString>
#include <array>

namespace voq::ui::qt {

// The IPv4 address field: four boxes of up to three digits, each 0 to 255, in one
// framed row. Typing moves on to the next box after the third digit or a dot after digits
// typed, a box entered has its old digits selected so that typing replaces them,
// Backspace at the start of a box moves back, and pasting a dotted address fills the
// boxes. Only the first box is a tab stop, so Tab moves past the whole field, and
// Shift+Tab from any box moves to the control before it. A
// widget of its own because the toolkit reaches key handling only through one.
class AddressField : public QFrame {
public:
    explicit AddressField(QWidget* parent);

    // The four boxes joined by dots; an empty box gives an empty group ("10.1..13").
    QString text() const;
    // Fills the boxes from a dotted text, as a paste does.
    void fill(const QString& dotted, int from_box = 0);
    void focus_first_box();

    QLineEdit* box(int index) const { return boxes_[static_cast<std::size_t>(index)]; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    int index_of(QObject* watched) const;
    void move_to(int index, bool select_all, bool at_end);
    void edited(int index);
    void leave_backwards();

    std::array<QLineEdit*, 4> boxes_{};
};

}  // namespace voq::ui::qt
