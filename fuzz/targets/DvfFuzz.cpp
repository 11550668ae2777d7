// DVF files as a user brings them: the read, then the decode at full and one-eighth size.
#include "../FuzzTarget.h"

#include "image/DvCodec.h"
#include "image/Dvf.h"
#include "image/FrameBitmap.h"

namespace {

void decodeAndCheck(const std::string& path, bool eighth, int32_t correction)
{
    vantrel::PictureRecord record;
    record.path = path;
    if (!vantrel::readPictureFile(record))
        return;
    vantrel::fuzz::check(record.timeCode.size() == vantrel::timeCodeTextLength,
                         "a read picture has an eleven-character time code");
    vantrel::FrameBitmap bitmap;
    const int32_t result = vantrel::decodeIntoBitmap(record, bitmap, eighth, correction);
    vantrel::fuzz::check(!record.frame, "the decode releases the frame data");
    if (result != vantrel::dvcOk)
        return;
    const int lines = vantrel::linesOf(record.videoSystem());
    vantrel::fuzz::check(bitmap.width == (eighth ? 90 : 720) && bitmap.height == (eighth ? lines / 8 : lines),
                         "a decoded picture has the size of its system");
}

} // namespace

VANTREL_FUZZ_TARGET(dvf)
{
    static const bool loaded = vantrel::DvcLoad();
    vantrel::fuzz::check(loaded, "the DV codec loads");
    const std::string& path = vantrel::fuzz::asFile("dvf", data, size);
    // Header byte 11 (zero in every file written) picks the correction, so the fuzzer walks
    // all three.
    const int32_t correction = size > 11 ? data[11] % 3 : vantrel::correctionNone;
    decodeAndCheck(path, true, correction);
    decodeAndCheck(path, false, correction);
}
