#include "frontends/qt/announcement.h"

#include <QAccessible>
#include <QAccessibleObject>
#include <QApplication>

namespace voq::ui::qt {

namespace {

constexpr const char* announcement_name = "voq_announcement";

class Notification : public QAccessibleObject {
public:
    explicit Notification(QObject* announcer) : QAccessibleObject(announcer) {}

    QAccessible::Role role() const override { return QAccessible::Notification; }
    QAccessible::State state() const override { return {}; }
    QString text(QAccessible::Text kind) const override
    {
        return kind == QAccessible::Name ? object()->property(announcement_name).toString() : QString();
    }
    // The application's, as a desktop notification's: Orca would say a window's
    // caption, role and description before the notification's.
    QAccessibleInterface* parent() const override { return QAccessible::queryAccessibleInterface(qApp); }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
};

QAccessibleInterface* notifications(const QString& class_name, QObject* object)
{
    if (class_name == QLatin1String("QObject") && object->property(announcement_name).isValid())
        return new Notification(object);
    return nullptr;
}

}  // namespace

void announce(QWidget* window, const QString& text)
{
    static const bool installed = (QAccessible::installFactory(notifications), true);
    static_cast<void>(installed);
    auto* announcer = window->findChild<QObject*>(QLatin1String(announcement_name), Qt::FindDirectChildrenOnly);
    if (announcer == nullptr) {
        announcer = new QObject(window);
        announcer->setObjectName(QLatin1String(announcement_name));
    }
    announcer->setProperty(announcement_name, text);
    // A notification is presented as it comes to show.
    QAccessibleEvent shown(announcer, QAccessible::ObjectShow);
    QAccessible::updateAccessibility(&shown);
}

}  // namespace voq::ui::qt
