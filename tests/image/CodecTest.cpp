#include "Fidelity.h"

#include "image/DvCodec.h"
#include "image/Dvf.h"
#include "image/TestPattern.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>

using namespace vantrel;
using vantrel::test::Picture;

namespace {

class Codec : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(DvcLoad()); }
};

int paddedRow(int width) { return (width * 3 + 3) & ~3; }

// Decodes a frame layout; the pixel area holds the padded rows plus a guard that must stay.
struct Decoded {
    int32_t result = -1;
    Picture picture;
    std::vector<uint8_t> raw;
};

constexpr uint8_t guardByte = 0xA5;
constexpr int guardBytes = 256;

Decoded decode(DvSystem system, const std::vector<uint8_t>& frame, int width, int height,
               int32_t correction = correctionNone)
{
    Decoded out;
    const DvcHandle decoder = DvcOpenDecoder(system);
    if (!decoder)
        return out;
    out.raw.assign(size_t(paddedRow(width)) * height + guardBytes, guardByte);
    const uint32_t dib = DvcGetDibInfo(720, linesOf(system));
    DvcDecodeParams params;
    params.width = width;
    params.height = height;
    params.correction = correction;
    out.result = DvcDecode(decoder, frame.data(), frameBytesOf(system), out.raw.data(), &dib, &params);
    DvcCloseDecoder(decoder);
    out.picture = test::fromBottomUp(out.raw.data(), width, height);
    return out;
}

Picture source(DvSystem system)
{
    return test::fromTopDown(testPattern(system).data(), 720, linesOf(system), 2160);
}

bool guardIntact(const Decoded& decoded, int width, int height)
{
    for (size_t i = size_t(paddedRow(width)) * height; i < decoded.raw.size(); ++i)
        if (decoded.raw[i] != guardByte)
            return false;
    return true;
}

Picture lowerHalf(const Picture& picture)
{
    const size_t half = size_t(picture.width) * (picture.height / 2) * 3;
    return {picture.width, picture.height - picture.height / 2,
            {picture.pixels.begin() + half, picture.pixels.end()}};
}

} // namespace

TEST_F(Codec, FullDecodeOfBothSystemsMatchesTheSource)
{
    for (const DvSystem system : {dvSystem525, dvSystem625}) {
        const int lines = linesOf(system);
        const auto frame = encodedTestFrame(system);
        ASSERT_FALSE(frame.empty());
        const Decoded decoded = decode(system, frame, 720, lines);
        ASSERT_EQ(decoded.result, dvcOk);
        EXPECT_TRUE(guardIntact(decoded, 720, lines));
        const double fidelity = test::psnr(decoded.picture, source(system));
        RecordProperty(system == dvSystem625 ? "psnr_625_full" : "psnr_525_full", int(fidelity * 100));
        EXPECT_GT(fidelity, 30.0) << "system " << system;
    }
}

TEST_F(Codec, PalFrameWithZeroedHeaderBlocksIsNotTakenForNtsc)
{
    // The frame layout carries no DSF bit; decoded as 525/60 the 576 lines would not come out.
    const auto frame = encodedTestFrame(dvSystem625);
    const Decoded decoded = decode(dvSystem625, frame, 720, 576);
    ASSERT_EQ(decoded.result, dvcOk);
    EXPECT_GT(test::psnr(lowerHalf(decoded.picture), lowerHalf(source(dvSystem625))), 30.0);
}

