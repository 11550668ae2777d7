#include "CaptureRig.h"

#include "capture/Imgdata.h"
#include "image/Dvf.h"
#include "platform/WindowMessage.h"

#include <gtest/gtest.h>
#include <fstream>
#include <iterator>

#include <cstdio>

namespace vantrel::test {

bool RecordingWindows::event(QEvent* event)
{
    WindowMessage* message = asWindowMessage(event);
    if (!message)
        return QObject::event(event);
    messages.push_back({message->number(), message->wParam, message->lParam});
    if (message->number() == Msg::WaitShow && message->wParam)
        lastTitle = *reinterpret_cast<const QString*>(message->wParam);
    if (message->number() == Msg::WaitPercent && stopAtPercent >= 0
        && message->wParam >= stopAtPercent)
        stop = true;
    return true;
}

std::vector<int> RecordingWindows::numbers() const
{
    std::vector<int> out;
    for (const auto& message : messages)
        if (out.empty() || out.back() != message.number)
            out.push_back(message.number);
    return out;
}

std::vector<int> RecordingWindows::percents() const
{
    std::vector<int> out;
    for (const auto& message : messages)
        if (message.number == Msg::WaitPercent)
            out.push_back(static_cast<int>(message.wParam));
    return out;
}

std::string RecordingAlbum::sideFileName(int place)
{
    char name[16];
    std::snprintf(name, sizeof name, "lum%03d.dat", place);
    return (folderOverride.empty() ? folder.path() : folderOverride) + "/" + name;
}

bool RecordingAlbum::event(QEvent* event)
{
    WindowMessage* message = asWindowMessage(event);
    if (!message || message->number() != Msg::PictureCaptured)
        return QObject::event(event);
    announced.emplace_back(message->wParam, message->lParam);
    return true;
}

namespace {

quobsim::DeviceSetup cameraFor(bool pal)
{
    return quobsim::camcorder(1, pal ? 25 : 30);
}

} // namespace

CaptureRig::CaptureRig(quobsim::SptpOptions options, bool pal, int rateIndex,
                       quobsim::Options lineOptions)
    : line(std::move(options), cameraFor(pal), std::move(lineOptions)), vtr(line.io),
      cpt(line.io, vtr)
{
    cpt.rateIndex = rateIndex;
    cpt.windows = &windows;
    cpt.album = &album;
}

CaptureRig::CaptureRig(quobsim::SptpOptions options, const quobsim::DeviceSetup& device)
    : line(std::move(options), device), vtr(line.io), cpt(line.io, vtr)
{
    cpt.rateIndex = 3;
    cpt.windows = &windows;
    cpt.album = &album;
}

bool CaptureRig::parkTape(int64_t position)
{
    line.sim.withDevice(1, [&](quobsim::Device& device) {
        const auto now = quobsim::Clock::now();
        device.tape.setPosition(position, now);
        device.tape.setMotion(quobsim::Motion::Pause, now);
    });
    return line.ready && vtr.Poll();
}

void expectSideFileHoldsFrame(const std::string& path, const quobsim::SptpPicture& picture)
{
    constexpr size_t storedSequenceBytes = 11920;
    std::ifstream in(path, std::ios::binary);
    const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    const DvSystem system = picture.sequences == 12 ? dvSystem625 : dvSystem525;
    ASSERT_EQ(bytes.size(), factsOf(system).dvfFileBytes);
    const auto header = dvfHeader(system);
    ASSERT_TRUE(std::equal(header.begin(), header.end(), bytes.begin()));
    for (size_t s = 0; s < picture.sequences; ++s) {
        const auto stored = bytes.begin() + dvfHeaderBytes + s * storedSequenceBytes;
        const auto sent = picture.frame.begin() + s * imgdata::SequenceBytes + imgdata::DifBlockBytes;
        ASSERT_TRUE(std::equal(sent, sent + storedSequenceBytes, stored)) << "sequence " << s;
    }
}

size_t blocksDifferingFromTape(const uint8_t* frame, const std::vector<uint8_t>& tapeFrame, int layoutCode)
{
    const auto* layout = imgdata::layoutOf(static_cast<uint8_t>(layoutCode << 4 | 1));
    const size_t sequences = tapeFrame.size() / imgdata::SequenceBytes;
    if (!layout)
        return imgdata::BlocksPerSequence * sequences;
    size_t differing = 0;
    for (size_t s = 0; s < sequences; ++s)
        for (size_t b = 1; b < imgdata::BlocksPerSequence; ++b) {
            const size_t at = s * imgdata::SequenceBytes + b * imgdata::DifBlockBytes + difIdentifierBytes;
            const size_t length = imgdata::DifBlockBytes - difIdentifierBytes;
            if (layout->sources[b] != imgdata::NoSource
                && !std::equal(&tapeFrame[at], &tapeFrame[at] + length, frame + at))
                ++differing;
        }
    return differing;
}

size_t blocksDifferingFromTape(const std::string& sideFile, const std::vector<uint8_t>& tapeFrame,
                               int layoutCode)
{
    PictureRecord record;
    record.path = sideFile;
    if (!readPictureFile(record) || size_t(frameBytesOf(record.videoSystem())) != tapeFrame.size())
        return imgdata::BlocksPerSequence * imgdata::Sequences625;
    return blocksDifferingFromTape(record.frame.get(), tapeFrame, layoutCode);
}

int64_t framesOfTimeCode(const std::string& text, int framesPerSecond)
{
    int hours = 0, minutes = 0, seconds = 0, frames = 0;
    if (std::sscanf(text.c_str(), "%d:%d:%d:%d", &hours, &minutes, &seconds, &frames) != 4)
        return -1;
    return ((int64_t(hours) * 60 + minutes) * 60 + seconds) * framesPerSecond + frames;
}

} // namespace vantrel::test
