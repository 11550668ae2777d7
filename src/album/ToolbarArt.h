#pragma once
#include <QPixmap>

namespace vantrel {

// The tool bar's pictures, drawn in code under the names of their buttons: "btnOpen",
// "btnSave", "btnVCR", "btnEDS" (28 x 28) and the logos "btnLogoEng", "btnLogoJpn"
// (209 x 23). An unknown name gives an empty picture.
QPixmap toolbarPicture(const char* name);

} // namespace vantrel