TEST_F(Codec, QuarterAndEighthDecodesGivePaddedRows)
{
    for (const int divisor : {4, 8})
        for (const DvSystem system : {dvSystem525, dvSystem625}) {
            const int width = 720 / divisor;
            const int lines = linesOf(system) / divisor;
            const int rowBytes = (width * 3 + 3) & ~3;
            const Decoded decoded = decode(system, encodedTestFrame(system), width, lines);
            ASSERT_EQ(decoded.result, dvcOk) << divisor;
            EXPECT_TRUE(guardIntact(decoded, width, lines));
            for (int row = 0; row < lines; ++row)
                for (int pad = width * 3; pad < rowBytes; ++pad)
                    EXPECT_EQ(decoded.raw[row * rowBytes + pad], 0);
            // One chroma value spans four (525/60) or two (625/50) thumbnail pixels, so the
            // colour bars smear at their edges; the ramps of the lower half come out close.
            // An eighth is each block's mean, as the box's; a quarter is the inverse transform
            // of each block's lowest four terms, a little further from it.
            const Picture expected = test::boxReduced(source(system), divisor);
            EXPECT_GT(test::psnr(decoded.picture, expected), 20.0) << "system " << system << " / " << divisor;
            EXPECT_GT(test::psnr(lowerHalf(decoded.picture), lowerHalf(expected)), divisor == 8 ? 35.0 : 30.0)
                << "system " << system << " / " << divisor;
        }
}

TEST_F(Codec, EncoderLeavesStoredSequencesFromByte32)
{
    for (const DvSystem system : {dvSystem525, dvSystem625}) {
        const DvcHandle encoder = DvcOpenEncoder(system);
        ASSERT_NE(encoder, 0);
        std::vector<uint8_t> out(dvEncodeBufferBytes, 0xEE);
        DvcEncodeParams params;
        params.height = linesOf(system);
        ASSERT_EQ(DvcEncode(encoder, out.data(), testPattern(system).data(), &params), dvcOk);
        DvcCloseEncoder(encoder);
        for (int s = 0; s < sequencesOf(system); ++s) {
            const uint8_t* first = &out[dvEncodedDataOffset + s * dvStoredSequenceBytes];
            EXPECT_EQ(first[0] & 0xE0, 0x20) << "sequence " << s << " starts with subcode";
            EXPECT_EQ(first[1], s << 4 | 7);
        }
        const int end = dvEncodedDataOffset + sequencesOf(system) * dvStoredSequenceBytes;
        EXPECT_EQ(out[end], 0xEE) << "nothing beyond the sequences";
    }
}

TEST_F(Codec, CallsBeforeLoadAndAfterReleaseFailCleanly)
{
    const DvcHandle decoder = DvcOpenDecoder(dvSystem525);
    ASSERT_NE(decoder, 0);
    DvcRelease();
    EXPECT_FALSE(DvcLoaded());
    EXPECT_EQ(DvcOpenDecoder(dvSystem525), 0);
    EXPECT_EQ(DvcOpenEncoder(dvSystem625), 0);
    const auto frame = std::vector<uint8_t>(frameLayoutBytes, 0);
    std::vector<uint8_t> pixels(2160 * 480);
    const uint32_t dib = DvcGetDibInfo(720, 480);
    DvcDecodeParams params;
    params.width = 720;
    params.height = 480;
    EXPECT_EQ(DvcDecode(decoder, frame.data(), 120000, pixels.data(), &dib, &params), dvcNotLoaded);
    DvcCloseDecoder(decoder);
    ASSERT_TRUE(DvcLoad());
    EXPECT_EQ(DvcDecode(decoder, frame.data(), 120000, pixels.data(), &dib, &params), dvcBadHandle)
        << "a handle from before the release stays dead";
}

TEST_F(Codec, BadArgumentsAreRefused)
{
    const DvcHandle decoder = DvcOpenDecoder(dvSystem525);
    const auto frame = encodedTestFrame(dvSystem525);
    std::vector<uint8_t> pixels(2160 * 576);
    const uint32_t dib = DvcGetDibInfo(720, 480);
    DvcDecodeParams params;
    params.width = 720;
    params.height = 480;
    EXPECT_EQ(DvcDecode(decoder, frame.data(), 144000, pixels.data(), &dib, &params), dvcBadArgument);
    EXPECT_EQ(DvcDecode(decoder, nullptr, 120000, pixels.data(), &dib, &params), dvcBadArgument);
    EXPECT_EQ(DvcDecode(decoder, frame.data(), 120000, nullptr, &dib, &params), dvcBadArgument);
    const uint32_t palDib = DvcGetDibInfo(720, 576);
    EXPECT_EQ(DvcDecode(decoder, frame.data(), 120000, pixels.data(), &palDib, &params), dvcBadArgument);
    params.width = 640;
    EXPECT_EQ(DvcDecode(decoder, frame.data(), 120000, pixels.data(), &dib, &params), dvcBadArgument);
    params.width = 90;
    params.height = 72;
    EXPECT_EQ(DvcDecode(decoder, frame.data(), 120000, pixels.data(), &dib, &params), dvcBadArgument);
    DvcCloseDecoder(decoder);
    EXPECT_EQ(DvcOpenDecoder(2), 0);
    const DvcHandle encoder = DvcOpenEncoder(dvSystem625);
    DvcEncodeParams encode; // 480 lines do not fit a 625/50 encoder
    std::vector<uint8_t> out(dvEncodeBufferBytes);
    EXPECT_EQ(DvcEncode(encoder, out.data(), pixels.data(), &encode), dvcBadArgument);
    DvcCloseEncoder(encoder);
}

