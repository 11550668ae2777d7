#pragma once
#include "image/ImageSettings.h" // defaultBackColour

#include <QColor>

#include <cstdint>

namespace vantrel {

// Colour values as the settings file keeps them: 0x00BBGGRR, or a system colour whose top
// byte is not zero.
inline constexpr uint32_t systemWindowColour = 0x80000005;
inline constexpr uint32_t systemButtonFaceColour = 0x8000000F;

// The colour to paint for a colour value; system colours come from the application palette.
QColor colourOfValue(uint32_t value);
// The plain colour value of a colour.
uint32_t valueOfColour(const QColor& colour);

} // namespace vantrel
