#pragma once
#include "image/DvFrame.h"

#include <cstdint>

namespace vantrel {

// The DV codec binding over libavcodec's dvvideo decoder and encoder and libswscale.
// Load before use and release at the end; every entry point fails cleanly (a zero handle,
// a non-zero result) before load, after release or with a handle it did not hand out.
// Handles may be used on any thread, each by one thread at a time.

enum DvCorrection : int32_t { correctionNone = 0, correctionField = 1, correctionMovement = 2 };

using DvcHandle = intptr_t; // 0 is no handle

// The eleven words of a decode: the output size picks the scale (720 x 480 or 720 x 576 for a
// full picture, 180 x 120 or 180 x 144 for one quarter, 90 x 60 or 90 x 72 for one eighth); pixels are 24-bit blue-green-red, rows
// bottom-up, each row padded to a multiple of four bytes.
struct DvcDecodeParams {
    int32_t width = 0;
    int32_t height = 0;
    int32_t planes = 1;
    int32_t bitsPerPixel = 24;
    int32_t bottomUp = 1;
    int32_t padRows = 1;
    int32_t reserved6 = 0;
    int32_t reserved7 = 0;
    int32_t correction = correctionNone;
    int32_t reserved9 = 0;
    int32_t version = 2;
};
static_assert(sizeof(DvcDecodeParams) == 11 * 4);

// The eight words of an encode: input pixels are 720 x height, 24-bit blue-green-red,
// rows top-down of `rowBytes` bytes.
struct DvcEncodeParams {
    int32_t width = 720;
    int32_t height = 480;
    int32_t planes = 1;
    int32_t bitsPerPixel = 24;
    int32_t topDown = 1;
    int32_t reserved5 = 0;
    int32_t reserved6 = 0;
    int32_t rowBytes = 2160;
};
static_assert(sizeof(DvcEncodeParams) == 8 * 4);

constexpr int dvEncodeBufferBytes = dvMaxFrameBytes;
constexpr int dvEncodedDataOffset = dvfHeaderBytes; // where DvcEncode puts the stored sequences

// Decode results.
enum DvcResult : int32_t {
    dvcOk = 0,
    dvcNotLoaded = 1,
    dvcBadHandle = 2,
    dvcBadArgument = 3,
    dvcDecodeFailed = 4,
    dvcEncodeFailed = 5,
};

// Checks that the DV decoder and encoder exist and makes the entry points usable.
bool DvcLoad();
// Closes every handle still open; later calls fail until the next load.
void DvcRelease();
bool DvcLoaded();

DvcHandle DvcOpenDecoder(int32_t system);
// The DIB information value of a full frame of the system: handed to DvcDecode by address.
uint32_t DvcGetDibInfo(int32_t width, int32_t height);
// Decodes `frame` (the frame layout: sequences of 12000 bytes whose first 80 may be zero) of
// `frameBytes` (120000 or 144000) into `pixels`, which must hold the padded rows asked for.
int32_t DvcDecode(DvcHandle decoder, const uint8_t* frame, int32_t frameBytes, uint8_t* pixels,
                  const uint32_t* dibInfo, const DvcDecodeParams* params);
void DvcCloseDecoder(DvcHandle decoder);

DvcHandle DvcOpenEncoder(int32_t system);
// Encodes into a 144000-byte buffer: from byte 32 on, 10 or 12 sequences of 11920 bytes
// (each sequence's 149 blocks after its header block).
int32_t DvcEncode(DvcHandle encoder, uint8_t* output, const uint8_t* pixels,
                  const DvcEncodeParams* params);
void DvcCloseEncoder(DvcHandle encoder);

} // namespace vantrel