TEST_F(Codec, NoiseInsteadOfAFrameDoesNotCrash)
{
    std::mt19937 random(7);
    std::vector<uint8_t> frame(frameLayoutBytes);
    for (auto& byte : frame)
        byte = uint8_t(random());
    for (const int width : {720, 90}) {
        const Decoded decoded = decode(dvSystem625, frame, width, width == 720 ? 576 : 72);
        EXPECT_TRUE(decoded.result == dvcOk || decoded.result == dvcDecodeFailed);
        EXPECT_TRUE(guardIntact(decoded, width, width == 720 ? 576 : 72));
    }
}

namespace {

// The test pattern with a bright block that stands 48 pixels further right in the odd field:
// an object that moved between the two fields.
constexpr int objectLeft = 200, objectTop = 300, objectSize = 96, objectShift = 48;

std::vector<uint8_t> movingObjectPicture(DvSystem system)
{
    std::vector<uint8_t> pixels = testPattern(system);
    for (int y = objectTop; y < objectTop + objectSize; ++y) {
        const int left = objectLeft + (y % 2 ? objectShift : 0);
        for (int x = left; x < left + objectSize; ++x)
            std::memset(&pixels[size_t(y) * 2160 + x * 3], 235, 3);
    }
    return pixels;
}

} // namespace

TEST_F(Codec, FieldAndMovementCorrectionRemoveCombing)
{
    const DvSystem system = dvSystem525;
    const auto frame = encodedFrame(system, movingObjectPicture(system));
    const int left = objectLeft - 8, right = objectLeft + objectSize + objectShift + 8;
    const int top = objectTop - 8, bottom = objectTop + objectSize + 8;
    const double none = test::combing(decode(system, frame, 720, 480).picture, left, top, right, bottom);
    const double field = test::combing(decode(system, frame, 720, 480, correctionField).picture,
                                       left, top, right, bottom);
    const double movement = test::combing(decode(system, frame, 720, 480, correctionMovement).picture,
                                          left, top, right, bottom);
    RecordProperty("combing_none", int(none * 100));
    RecordProperty("combing_field", int(field * 100));
    RecordProperty("combing_movement", int(movement * 100));
    EXPECT_GT(none, 20.0) << "the synthetic frame is combed";
    EXPECT_LT(field, none * 0.1);
    EXPECT_LT(movement, none * 0.25);
}

TEST_F(Codec, MovementCorrectionLeavesAStillPictureAlone)
{
    for (const DvSystem system : {dvSystem525, dvSystem625}) {
        const auto frame = encodedTestFrame(system);
        const Picture none = decode(system, frame, 720, linesOf(system)).picture;
        const Picture movement = decode(system, frame, 720, linesOf(system), correctionMovement).picture;
        const Picture field = decode(system, frame, 720, linesOf(system), correctionField).picture;
        RecordProperty(system == dvSystem625 ? "still_movement_psnr_625" : "still_movement_psnr_525",
                       int(test::psnr(movement, none) * 100));
        EXPECT_GT(test::psnr(movement, none), 45.0);
        EXPECT_LT(test::psnr(field, none), test::psnr(movement, none))
            << "field correction does rebuild lines of a still picture";
    }
}
