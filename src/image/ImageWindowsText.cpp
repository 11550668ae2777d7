#include "ImageWindowsText.h"

#include "i18n/LanguageTable.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QRegularExpression>
#include <QWidget>

namespace vantrel {

namespace {

QString withoutAccelerator(QString text)
{
    return text.remove(QRegularExpression("&(?!&)"));
}

QString captionOf(const QWidget* control)
{
    if (const auto* menu = qobject_cast<const QMenu*>(control))
        return menu->title();
    if (const auto* button = qobject_cast<const QAbstractButton*>(control))
        return button->text();
    if (const auto* label = qobject_cast<const QLabel*>(control))
        return label->text();
    if (const auto* group = qobject_cast<const QGroupBox*>(control))
        return group->title();
    return {};
}

QString accessibleTextOf(const std::string& window, const QWidget* control)
{
    const LanguageTable& table = languageTable();
    if (const StringRecord* record = table.findComponentRecord(window, control->objectName().toStdString()))
        return table.textOf(*record);
    if (!control->toolTip().isEmpty())
        return control->toolTip();
    return captionOf(control);
}

} // namespace

void nameControlsForAccessibility(QWidget* window)
{
    const std::string windowName = window->objectName().toStdString();
    for (QWidget* control : window->findChildren<QWidget*>()) {
        if (control->objectName().isEmpty() || control->objectName().startsWith("qt_"))
            continue;
        const QString text = withoutAccelerator(accessibleTextOf(windowName, control));
        if (!text.isEmpty())
            control->setAccessibleName(text);
    }
}

QStringList textsOf(std::initializer_list<KeyedText> items)
{
    QStringList texts;
    for (const KeyedText& item : items) {
        const QString text = item.key ? textForKey(item.key) : QString();
        texts << (text.isEmpty() ? QString::fromUtf8(item.english) : text);
    }
    return texts;
}

} // namespace vantrel
