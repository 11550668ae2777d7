#include "DvCodec.h"

#include "Correction.h"
#include "YuvConversion.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/imgutils.h>
#include <libswscale/swscale.h>
}

#include <cstring>
#include <malloc.h>
#include <map>
#include <array>
#include <memory>
#include <mutex>
#include <vector>

namespace vantrel {

namespace {

constexpr int fullWidth = 720;

// The scales the decoder gives a picture at: the full picture, one quarter (thumbnails on a
// screen of twice the pixels) and one eighth (thumbnails).
struct DecodeScale {
    int divisor;
    int lowres;       // the decoder's own reduction
    int convertWidth; // the width of the colour conversion, cropped to fullWidth / divisor
};

// At widths 90 and 180 the 4:1:1 chroma drifts sideways in the colour conversion (at 180 the
// ramps lose 13 dB): convert a little wider and crop.
constexpr DecodeScale decodeScales[] = {{1, 0, fullWidth}, {4, 2, 184}, {8, 3, 92}};
constexpr size_t decodeScaleCount = std::size(decodeScales);

// The scale whose picture is width x height for the system, or none.
const DecodeScale* decodeScaleOf(DvSystem system, int width, int height)
{
    for (const DecodeScale& scale : decodeScales)
        if (width == fullWidth / scale.divisor && height == linesOf(system) / scale.divisor)
            return &scale;
    return nullptr;
}
// libswscale may write up to 32 bytes past the end of a packed destination.
constexpr int conversionSlack = 64;
constexpr int colourFlags = SWS_BILINEAR;

struct CodecContextFree {
    void operator()(AVCodecContext* c) const { avcodec_free_context(&c); }
};
struct FrameFree {
    void operator()(AVFrame* f) const { av_frame_free(&f); }
};
struct PacketFree {
    void operator()(AVPacket* p) const { av_packet_free(&p); }
};
struct BufferFree {
    void operator()(AVBufferRef* b) const { av_buffer_unref(&b); }
};
struct ScalerFree {
    void operator()(SwsContext* s) const { sws_freeContext(s); }
};
using CodecContextPtr = std::unique_ptr<AVCodecContext, CodecContextFree>;
using FramePtr = std::unique_ptr<AVFrame, FrameFree>;
using PacketPtr = std::unique_ptr<AVPacket, PacketFree>;

int paddedRowBytes(int width) { return (width * 3 + 3) & ~3; }

AVPixelFormat pixelFormatOf(DvSystem system)
{
    return factsOf(system).chroma == DvChroma::Yuv420 ? AV_PIX_FMT_YUV420P : AV_PIX_FMT_YUV411P;
}

// Converts between pixel layouts, keeping one scaler for the sizes last asked.
class Converter {
public:
    SwsContext* get(int width, int height, AVPixelFormat from, AVPixelFormat to)
    {
        scaler_.reset(sws_getCachedContext(scaler_.release(), width, height, from, width, height,
                                           to, colourFlags, nullptr, nullptr, nullptr));
        return scaler_.get();
    }

private:
    std::unique_ptr<SwsContext, ScalerFree> scaler_;
};

struct Decoder {
    DvSystem system;
    std::array<CodecContextPtr, decodeScaleCount> contexts; // opened at the first decode of each
    PacketPtr packet{av_packet_alloc()};
    FramePtr picture{av_frame_alloc()};
    std::unique_ptr<AVBufferRef, BufferFree> working; // the packet's data
    std::vector<uint8_t> converted;
    std::vector<uint8_t> chroma422; // both chroma planes of a full 525/60 picture, widened
    Converter converter;
};

struct Encoder {
    DvSystem system;
    CodecContextPtr context;
    PacketPtr packet{av_packet_alloc()};
    FramePtr picture{av_frame_alloc()};
    Converter converter;
    int64_t nextPts = 0;
};

// The open handles. A call holds its object by shared pointer, so a release that runs at the
// same time cannot free it under the call; one handle serves one thread at a time.
struct Library {
    std::mutex mutex;
    bool loaded = false;
    DvcHandle lastHandle = 0;
    std::map<DvcHandle, std::shared_ptr<Decoder>> decoders;
    std::map<DvcHandle, std::shared_ptr<Encoder>> encoders;
    // One closed coder per system is kept with its opened contexts and scaler, so that a
    // picture-by-picture open and close does not set them up again every time.
    std::map<DvSystem, std::shared_ptr<Decoder>> spareDecoders;
    std::map<DvSystem, std::shared_ptr<Encoder>> spareEncoders;
};

Library& library()
{
    static Library instance;
    return instance;
}

template <class T>
DvcHandle addHandle(std::map<DvcHandle, std::shared_ptr<T>> Library::*table, std::shared_ptr<T> object)
{
    Library& lib = library();
    std::lock_guard lock(lib.mutex);
    if (!lib.loaded)
        return 0;
    const DvcHandle handle = ++lib.lastHandle;
    (lib.*table)[handle] = std::move(object);
    return handle;
}

template <class T>
std::shared_ptr<T> findHandle(std::map<DvcHandle, std::shared_ptr<T>> Library::*table, DvcHandle handle)
{
    Library& lib = library();
    std::lock_guard lock(lib.mutex);
    const auto found = (lib.*table).find(handle);
    return found == (lib.*table).end() ? nullptr : found->second;
}

template <class T>
using SpareTable = std::map<DvSystem, std::shared_ptr<T>> Library::*;

template <class T>
void removeHandle(std::map<DvcHandle, std::shared_ptr<T>> Library::*table, SpareTable<T> spares,
                  DvcHandle handle)
{
    std::shared_ptr<T> object;
    Library& lib = library();
    std::lock_guard lock(lib.mutex);
    const auto found = (lib.*table).find(handle);
    if (found == (lib.*table).end())
        return;
    object = std::move(found->second); // freed after the lock is given back
    (lib.*table).erase(found);
    auto& spare = (lib.*spares)[object->system];
    if (!spare && object.use_count() == 1)
        spare = std::move(object);
}

template <class T>
std::shared_ptr<T> takeSpare(SpareTable<T> spares, DvSystem system)
{
    Library& lib = library();
    std::lock_guard lock(lib.mutex);
    return std::move((lib.*spares)[system]);
}

bool isLoaded()
{
    Library& lib = library();
    std::lock_guard lock(lib.mutex);
    return lib.loaded;
}

bool validSystem(int32_t system) { return system == dvSystem525 || system == dvSystem625; }

CodecContextPtr openDecoderContext(int lowres)
{
    const AVCodec* codec = avcodec_find_decoder(AV_CODEC_ID_DVVIDEO);
    if (!codec)
        return nullptr;
    CodecContextPtr context(avcodec_alloc_context3(codec));
    if (!context)
        return nullptr;
    context->lowres = lowres;
    if (avcodec_open2(context.get(), codec, nullptr) < 0)
        return nullptr;
    return context;
}

// A frame in the frame layout carries zeroed header blocks, and without the DSF bit the
// decoder takes every frame for 525/60: give each sequence the header of the handle's system.
void writeHeaderBlocks(uint8_t* frame, DvSystem system)
{
    for (int s = 0; s < sequencesOf(system); ++s)
        putHeaderBlockStart(frame + s * dvSequenceBytes, static_cast<size_t>(s), system);
}

AVCodecContext* decoderContextFor(Decoder& decoder, const DecodeScale& scale)
{
    CodecContextPtr& slot = decoder.contexts[static_cast<size_t>(&scale - decodeScales)];
    if (!slot)
        slot = openDecoderContext(scale.lowres);
    return slot.get();
}

// The packet's buffer for the next frame: the last one again once the decoder has let it go.
// Handed to the decoder as a counted buffer, it is decoded where it lies; a packet of plain
// memory would be copied into a buffer of the decoder's own first.
AVBufferRef* packetBuffer(Decoder& decoder, int bytes)
{
    AVBufferRef* buffer = decoder.working.get();
    if (!buffer || buffer->size < static_cast<size_t>(bytes) || !av_buffer_is_writable(buffer))
        decoder.working.reset(av_buffer_alloc(static_cast<size_t>(bytes)));
    return decoder.working.get();
}

bool decodePicture(Decoder& decoder, AVCodecContext* context, const uint8_t* frame, int frameBytes)
{
    AVBufferRef* buffer = packetBuffer(decoder, frameBytes + AV_INPUT_BUFFER_PADDING_SIZE);
    if (!buffer)
        return false;
    std::memcpy(buffer->data, frame, frameBytes);
    std::memset(buffer->data + frameBytes, 0, AV_INPUT_BUFFER_PADDING_SIZE);
    writeHeaderBlocks(buffer->data, decoder.system);
    AVPacket* packet = decoder.packet.get();
    av_packet_unref(packet);
    packet->buf = av_buffer_ref(buffer);
    if (!packet->buf)
        return false;
    packet->data = buffer->data;
    packet->size = frameBytes;
    const bool sent = avcodec_send_packet(context, packet) == 0;
    av_packet_unref(packet);
    if (!sent)
        return false;
    av_frame_unref(decoder.picture.get());
    return avcodec_receive_frame(context, decoder.picture.get()) == 0;
}

constexpr int chroma422Stride = 384; // 360 samples, rounded up for the converter's vector loads

// A full 4:1:1 picture goes to the converter as 4:2:2, which it turns into pixels several
// times faster than 4:1:1; the widening itself costs a few percent of that.
struct ConverterInput {
    const uint8_t* data[4] = {};
    int stride[4] = {};
    AVPixelFormat format = AV_PIX_FMT_NONE;
};

ConverterInput converterInput(Decoder& decoder, int width, int height)
{
    const AVFrame* picture = decoder.picture.get();
    ConverterInput input;
    input.format = static_cast<AVPixelFormat>(picture->format);
    for (int p = 0; p < 3; ++p) {
        input.data[p] = picture->data[p];
        input.stride[p] = picture->linesize[p];
    }
    if (input.format != AV_PIX_FMT_YUV411P || width != fullWidth)
        return input;
    const size_t planeBytes = static_cast<size_t>(chroma422Stride) * height;
    decoder.chroma422.resize(2 * planeBytes);
    for (int p = 1; p < 3; ++p) {
        uint8_t* plane = decoder.chroma422.data() + (p - 1) * planeBytes;
        chroma411To422(picture->data[p], picture->linesize[p], width / 4, height, plane, chroma422Stride);
        input.data[p] = plane;
        input.stride[p] = chroma422Stride;
    }
    input.format = AV_PIX_FMT_YUV422P;
    return input;
}

// Colour conversion into the decoder's top-down work buffer; yields its row stride.
int convertToBgr(Decoder& decoder, const DecodeScale& scale, int width, int height)
{
    const ConverterInput input = converterInput(decoder, width, height);
    const int convertWidth = scale.convertWidth;
    const int stride = (convertWidth * 3 + 31) & ~31;
    // Every byte that is copied out is written by the conversion: no need to clear it.
    decoder.converted.resize(static_cast<size_t>(stride) * height + conversionSlack);
    SwsContext* scaler = decoder.converter.get(convertWidth, height, input.format, AV_PIX_FMT_BGR24);
    if (!scaler)
        return 0;
    uint8_t* destination[4] = {decoder.converted.data(), nullptr, nullptr, nullptr};
    int destinationStride[4] = {stride, 0, 0, 0};
    sws_scale(scaler, input.data, input.stride, 0, height, destination, destinationStride);
    return stride;
}

void applyCorrection(uint8_t* pixels, int width, int height, int stride, int32_t mode)
{
    if (mode == correctionField)
        correctField(pixels, width, height, stride);
    else if (mode == correctionMovement)
        correctMovement(pixels, width, height, stride);
}

void storeBottomUp(const uint8_t* source, int sourceStride, int width, int height, uint8_t* pixels)
{
    const int rowBytes = paddedRowBytes(width);
    for (int y = 0; y < height; ++y) {
        uint8_t* row = pixels + static_cast<size_t>(height - 1 - y) * rowBytes;
        std::memcpy(row, source + static_cast<size_t>(y) * sourceStride, width * 3);
        std::memset(row + width * 3, 0, rowBytes - width * 3);
    }
}

CodecContextPtr openEncoderContext(DvSystem system)
{
    const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_DVVIDEO);
    if (!codec)
        return nullptr;
    CodecContextPtr context(avcodec_alloc_context3(codec));
    if (!context)
        return nullptr;
    context->width = fullWidth;
    context->height = linesOf(system);
    context->pix_fmt = pixelFormatOf(system);
    const DvSystemFacts& facts = factsOf(system);
    context->time_base = AVRational{facts.frameRateDenominator, facts.frameRateNumerator};
    context->flags |= AV_CODEC_FLAG_INTERLACED_DCT;
    if (avcodec_open2(context.get(), codec, nullptr) < 0)
        return nullptr;
    return context;
}

// The converter's own 4:1:1 path costs about as much as the encode itself.
bool fillFrom411(AVFrame* picture, const uint8_t* pixels, int rowBytes)
{
    const YuvPlanes planes{{picture->data[0], picture->data[1], picture->data[2]},
                           {picture->linesize[0], picture->linesize[1], picture->linesize[2]}};
    bgrToYuv411(pixels, rowBytes, fullWidth, picture->height, planes);
    return true;
}

bool fillThroughConverter(Encoder& encoder, const uint8_t* pixels, int rowBytes)
{
    AVFrame* picture = encoder.picture.get();
    SwsContext* scaler = encoder.converter.get(fullWidth, picture->height, AV_PIX_FMT_BGR24,
                                               pixelFormatOf(encoder.system));
    if (!scaler)
        return false;
    const uint8_t* source[4] = {pixels, nullptr, nullptr, nullptr};
    const int sourceStride[4] = {rowBytes, 0, 0, 0};
    sws_scale(scaler, source, sourceStride, 0, picture->height, picture->data, picture->linesize);
    return true;
}

bool fillEncoderPicture(Encoder& encoder, const uint8_t* pixels, int rowBytes)
{
    AVFrame* picture = encoder.picture.get();
    if (!picture->data[0]) {
        picture->format = pixelFormatOf(encoder.system);
        picture->width = fullWidth;
        picture->height = linesOf(encoder.system);
        if (av_frame_get_buffer(picture, 0) < 0)
            return false;
    }
    if (av_frame_make_writable(picture) < 0)
        return false;
    const bool filled = encoder.system == dvSystem525 ? fillFrom411(picture, pixels, rowBytes)
                                                      : fillThroughConverter(encoder, pixels, rowBytes);
    if (!filled)
        return false;
    picture->pts = encoder.nextPts++;
    return true;
}

// The encoded frame without its header blocks, sequence after sequence, from byte 32 on.
void storeSequences(const uint8_t* frame, DvSystem system, uint8_t* output)
{
    std::memset(output, 0, dvEncodedDataOffset);
    for (int s = 0; s < sequencesOf(system); ++s)
        std::memcpy(output + dvEncodedDataOffset + s * dvStoredSequenceBytes,
                    frame + s * dvSequenceBytes + dvBlockBytes, dvStoredSequenceBytes);
}

// A picture operation takes and frees several buffers of about a megabyte each. Kept in the
// heap instead of going back to the system after every picture, they cost no page faults the
// next time: about a third of a conversion's time went to faulting them in again.
void keepPictureBuffers()
{
    constexpr int ownMappingFrom = 16 << 20;
    constexpr int trimFrom = 64 << 20;
    mallopt(M_MMAP_THRESHOLD, ownMappingFrom);
    mallopt(M_TRIM_THRESHOLD, trimFrom);
}

} // namespace

