#pragma once
#include <QMenu>
#include <QMenuBar>
#include <QObject>
#include <QString>

#include <array>
#include <cstddef>

class QAction;
class QLabel;
class QWidget;

namespace vantrel {

// The hourglass for the length of an operation; the wait dialog's close may have taken it
// down already.
class HourGlass {
public:
    HourGlass();
    ~HourGlass();
    HourGlass(const HourGlass&) = delete;
    HourGlass& operator=(const HourGlass&) = delete;
};

// The normal cursor over a message box shown in the middle of an operation; the operation's
// hourglass comes back afterwards.
class NormalCursor {
public:
    NormalCursor();
    ~NormalCursor();
    NormalCursor(const NormalCursor&) = delete;
    NormalCursor& operator=(const NormalCursor&) = delete;
};

// A menu named `name`; its item in a menu bar is named `name` + "Item".
QMenu* makeMenu(QWidget* parent, const char* name, const char* caption);
// An item of `menu` (or of a menu bar) named `name`, with `shortcut` ("" for none).
QAction* addMenuItem(QWidget* menu, const char* name, const char* caption, const char* shortcut = "");

// A row of a window's menu table: the item's object name (null ends the rows, "-" is a
// separator), its caption and shortcut, and the window's handler for it (null when the
// window finishes the item itself: a submenu, a check mark, an item that needs an argument).
template <class Window>
struct MenuItem {
    const char* name;
    const char* caption;
    const char* shortcut = "";
    void (Window::*handler)() = nullptr;
};

// A menu of a window's menu bar: its rows and the handler run as it opens. A column without
// rows is an item on the bar itself, chosen with `opening`.
template <class Window, size_t Rows>
struct MenuColumn {
    const char* name;
    const char* caption;
    std::array<MenuItem<Window>, Rows> items;
    void (Window::*opening)() = nullptr;
};

template <class Window, size_t Rows>
void addMenuItems(Window* window, QMenu* menu, const std::array<MenuItem<Window>, Rows>& items)
{
    for (const MenuItem<Window>& item : items) {
        if (!item.name)
            break;
        if (item.name[0] == '-') {
            menu->addSeparator();
            continue;
        }
        QAction* entry = addMenuItem(menu, item.name, item.caption, item.shortcut);
        if (item.handler)
            QObject::connect(entry, &QAction::triggered, window, item.handler);
    }
}

template <class Window, size_t Columns, size_t Rows>
void buildMenuBar(Window* window, QMenuBar* bar, const std::array<MenuColumn<Window, Rows>, Columns>& columns)
{
    bar->setObjectName("MainMenu1");
    for (const MenuColumn<Window, Rows>& column : columns) {
        if (!column.items[0].name) {
            QAction* entry = addMenuItem(bar, column.name, column.caption);
            if (column.opening)
                QObject::connect(entry, &QAction::triggered, window, column.opening);
            continue;
        }
        QMenu* menu = makeMenu(bar, column.name, column.caption);
        bar->addMenu(menu);
        addMenuItems(window, menu, column.items);
        if (column.opening)
            QObject::connect(menu, &QMenu::aboutToShow, window, column.opening);
    }
}

} // namespace vantrel
