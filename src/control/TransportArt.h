#pragma once

#include <QPixmap>
#include <string_view>

namespace vantrel {

// The controller's button pictures, drawn in code under their resource names: "REVG", "REVL",
// "PLAYG", "PLAYL", "PLAYRL", "FFG", "FFL", "SLOWRG", "SLOWRL", "PAUSEG", "PAUSEL", "SLOWG",
// "SLOWL", "STOPG", "STOPL" (G unlit, L lit), "STEP", "STEPR", "POWERON", "POWEROFF", "CAPT"
// and "AUTO". An unknown name gives an empty picture.
QPixmap transportPicture(std::string_view resource);

} // namespace vantrel
