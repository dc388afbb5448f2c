// What the Linux screens give a screen reader: the events that leave the program (as
// the accessibility bridge would receive them) and the interfaces it reads, on the
// real widgets of the real screens.

#include <gtest/gtest.h>

#include <QAccessible>
#include <QAccessibleEvent>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QTest>
#include <memory>
#include <vector>

#include "frontends/qt/address_field.h"
#include "frontends/qt/dialog_builder.h"
#include "ui/ids.h"
#include "ui/texts.h"

namespace voq::ui::qt {

// Installed by the test program's main before any screen exists, so that it hears
// what the program's own handler passes on.
void hear_accessibility_event(QAccessibleEvent* event);

namespace {

struct Heard {
    QAccessible::Event type;
    const QObject* source;
    QString text;
};

std::vector<Heard>* heard = nullptr;

class Listening : public ::testing::Test {
protected:
    void SetUp() override
    {
        QAccessible::setActive(true);
        ASSERT_TRUE(QAccessible::isActive()) << "the platform gives widgets no one to tell";
        heard = &events;
    }
    void TearDown() override
    {
        heard = nullptr;
        for (const BuiltDialog& screen : screens) delete screen.dialog;
    }
    BuiltDialog open(int template_id)
    {
        screens.push_back(build_dialog(template_id));
        screens.back().dialog->show();
        return screens.back();
    }
    std::vector<Heard> from(const QObject* source) const
    {
        std::vector<Heard> found;
        for (const Heard& each : events) {
            if (each.source == source) found.push_back(each);
        }
        return found;
    }