bool DvcLoad()
{
    keepPictureBuffers();
    if (!avcodec_find_decoder(AV_CODEC_ID_DVVIDEO) || !avcodec_find_encoder(AV_CODEC_ID_DVVIDEO))
        return false;
    av_log_set_level(AV_LOG_FATAL);
    Library& lib = library();
    std::lock_guard lock(lib.mutex);
    lib.loaded = true;
    return true;
}

void DvcRelease()
{
    Library& lib = library();
    std::map<DvcHandle, std::shared_ptr<Decoder>> decoders;
    std::map<DvcHandle, std::shared_ptr<Encoder>> encoders;
    std::lock_guard lock(lib.mutex);
    lib.loaded = false;
    std::map<DvSystem, std::shared_ptr<Decoder>> spareDecoders;
    std::map<DvSystem, std::shared_ptr<Encoder>> spareEncoders;
    decoders.swap(lib.decoders);
    encoders.swap(lib.encoders);
    spareDecoders.swap(lib.spareDecoders);
    spareEncoders.swap(lib.spareEncoders);
}

bool DvcLoaded()
{
    return isLoaded();
}

DvcHandle DvcOpenDecoder(int32_t system)
{
    if (!validSystem(system) || !isLoaded())
        return 0;
    auto decoder = takeSpare(&Library::spareDecoders, static_cast<DvSystem>(system));
    if (!decoder)
        decoder = std::make_shared<Decoder>();
    decoder->system = static_cast<DvSystem>(system);
    // The decoding contexts open at the first decode of their scale: a thumbnail needs only
    // its own.
    if (!decoder->packet || !decoder->picture)
        return 0;
    return addHandle(&Library::decoders, std::move(decoder));
}

