#include "Localiser.h"

#include "RadioGroup.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTableWidget>
#include <QToolButton>
#include <array>
#include <utility>

namespace vantrel {

namespace {

constexpr double defaultDotsPerInch = 96;

const std::array<std::pair<const QMetaObject*, ControlKind>, 14> controlClasses = {{
    {&QAction::staticMetaObject, ControlKind::MenuItem},
    {&QMenu::staticMetaObject, ControlKind::MenuItem},
    {&QPushButton::staticMetaObject, ControlKind::Button},
    {&QToolButton::staticMetaObject, ControlKind::Button},
    {&QLabel::staticMetaObject, ControlKind::Label},
    {&QRadioButton::staticMetaObject, ControlKind::RadioButton},
    {&RadioGroup::staticMetaObject, ControlKind::RadioGroup},
    {&QGroupBox::staticMetaObject, ControlKind::GroupBox},
    {&QCheckBox::staticMetaObject, ControlKind::CheckBox},
    {&QTabWidget::staticMetaObject, ControlKind::PageControl},
    {&QListWidget::staticMetaObject, ControlKind::ListBox},
    {&QComboBox::staticMetaObject, ControlKind::ComboBox},
    {&QLineEdit::staticMetaObject, ControlKind::Edit},
    {&QTableWidget::staticMetaObject, ControlKind::StringGrid},
}};

// The page control that holds `widget` as one of its pages, or null.
QTabWidget* pageControlOf(const QObject* control)
{
    const auto* widget = qobject_cast<const QWidget*>(control);
    if (!widget || !qobject_cast<QStackedWidget*>(widget->parentWidget()))
        return nullptr;
    auto* pages = qobject_cast<QTabWidget*>(widget->parentWidget()->parentWidget());
    return pages && pages->indexOf(const_cast<QWidget*>(widget)) >= 0 ? pages : nullptr;
}

bool isButtonHint(const StringRecord& record)
{
    return record.style == hintStyle;
}

void setCaption(QObject* control, ControlKind kind, const QString& text)
{
    switch (kind) {
    case ControlKind::MenuItem:
        if (auto* menu = qobject_cast<QMenu*>(control))
            menu->setTitle(text);
        else
            static_cast<QAction*>(control)->setText(text);
        break;
    case ControlKind::Button:
    case ControlKind::RadioButton:
    case ControlKind::CheckBox:
        static_cast<QAbstractButton*>(control)->setText(text);
        break;
    case ControlKind::Label:
        static_cast<QLabel*>(control)->setText(text);
        break;
    case ControlKind::RadioGroup:
    case ControlKind::GroupBox:
        static_cast<QGroupBox*>(control)->setTitle(text);
        break;
    case ControlKind::TabPage: {
        QTabWidget* pages = pageControlOf(control);
        pages->setTabText(pages->indexOf(static_cast<QWidget*>(control)), text);
        break;
    }
    default:
        break;
    }
}

bool hasCaption(ControlKind kind)
{
    switch (kind) {
    case ControlKind::PageControl:
    case ControlKind::ListBox:
    case ControlKind::ComboBox:
    case ControlKind::Edit:
    case ControlKind::StringGrid:
        return false;
    default:
        return true;
    }
}

void applyFont(const LanguageTable& table, const StringRecord& record, QWidget* widget,
               double dotsPerInch)
{
    QFont font = widget->font();
    if (table.applyStyle(table.findStyle(record.style), dotsPerInch, font))
        widget->setFont(font);
}

void localiseControl(const LanguageTable& table, QObject* control, ControlKind kind,
                     const StringRecord& record, double dotsPerInch)
{
    const QString text = table.textOf(record);
    if (kind == ControlKind::Button && isButtonHint(record)) {
        static_cast<QWidget*>(control)->setToolTip(text);
        return;
    }
    if (hasCaption(kind))
        setCaption(control, kind, text);
    if (kind != ControlKind::MenuItem)
        applyFont(table, record, static_cast<QWidget*>(control), dotsPerInch);
}

// The window's controls in creation order, depth first; other windows inside it (but not
// its menus) are not its controls.
void collectControls(QObject* parent, std::vector<QObject*>& controls)
{
    for (QObject* child : parent->children()) {
        controls.push_back(child);
        const auto* widget = qobject_cast<QWidget*>(child);
        if (widget && widget->isWindow() && !qobject_cast<QMenu*>(child))
            continue;
        collectControls(child, controls);
    }
}

double screenDotsPerInch()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->logicalDotsPerInch() : defaultDotsPerInch;
}

} // namespace

ControlKind controlKindOf(const QObject* control)
{
    if (pageControlOf(control))
        return ControlKind::TabPage;
    for (const auto& [metaObject, kind] : controlClasses)
        if (control->metaObject() == metaObject)
            return kind;
    return ControlKind::None;
}

void localise(const LanguageTable& table, QWidget* window)
{
    localise(table, window, screenDotsPerInch());
}

void localise(const LanguageTable& table, QWidget* window, double dotsPerInch)
{
    const std::string windowName = window->objectName().toStdString();
    std::vector<QObject*> controls;
    collectControls(window, controls);
    for (QObject* control : controls) {
        const std::string name = control->objectName().toStdString();
        const ControlKind kind = controlKindOf(control);
        if (name.empty() || kind == ControlKind::None)
            continue;
        if (const StringRecord* record = table.findComponentRecord(windowName, name))
            localiseControl(table, control, kind, *record, dotsPerInch);
    }
}

} // namespace vantrel
