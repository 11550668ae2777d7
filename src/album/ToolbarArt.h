#pragma once
#include <QCursor>
#include <QPixmap>

namespace vantrel {

// The tool bar's pictures, drawn in code under the names of their buttons: "btnOpen",
// "btnSave", "btnVCR", "btnEDS" (28 x 28) and the logos "btnLogoEng", "btnLogoJpn"
// (209 x 23). An unknown name gives an empty picture.
QPixmap toolbarPicture(const char* name);

// The index's drag cursors, drawn in code: 10 "CURIMG" (moving pictures) and 11 "CURIMGP"
// (copying them), 32 x 32 with the hot spot at the arrow's tip. An unknown name gives the
// arrow.
QCursor dragCursor(const char* resource);

} // namespace vantrel
