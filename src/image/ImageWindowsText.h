#pragma once
#include <QStringList>

#include <initializer_list>

class QWidget;

namespace vantrel {

// Gives every named control of the window an accessible name in the running language: the
// text of its record in the string file, else its hint, else its caption.
void nameControlsForAccessibility(QWidget* window);

// The texts of language keys; a key missing from the file gives the key's own English text.
struct KeyedText {
    const char* key;    // null for a text that is not looked up
    const char* english;
};
QStringList textsOf(std::initializer_list<KeyedText> items);

} // namespace vantrel
