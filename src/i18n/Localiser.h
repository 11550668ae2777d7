#pragma once
#include "i18n/LanguageTable.h"

class QObject;
class QWidget;

namespace vantrel {

// The kinds of control the string file can address. Each is one exact Qt class: menu item =
// QAction or QMenu, button = QPushButton or QToolButton, label = QLabel, radio button =
// QRadioButton, radio group = RadioGroup, group box = QGroupBox, tab page = a page of a
// QTabWidget, check box = QCheckBox, page control = QTabWidget, list box = QListWidget,
// combo box = QComboBox, edit = QLineEdit, string grid = QTableWidget. A subclass with a
// class of its own is none of them.
enum class ControlKind {
    None, MenuItem, Button, Label, RadioButton, RadioGroup, GroupBox, TabPage, CheckBox,
    PageControl, ListBox, ComboBox, Edit, StringGrid,
};

ControlKind controlKindOf(const QObject* control);

// Gives every named control of `window` (whose object name is the window's name, "frm" +
// role) the text and font of its record in the string file. Controls without a record keep
// what they have. The screen's pixels per inch pick the font sizes.
void localise(const LanguageTable& table, QWidget* window);
void localise(const LanguageTable& table, QWidget* window, double dotsPerInch);

} // namespace vantrel
