#include "Widgets.h"

#include <QAction>
#include <QApplication>
#include <QKeySequence>
#include <QLabel>

namespace vantrel {

HourGlass::HourGlass()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
}

HourGlass::~HourGlass()
{
    if (QApplication::overrideCursor())
        QApplication::restoreOverrideCursor();
}

NormalCursor::NormalCursor()
{
    QApplication::setOverrideCursor(Qt::ArrowCursor);
}

NormalCursor::~NormalCursor()
{
    QApplication::restoreOverrideCursor();
}

QMenu* makeMenu(QWidget* parent, const char* name, const char* caption)
{
    auto* menu = new QMenu(QString::fromUtf8(caption), parent);
    menu->setObjectName(QString::fromLatin1(name));
    menu->menuAction()->setObjectName(QString::fromLatin1(name) + "Item");
    return menu;
}

QAction* addMenuItem(QWidget* menu, const char* name, const char* caption, const char* shortcut)
{
    auto* item = new QAction(QString::fromUtf8(caption), menu);
    item->setObjectName(QString::fromLatin1(name));
    item->setShortcut(QKeySequence(QString::fromUtf8(shortcut)));
    menu->addAction(item);
    return item;
}

} // namespace vantrel