uint32_t DvcGetDibInfo(int32_t width, int32_t height)
{
    return static_cast<uint32_t>(width) << 16 | static_cast<uint32_t>(height & 0xFFFF);
}

int32_t DvcDecode(DvcHandle handle, const uint8_t* frame, int32_t frameBytes, uint8_t* pixels,
                  const uint32_t* dibInfo, const DvcDecodeParams* params)
{
    if (!isLoaded())
        return dvcNotLoaded;
    const auto decoder = findHandle(&Library::decoders, handle);
    if (!decoder)
        return dvcBadHandle;
    const DvSystem system = decoder->system;
    if (!frame || !pixels || !dibInfo || !params || frameBytes != frameBytesOf(system) ||
        *dibInfo != DvcGetDibInfo(fullWidth, linesOf(system)) || params->bitsPerPixel != 24 ||
        !decodeScaleOf(system, params->width, params->height))
        return dvcBadArgument;
    const int width = params->width;
    const int height = params->height;
    const DecodeScale& scale = *decodeScaleOf(system, width, height);
    AVCodecContext* context = decoderContextFor(*decoder, scale);
    if (!context || !decodePicture(*decoder, context, frame, frameBytes))
        return dvcDecodeFailed;
    if (decoder->picture->width != width || decoder->picture->height != height)
        return dvcDecodeFailed;
    const int stride = convertToBgr(*decoder, scale, width, height);
    if (stride == 0)
        return dvcDecodeFailed;
    applyCorrection(decoder->converted.data(), width, height, stride, params->correction);
    storeBottomUp(decoder->converted.data(), stride, width, height, pixels);
    return dvcOk;
}

