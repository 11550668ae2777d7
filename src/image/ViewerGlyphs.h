#pragma once
#include <QPixmap>

class QToolButton;
class QWidget;

namespace vantrel {

// The pictures of the viewer's buttons, drawn by the program.
enum class ViewerGlyph { First, Previous, Play, Playing, Stop, Next, Last };

QPixmap viewerGlyph(ViewerGlyph glyph);
// The program's name on a 209 x 23 logo.
QPixmap viewerLogo(bool japanese);

// The navigation buttons of the viewer's tool bar and of the button bar, left to right.
struct NavigationButton {
    const char* name;
    const char* hint;
    ViewerGlyph glyph;
};
inline constexpr int navigationButtonSize = 34;
inline constexpr NavigationButton navigationButtons[6] = {
    {"btnFirst", "First Image", ViewerGlyph::First}, {"btnPrev", "Previos Image", ViewerGlyph::Previous},
    {"btnSS", "Slide Show", ViewerGlyph::Play},      {"btnStop", "Stop", ViewerGlyph::Stop},
    {"btnNext", "Next Image", ViewerGlyph::Next},    {"btnLast", "Last Image", ViewerGlyph::Last},
};
// A button of navigationButtonSize square with the glyph and the hint.
QToolButton* newNavigationButton(QWidget* parent, const NavigationButton& look);

} // namespace vantrel
