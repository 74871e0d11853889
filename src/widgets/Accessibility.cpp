// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "widgets/Accessibility.h"

#include "widgets/LinkLabel.h"
#include "widgets/PictureElement.h"

#include <QAccessible>
#include <QAccessibleWidget>

namespace {

/** The link label: named by its text, pressed as it is clicked. */
class AccessibleLink : public QAccessibleWidget
{
public:
    explicit AccessibleLink(LinkLabel *label) : QAccessibleWidget(label, QAccessible::Link) {}

    QString text(QAccessible::Text t) const override
    {
        const QString own = QAccessibleWidget::text(t);
        if (t == QAccessible::Name && own.isEmpty())
            return label()->text();
        return own;
    }
    QStringList actionNames() const override
    {
        return QStringList{pressAction()} + QAccessibleWidget::actionNames();
    }
    void doAction(const QString &action) override
    {
        if (action == pressAction())
            label()->activate();
        else
            QAccessibleWidget::doAction(action);
    }

private:
    LinkLabel *label() const { return static_cast<LinkLabel *>(widget()); }
};

QAccessibleInterface *roleOf(const QString &className, QObject *object)
{
    // Asked once per class of the object's ancestry; answer for the object's own class
    // only, so Qt's answer for a base class is never shadowed twice.
    if (!object || !object->isWidgetType() ||
        className != QLatin1String(object->metaObject()->className()))
        return nullptr;
    auto *widget = static_cast<QWidget *>(object);
    // The program's own windows are bare widgets, which Qt would call a mere client area
    // (pop-ups, such as menus, are windows of another type and keep Qt's answer).
    if (widget->windowType() == Qt::Window &&
        widget->metaObject()->superClass() == &QWidget::staticMetaObject)
        return new QAccessibleWidget(widget, QAccessible::Window);
    if (auto *picture = qobject_cast<PictureElement *>(widget))
        return new QAccessibleWidget(picture, QAccessible::Graphic);
    if (auto *link = qobject_cast<LinkLabel *>(widget))
        return new AccessibleLink(link);
    return nullptr;
}

} // namespace

void Accessibility::install()
{
    static const bool installed = [] {
        QAccessible::installFactory(roleOf);
        return true;
    }();
    Q_UNUSED(installed);
}