    std::vector<Heard> events;
    std::vector<BuiltDialog> screens;
};

QLineEdit* line(const BuiltDialog& screen, int id) { return qobject_cast<QLineEdit*>(screen.controls.at(id)); }

// Typing, deleting and pasting into the password field: the events say that characters
// came and went, never which.
TEST_F(Listening, NoCharacterOfThePasswordLeavesTheProgram)
{
    const struct {
        const char* what;
        std::function<void(QLineEdit*)> edit;
    } cases[] = {
        {"typed", [](QLineEdit* field) { QTest::keyClicks(field, "pw9"); }},
        {"typed and deleted",
         [](QLineEdit* field) {
             QTest::keyClicks(field, "pw9");
             QTest::keyClick(field, Qt::Key_Backspace);
             QTest::keyClick(field, Qt::Key_Home);
             QTest::keyClick(field, Qt::Key_Delete);
         }},
        {"replaced at once",
         [](QLineEdit* field) {
             field->setText("pw9");
             field->selectAll();
             QTest::keyClicks(field, "9");
         }},
    };
    for (const auto& each : cases) {
        SCOPED_TRACE(each.what);
        events.clear();
        const BuiltDialog screen = open(templates::password);
        QLineEdit* password = line(screen, controls::password);
        password->setFocus();
        each.edit(password);
        const std::vector<Heard> said = from(password);
        EXPECT_FALSE(said.empty()) << "a screen reader hears nothing of the typing";
        for (const Heard& event : said) {
            EXPECT_FALSE(event.text.contains('p') || event.text.contains('w') || event.text.contains('9'))
                << "event " << event.type << " carried " << event.text.toStdString();
        }
    }
}

// Orca builds the line it speaks as a field takes the focus from the field's runs of
// text attributes: what no run covers goes unsaid ("12" for 127, nothing for 7).
TEST_F(Listening, AFieldsAttributeRunCoversAllItsText)
{
    const struct {
        int template_id;
        int control;
        int box;  // of the address field; -1 for a field of its own
        QString text;
    } fields[] = {
        {templates::address_phone, controls::device_address, 0, "127"},
        {templates::address_phone, controls::device_address, 3, "7"},
        {templates::confirm_direct, controls::serial_number, -1, "VQ3300A01234"},
        {templates::password, controls::password, -1, "pw9"},
    };
    for (const auto& each : fields) {
        SCOPED_TRACE(each.text.toStdString());
        const BuiltDialog screen = open(each.template_id);
        QLineEdit* field = each.box < 0 ? line(screen, each.control)
                                        : dynamic_cast<AddressField*>(screen.controls.at(each.control))->box(each.box);
        field->setText(each.text);
        QAccessibleTextInterface* text = QAccessible::queryAccessibleInterface(field)->textInterface();
        ASSERT_NE(text, nullptr);
        for (int offset = 0; offset < int(each.text.size()); ++offset) {
            int start = -1;
            int end = -1;
            text->attributes(offset, &start, &end);
            EXPECT_EQ(start, 0);
            EXPECT_EQ(end, each.text.size());
        }
    }
}

// A number larger than a box holds becomes 255 without the user typing it: Orca speaks
// no text event the user's keys did not cause, and the box's new value is told instead.
TEST_F(Listening, ABoxTheFieldCorrectsTellsItsNewNumber)
{
    const BuiltDialog screen = open(templates::address_phone);
    QLineEdit* box = dynamic_cast<AddressField*>(screen.controls.at(controls::device_address))->box(0);
    box->setFocus();
    events.clear();
    QTest::keyClicks(box, "412");
    ASSERT_EQ(box->text(), "255");
    bool told = false;
    for (const Heard& event : from(box))
        told = told || (event.type == QAccessible::ValueChanged && event.text == "255");
    EXPECT_TRUE(told);
}

// The user name is no secret: its events go out as the toolkit made them.
TEST_F(Listening, TheUserNameIsHeardAsTyped)
{
    const BuiltDialog screen = open(templates::password);
    QLineEdit* user = line(screen, controls::user_name);
    user->clear();
    events.clear();
    QTest::keyClicks(user, "ab");
    QString inserted;
    for (const Heard& event : from(user)) {
        if (event.type == QAccessible::TextInserted) inserted += event.text;
    }
    EXPECT_EQ(inserted, "ab");
}

// The connecting and waiting bars cycle: no value change of theirs leaves the program,
// and they answer as busy, without a value; the uploading bar counts for real.
TEST_F(Listening, OnlyTheUploadingBarReportsItsPosition)
{
    const struct {
        int template_id;
        bool busy;
    } cases[] = {{templates::connecting, true}, {templates::waiting, true}, {templates::uploading, false}};
    for (const auto& each : cases) {
        SCOPED_TRACE(each.template_id);
        events.clear();
        auto* bar = qobject_cast<QProgressBar*>(open(each.template_id).controls.at(controls::progress_bar));
        bar->setRange(0, 100);
        bar->setValue(70);
        bool value_heard = false;
        for (const Heard& event : from(bar)) value_heard = value_heard || event.type == QAccessible::ValueChanged;
        EXPECT_EQ(value_heard, !each.busy);
        QAccessibleInterface* read = QAccessible::queryAccessibleInterface(bar);
        ASSERT_NE(read, nullptr);
        EXPECT_EQ(read->role(), QAccessible::ProgressBar);
        EXPECT_EQ(read->state().busy, each.busy);
        EXPECT_EQ(read->valueInterface() == nullptr, each.busy);
        EXPECT_EQ(read->text(QAccessible::Description) == "busy", each.busy);
    }
}

// The list of the PC's addresses: its label as its name, its value as its text, the
// item that holds the value selected, and a change of value heard as its text changing.
TEST_F(Listening, TheListSaysWhichAddressIsSelected)
{
    const BuiltDialog screen = open(templates::address_adapter);
    auto* list = qobject_cast<QComboBox*>(screen.controls.at(controls::local_addresses));
    list->addItems({"192.0.2.10", "198.51.100.7"});
    list->setCurrentIndex(0);
    events.clear();
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Down);
    ASSERT_EQ(list->currentIndex(), 1);