void DvcCloseDecoder(DvcHandle handle)
{
    removeHandle(&Library::decoders, &Library::spareDecoders, handle);
}

DvcHandle DvcOpenEncoder(int32_t system)
{
    if (!validSystem(system) || !isLoaded())
        return 0;
    auto encoder = takeSpare(&Library::spareEncoders, static_cast<DvSystem>(system));
    if (!encoder) {
        encoder = std::make_shared<Encoder>();
        encoder->system = static_cast<DvSystem>(system);
        encoder->context = openEncoderContext(encoder->system);
    }
    if (!encoder->context || !encoder->packet || !encoder->picture)
        return 0;
    return addHandle(&Library::encoders, std::move(encoder));
}

int32_t DvcEncode(DvcHandle handle, uint8_t* output, const uint8_t* pixels,
                  const DvcEncodeParams* params)
{
    if (!isLoaded())
        return dvcNotLoaded;
    const auto encoder = findHandle(&Library::encoders, handle);
    if (!encoder)
        return dvcBadHandle;
    const DvSystem system = encoder->system;
    if (!output || !pixels || !params || params->width != fullWidth ||
        params->height != linesOf(system) || params->bitsPerPixel != 24 ||
        params->rowBytes < fullWidth * 3)
        return dvcBadArgument;
    if (!fillEncoderPicture(*encoder, pixels, params->rowBytes))
        return dvcEncodeFailed;
    AVCodecContext* context = encoder->context.get();
    if (avcodec_send_frame(context, encoder->picture.get()) < 0)
        return dvcEncodeFailed;
    AVPacket* packet = encoder->packet.get();
    if (avcodec_receive_packet(context, packet) < 0)
        return dvcEncodeFailed;
    const bool whole = packet->size == frameBytesOf(system);
    if (whole)
        storeSequences(packet->data, system, output);
    av_packet_unref(packet);
    return whole ? dvcOk : dvcEncodeFailed;
}

void DvcCloseEncoder(DvcHandle handle)
{
    removeHandle(&Library::encoders, &Library::spareEncoders, handle);
}

} // namespace vantrel
