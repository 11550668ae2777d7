#pragma once
#include <QPixmap>

namespace vantrel {

// The pictures of the viewer's buttons, drawn by the program.
enum class ViewerGlyph { First, Previous, Play, Playing, Stop, Next, Last };

QPixmap viewerGlyph(ViewerGlyph glyph);
// The program's name on a 209 x 23 logo.
QPixmap viewerLogo(bool japanese);

} // namespace vantrel