    QAccessibleInterface* read = QAccessible::queryAccessibleInterface(list);
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(read->text(QAccessible::Name), "Your IP Address");
    ASSERT_NE(read->textInterface(), nullptr);
    QAccessibleTextInterface* text = read->textInterface();
    EXPECT_EQ(text->text(0, text->characterCount()), "198.51.100.7");
    EXPECT_EQ(text->text(-5, 1000), "198.51.100.7");
    EXPECT_EQ(text->text(7, 3), "");
    QAccessibleInterface* items = read->child(0);
    ASSERT_NE(items, nullptr);
    std::vector<QString> selected;
    for (int k = 0; k < items->childCount(); ++k) {
        if (items->child(k)->state().selected) selected.push_back(items->child(k)->text(QAccessible::Name));
    }
    EXPECT_EQ(selected, std::vector<QString>{"198.51.100.7"});
    bool heard_change = false;
    for (const Heard& event : from(list)) heard_change = heard_change || event.text.contains("198.51.100.7");
    EXPECT_TRUE(heard_change);
}

TEST_F(Listening, TheAddressFieldIsAGroupNotAWindow)
{
    const BuiltDialog screen = open(templates::address_phone);
    QAccessibleInterface* read = QAccessible::queryAccessibleInterface(screen.controls.at(controls::device_address));
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(read->role(), QAccessible::Grouping);
    EXPECT_EQ(read->text(QAccessible::Name), "Please enter IP address of your VOQ:");
    int boxes = 0;  // the dots between them are texts
    for (int k = 0; k < read->childCount(); ++k) boxes += read->child(k)->role() == QAccessible::EditableText ? 1 : 0;
    EXPECT_EQ(boxes, 4);
}

// Each field is labelled by the label beside it, through the relation a screen reader
// follows.
TEST_F(Listening, EachFieldIsLabelledByItsLabel)
{
    const struct {
        int template_id;
        int field;
        const char* label;
    } cases[] = {
        {templates::confirm_direct, controls::serial_number, "Serial Number"},
        {templates::confirm_staged, controls::product_name, "Product Name"},
        {templates::password, controls::password, "Password"},
        {templates::address_adapter, controls::local_addresses, "Your IP Address"},
        {templates::success, controls::version_now, "Firmware version now running:"},
    };
    for (const auto& each : cases) {
        SCOPED_TRACE(each.label);
        const BuiltDialog screen = open(each.template_id);
        QAccessibleInterface* field = QAccessible::queryAccessibleInterface(screen.controls.at(each.field));
        ASSERT_NE(field, nullptr);
        QStringList labels;
        for (const auto& [other, relation] : field->relations(QAccessible::Label))
            labels << other->text(QAccessible::Name);
        EXPECT_EQ(labels, QStringList{each.label});
    }
}

// The body as the screen's description, kept with the text the screen shows.
TEST_F(Listening, EachScreenDescribesItselfByItsBody)
{
    const BuiltDialog warning = open(templates::warning);
    set_control_text(warning, controls::warning_text, "WARNING: first line\r\nsecond line");
    describe(warning);
    EXPECT_EQ(warning.dialog->accessibleDescription(), "WARNING: first line\nsecond line");

    const BuiltDialog uploading = open(templates::uploading);
    describe(uploading);
    EXPECT_EQ(uploading.dialog->accessibleDescription(), from_text(text::uploading_notice));

    // The waiting bar only cycles: the screen says so after its text.
    const BuiltDialog waiting = open(templates::waiting);
    describe(waiting);
    EXPECT_EQ(waiting.dialog->accessibleDescription(), "busy");
    set_control_text(waiting, controls::waiting_text, "Now waiting");
    describe(waiting);
    EXPECT_EQ(waiting.dialog->accessibleDescription(), "Now waiting\nbusy");

    const BuiltDialog success = open(templates::success);
    set_control_text(success, controls::text_pane, "Done; the version shown below.");
    set_control_text(success, controls::version_now, "2.0.13(g)");
    describe(success);
    EXPECT_EQ(success.dialog->accessibleDescription(),
              "Done; the version shown below.\nFirmware version now running:\n2.0.13(g)");

    const BuiltDialog connecting = open(templates::connecting);
    describe(connecting);
    EXPECT_EQ(connecting.dialog->accessibleDescription(), "busy");
}

}  // namespace

void hear_accessibility_event(QAccessibleEvent* event)
{
    if (heard == nullptr) return;
    QString text;
    switch (event->type()) {
    case QAccessible::TextInserted:
        text = static_cast<QAccessibleTextInsertEvent*>(event)->textInserted();
        break;
    case QAccessible::TextRemoved:
        text = static_cast<QAccessibleTextRemoveEvent*>(event)->textRemoved();
        break;
    case QAccessible::TextUpdated: {
        auto* updated = static_cast<QAccessibleTextUpdateEvent*>(event);
        text = updated->textRemoved() + "|" + updated->textInserted();
        break;
    }
    case QAccessible::ValueChanged:
        text = static_cast<QAccessibleValueChangeEvent*>(event)->value().toString();
        break;
    default:
        break;
    }
    QAccessibleInterface* source = event->accessibleInterface();
    heard->push_back({event->type(), source != nullptr ? source->object() : event->object(), text});
}

}  // namespace voq::ui::qt
