#pragma once
#include <cstdint>
#include <string>

namespace vantrel {

// The largest pictures the image kit reads, judged from a file's header before it is decoded.
// A side of 32768 and 2^28 pixels (1 GiB at four bytes a pixel) lie above what any camera
// takes (the largest sensors give about 200 million pixels). A file must also hold at least
// one byte for every 1024 pixels it declares: no complete bitmap (even run-length coded) or
// JPEG is denser, and a short file that declares a huge picture would otherwise cost the
// memory of that picture.
struct PictureLimits {
    int64_t side;
    int64_t pixels;
    int64_t pixelsPerFileByte;
};
inline constexpr PictureLimits pictureLimits{32768, int64_t(1) << 28, 1024};

enum class PictureSizeCheck { fits, tooLarge, tooLittleData };

PictureSizeCheck checkPictureSize(int64_t width, int64_t height, int64_t fileBytes);
// What the user is told about a picture refused for its size; empty when it fits.
std::string pictureSizeMessage(PictureSizeCheck check, int64_t width, int64_t height);

} // namespace vantrel
