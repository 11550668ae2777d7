#include "Widgets.h"

#include <QAction>
#include <QApplication>
#include <QKeySequence>
#include <QLabel>
#include <QPushButton>

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

namespace {

QLabel* namedLabel(QWidget* parent, const char* name, const QString& text)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    return label;
}

QLabel* sizedToText(QLabel* label, const QPoint& at)
{
    label->move(at);
    label->adjustSize();
    return label;
}

} // namespace

QLabel* makeLabel(QWidget* parent, const char* name, const QString& text, const QRect& place)
{
    QLabel* label = namedLabel(parent, name, text);
    label->setGeometry(place);
    return label;
}

QLabel* makeLabel(QWidget* parent, const char* name, const QString& text, const QPoint& at)
{
    return sizedToText(namedLabel(parent, name, text), at);
}

QLabel* makeLabel(QWidget* parent, const char* name, const QString& text, const QPoint& at, const QFont& font)
{
    QLabel* label = namedLabel(parent, name, text);
    label->setFont(font);
    return sizedToText(label, at);
}

QPushButton* makePushButton(QWidget* parent, const char* name, const QString& text, const QRect& place)
{
    auto* button = new QPushButton(text, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setGeometry(place);
    return button;
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
