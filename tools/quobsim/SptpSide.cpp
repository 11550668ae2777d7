#include "SptpSide.h"

#include "capture/CaptureCommands.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <sstream>
#include <thread>

namespace vantrel::quobsim {

namespace {

constexpr int ByteWaitMs = 20;
constexpr int ByteGapMs = 100;
// A device left alone in SPTP this long falls back to Quob on its own.
constexpr auto FallBackAfter = std::chrono::milliseconds(3000);
constexpr uint8_t ExtraData = 0x5A;
// Longer than the host's 150 ms wait after a request and its read of one block: the late
// copy reaches it as a whole block of its own.
constexpr auto LateCopyGap = std::chrono::milliseconds(300);

bool is(const Command& command, const QuobCommand& wanted)
{
    return std::equal(command.begin(), command.end(), wanted.begin());
}

Answer done(uint8_t data4 = 0)
{
    Answer answer;
    answer.code = Completion::Done;
    answer.data[0] = data4;
    return answer;
}

Answer refused()
{
    Answer answer;
    answer.code = Completion::Refused;
    return answer;
}

} // namespace

struct SptpSide::Session {
    uint8_t id = 0;
    bool transferring = false;
    bool dead = false;
    int block = 0;
    int blocks = 0;
    uint32_t totalSize = 0;
    bool shortSent = false;
    bool longSent = false;
    bool dropped = false;
    bool garbageSent = false;
    bool switchedOff = false;
    bool lateCopySent = false;
    bool unheard = false;
    std::array<uint8_t, sptp::BlockDataLength + 1> data{};
    std::array<uint8_t, 4000> frame{};
};

SptpSide::SptpSide(SptpOptions options) : options_(std::move(options)) {}

void SptpSide::setOptions(const SptpOptions& options)
{
    std::lock_guard held(mutex_);
    options_ = options;
    sourceFrame_.clear();
}

SptpPicture SptpSide::frozenPicture()
{
    std::lock_guard held(mutex_);
    makeDuePicture();
    return picture_;
}

SptpLog SptpSide::log() const
{
    std::lock_guard held(mutex_);
    return log_;
}

void SptpSide::note(char what)
{
    log_.order += what;
}

std::optional<Answer> SptpSide::quobCommand(Device& device, const Command& command, bool& enter)
{
    std::lock_guard held(mutex_);
    if (is(command, CaptureCmd::Freeze))
        return freeze(device);
    if (is(command, CaptureCmd::FreezeSense)) {
        note('S');
        settlingLeft_ = std::max(0, settlingLeft_ - 1);
        return done(settlingLeft_ > 0 ? FreezeBits::Settling : 0);
    }
    if (is(command, CaptureCmd::Prepare)) {
        note('P');
        prepared_ = true;
        return done();
    }
    if (is(command, CaptureCmd::EnterSptp)) {
        note('E');
        const bool ready = prepared_ && announced_ && !options_.faults.refuseSptp;
        prepared_ = announced_ = false;
        enter = ready;
        return ready ? done() : refused();
    }
    if (is(command, CaptureCmd::Resume)) {
        note('U');
        return done();
    }
    return std::nullopt;
}

void SptpSide::quobBroadcast(Device&, const Command& command)
{
    std::lock_guard held(mutex_);
    if (is(command, CaptureCmd::Announce)) {
        note('A');
        announced_ = true;
    }
}

Answer SptpSide::freeze(Device& device)
{
    note('F');
    ++log_.freezes;
    if (options_.faults.refuseFreeze)
        return refused();
    if (options_.faults.noSignal)
        return done(FreezeBits::NoSignal);
    picture_ = {};
    const int64_t position = device.tape.frozenPosition(Clock::now());
    pictureDue_ = FrozenMoment{static_cast<int32_t>(position),
                               static_cast<int32_t>(device.tape.timeCodeAt(position)),
                               device.tape.framesPerSecond, device.tapeFile};
    settlingLeft_ = options_.settlingSenses;
    return done(settlingLeft_ > 0 ? FreezeBits::Settling : 0);
}

void SptpSide::makeDuePicture()
{
    if (!pictureDue_)
        return;
    freezePicture(*pictureDue_);
    pictureDue_.reset();
}

// The picture under the head, with the tape's time code in its subcode.
bool SptpSide::freezePicture(const FrozenMoment& moment)
{
    bool pal = moment.framesPerSecond == 25;
    const auto pack = imgdata::timeCodePack(moment.timeCode, moment.framesPerSecond);
    if (moment.tape) {
        sourceFrame_ = moment.tape->frame(moment.position);
        pal = moment.tape->system() == dvSystem625;
    } else if (!options_.picturePath.empty()) {
        if (sourceFrame_.empty())
            sourceFrame_ = dvfFileFrame(options_.picturePath, sourcePal_);
        pal = sourcePal_;
    } else {
        // The pattern shows the counter, so every frozen picture is encoded afresh.
        sourceFrame_ = patternFrame(pal, pack);
        sourcePal_ = pal;
    }
    if (sourceFrame_.empty())
        return false;
    const size_t sequences = pal ? imgdata::Sequences625 : imgdata::Sequences525;
    // A DV file as the tape brings the camera's own packs, which stay as they are.
    std::optional<RecordingPacks> recording;
    if (options_.unsetRecordingDate)
        recording = RecordingPacks{unsetRecordingDatePack, unsetRecordingTimePack};
    else if (!options_.noRecordingDate && !moment.tape)
        recording = recordingPacksAt(moment.position, moment.framesPerSecond);
    return makeSptpPicture(sourceFrame_.data(), sequences, options_.layout, pack, picture_,
                           recording);
}

void SptpSide::serve(Simulator& simulator, Device& device)
{
    Session session;
    {
        auto held = simulator.lock();
        session.id = static_cast<uint8_t>(device.id);
    }
    Line& line = simulator.line();
    auto lastActivity = Clock::now();
    while (!line.stopRequested()) {
        sptp::ParsedFrame frame;
        Clock::time_point firstByte;
        if (!readFrame(line, frame, firstByte)) {
            if (Clock::now() - lastActivity > FallBackAfter) {
                line.discardInput();
                return;
            }
            continue;
        }
        if (session.dead || frame.id != session.id)
            continue;
        line.awaitReception(firstByte, frame.length + 10);
        const bool staying = act(simulator, session, frame);
        if (session.switchedOff)
            switchOff(simulator, device);
        if (!staying)
            return;
        lastActivity = Clock::now();
    }
}

// A device switched off neither sends nor hears; back in Quob it reports its power off.
void SptpSide::switchOff(Simulator& simulator, Device& device)
{
    auto held = simulator.lock();
    device.powered = false;
    device.powerOnAnswers = 0;
    device.tape.setMotion(Motion::Stop, Clock::now());
}

bool SptpSide::readFrame(Line& line, sptp::ParsedFrame& frame, Clock::time_point& firstByte)
{
    std::array<uint8_t, sptp::MaxFrameLength> bytes{};
    size_t count = 0;
    if (!line.readByte(bytes[0], ByteWaitMs) || bytes[0] != sptp::DLE)
        return false;
    firstByte = line.lastArrival();
    count = 1;
    for (;;) {
        if (count == bytes.size() || !line.readByte(bytes[count], ByteGapMs))
            return false;
        ++count;
        const int missing = sptp::frameBytesMissing(bytes.data(), count);
        if (missing < 0)
            return false;
        if (missing == 0)
            return sptp::parseFrame(bytes.data(), count, frame);
    }
}

// Acts on one command; false when the device leaves SPTP.
bool SptpSide::act(Simulator& simulator, Session& session, const sptp::ParsedFrame& frame)
{
    Line& line = simulator.line();
    std::unique_lock held(mutex_);
    const SptpFaults faults = options_.faults;
    switch (frame.bytes[0]) {
    case 0x32: {
        note('R');
        const auto* rate = sptp::transferRateOfCommand(frame.bytes.data(), frame.length);
        const bool accepted = rate && !faults.refuseRate;
        if (accepted)
            log_.lastRate = rate->bitRate;
        held.unlock();
        answer(line, session.id, accepted);
        if (accepted)
            line.setRate(rate->bitRate);
        return true;
    }
    case 0x3A: {
        note('T');
        makeDuePicture();
        const bool accepted = !faults.refuseStart && !picture_.data.empty();
        if (accepted) {
            ++log_.transfers;
            session.transferring = true;
            session.block = 0;
            session.blocks = static_cast<int>(picture_.data.size() / sptp::BlockDataLength)
                             + faults.extraBlocks;
            session.totalSize = static_cast<uint32_t>(session.blocks * sptp::BlockDataLength);
        }
        held.unlock();
        answer(line, session.id, accepted);
        if (accepted)
            sendBlock(line, session);
        return true;
    }
    case 0x31:
        if (session.block + 1 == faults.unheardNext && !session.unheard) {
            session.unheard = true;
            return true;
        }
        note('N');
        held.unlock();
        if (session.transferring && session.block + 1 < session.blocks) {
            // A repetition asked for twice crosses the request for the next block.
            if (session.block == faults.lateCopy && !session.lateCopySent) {
                session.lateCopySent = true;
                sendBlock(line, session);
                std::this_thread::sleep_for(LateCopyGap);
            }
            ++session.block;
            sendBlock(line, session);
        }
        return true;
    case 0x35:
        note('Q');
        ++log_.repeatsAsked;
        held.unlock();
        if (session.transferring)
            sendBlock(line, session);
        return true;
    case 0x3B:
        note('X');
        log_.ended = true;
        held.unlock();
        if (faults.endUnanswered)
            return true; // stays until it falls back on its own
        // Nothing left of the transfer may be read as Quob; what the host sends after the
        // answer is Quob again and must be kept.
        line.discardInput();
        answer(line, session.id, true);
        return false;
    default:
        held.unlock();
        answer(line, session.id, false);
        return true;
    }
}

// Printable noise: never a DLE, so nothing of it reads as the start of a block.
void SptpSide::makeNoise(uint8_t* bytes, size_t count)
{
    for (size_t i = 0; i < count; ++i) {
        noise_ = noise_ * 1103515245u + 12345u;
        bytes[i] = static_cast<uint8_t>(0x20 + (noise_ >> 16) % 0x5F);
    }
}

void SptpSide::answer(Line& line, uint8_t id, bool accepted)
{
    uint8_t bytes[sptp::AnswerLength];
    sptp::buildAnswer(id, accepted, bytes);
    line.write(bytes, sizeof bytes);
}

void SptpSide::sendBlock(Line& line, Session& session)
{
    const int number = session.block;
    size_t length = sptp::BlockDataLength;
    sptp::BlockHeader header;
    bool noise = false;
    {
        std::lock_guard held(mutex_);
        const SptpFaults& faults = options_.faults;
        if (faults.lineDiesAt >= 0 && number >= faults.lineDiesAt)
            session.dead = true;
        if (faults.hangUpAt >= 0 && number >= faults.hangUpAt) {
            line.requestHangUp();
            session.dead = true;
        }
        if (faults.switchedOffAt >= 0 && number >= faults.switchedOffAt && !session.dead)
            session.dead = session.switchedOff = true;
        if (session.dead)
            return;
        if (number == faults.droppedBlock && !session.dropped) {
            session.dropped = true;
            return;
        }
        if (number == faults.garbageBlock && !session.garbageSent)
            noise = session.garbageSent = true;
        if (number == faults.shortBlock && !session.shortSent) {
            session.shortSent = true;
            length = sptp::BlockDataLength - 1;
        } else if (number == faults.longBlock && !session.longSent) {
            session.longSent = true;
            length = sptp::BlockDataLength + 1;
        }
        session.data.fill(ExtraData);
        const size_t from = static_cast<size_t>(number) * sptp::BlockDataLength;
        if (from < picture_.data.size()) {
            const size_t have = std::min(length, picture_.data.size() - from);
            std::copy_n(picture_.data.begin() + from, have, session.data.begin());
        }
        header.number = static_cast<uint16_t>(number);
        header.totalSize = session.totalSize;
        header.layout = picture_.layoutByte;
        ++log_.blocksSent;
    }
    const bool last = number + 1 == session.blocks;
    const size_t bytes = sptp::buildBlockFrame(session.id, header, session.data.data(), length,
                                               last, session.frame.data(), session.frame.size());
    if (noise)
        makeNoise(session.frame.data(), bytes);
    line.write(session.frame.data(), bytes);
}

const char* const SptpOptionsHelp =
    "  --sptp LIST   the picture transfer, a comma-separated list of: layout=4|6|7,\n"
    "                picture=FILE.dvf, settle=N (freeze senses), and the faults nosignal,\n"
    "                refuse-freeze, refuse-sptp, refuse-rate, refuse-start, short=B, long=B,\n"
    "                drop=B, unheard=B (its first request is not heard), die=B (the line\n"
    "                dies before block B), garbage=B (noise sent once\n"
    "                instead of block B), off=B (the device is switched off before block B),\n"
    "                late=B (block B sent again, late, before the next one),\n"
    "                hangup=B (the line hangs up, as an adapter pulled out, before block B),\n"
    "                no-end-answer, extra=N\n";

bool parseSptpOptions(const std::string& text, SptpOptions& options, std::string& error)
{
    std::istringstream in(text);
    for (std::string word; std::getline(in, word, ',');) {
        const auto equals = word.find('=');
        const std::string name = word.substr(0, equals);
        const std::string value = equals == std::string::npos ? "" : word.substr(equals + 1);
        char* end = nullptr;
        const long number = std::strtol(value.c_str(), &end, 10);
        const bool numeric = !value.empty() && *end == '\0' && number >= 0 && number < 100000;
        SptpFaults& f = options.faults;
        const std::pair<const char*, bool*> flags[] = {
            {"nosignal", &f.noSignal},        {"refuse-freeze", &f.refuseFreeze},
            {"refuse-sptp", &f.refuseSptp},   {"refuse-rate", &f.refuseRate},
            {"refuse-start", &f.refuseStart}, {"no-end-answer", &f.endUnanswered},
            {"no-recording-date", &options.noRecordingDate},
            {"unset-recording-date", &options.unsetRecordingDate}};
        const std::pair<const char*, int*> numbers[] = {
            {"settle", &options.settlingSenses}, {"short", &f.shortBlock},
            {"long", &f.longBlock},              {"drop", &f.droppedBlock},
            {"unheard", &f.unheardNext},
            {"die", &f.lineDiesAt},              {"extra", &f.extraBlocks},
            {"garbage", &f.garbageBlock},        {"off", &f.switchedOffAt},
            {"late", &f.lateCopy},               {"hangup", &f.hangUpAt}};
        bool known = false;
        for (const auto& [flagName, flag] : flags)
            if (name == flagName && value.empty())
                known = *flag = true;
        for (const auto& [numberName, field] : numbers)
            if (name == numberName && numeric) {
                *field = static_cast<int>(number);
                known = true;
            }
        if (name == "layout" && (value == "4" || value == "6" || value == "7")) {
            options.layout = value[0] - '0';
            known = true;
        }
        if (name == "picture" && !value.empty()) {
            options.picturePath = value;
            known = true;
        }
        if (!known) {
            error = "bad SPTP option '" + word + "'";
            return false;
        }
    }
    return true;
}

} // namespace vantrel::quobsim
