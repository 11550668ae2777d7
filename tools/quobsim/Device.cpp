#include "Device.h"

#include "link/QuobCommands.h"

#include <algorithm>

namespace vantrel::quobsim {

namespace {

constexpr int anyByte = -1;
constexpr uint8_t nameEnd = 0x7F;
constexpr size_t namePartLength = 6;
constexpr size_t nameLength = 12;
constexpr uint8_t captureCategory = 0x16;

struct TransportRow {
    uint8_t group;
    uint8_t code;
    Motion motion;
};

// Commands 08 42 xx and 08 41 60 are accepted and leave the transport as it is.
constexpr TransportRow transportTable[] = {
    {0x44, 0x60, Motion::Stop},          {0x44, 0x65, Motion::Rewind},
    {0x44, 0x75, Motion::FastForward},   {0x43, 0x75, Motion::Play},
    {0x43, 0x6D, Motion::Pause},         {0x43, 0x20, Motion::SlowForward},
    {0x43, 0x24, Motion::SlowReverse},   {0x43, 0x21, Motion::SearchForward},
    {0x43, 0x25, Motion::SearchReverse}, {0x43, 0x65, Motion::ReversePlay},
};

const TransportRow* transportRow(const Command& command)
{
    for (const auto& row : transportTable)
        if (row.group == command[1] && row.code == command[2])
            return &row;
    return nullptr;
}

struct KindRow {
    const char* kind;
    uint8_t category;
    bool capture;
    const char* name;
};

constexpr KindRow kindTable[] = {
    {"camcorder", 7, true, "CAMCORDER"}, {"deck", 1, true, "DECK"},
    {"vcp", 9, true, "PLAYER"},          {"vdp", 3, false, "DISC"},
    {"printer", 34, false, "PRINTER"},
};

struct FaultName {
    const char* name;
    Fault fault;
};

constexpr FaultName faultNames[] = {
    {"none", Fault::None},       {"silence", Fault::Silence}, {"checksum", Fault::BadChecksum},
    {"echo", Fault::Echo},       {"refuse", Fault::Refuse},   {"completion", Fault::Completion},
    {"pending", Fault::Pending}, {"garbage", Fault::Garbage}, {"short", Fault::Short},
};

Answer withCode(uint8_t code, std::array<uint8_t, 6> data = {})
{
    return Answer{code, data};
}

} // namespace

DeviceSetup camcorder(int id, int framesPerSecond)
{
    DeviceSetup setup;
    deviceOfKind("camcorder", id, setup);
    setup.framesPerSecond = framesPerSecond;
    return setup;
}

DeviceSetup deck(int id, int framesPerSecond)
{
    DeviceSetup setup;
    deviceOfKind("deck", id, setup);
    setup.framesPerSecond = framesPerSecond;
    // Decks of this line belong to the model group whose power is not switched by the host.
    setup.modelCodes = {0x00, 0x01, 0x00, 0x02, 75, 0x00};
    return setup;
}

bool deviceOfKind(const std::string& kind, int id, DeviceSetup& out)
{
    for (const auto& row : kindTable) {
        if (kind != row.kind)
            continue;
        out = DeviceSetup{};
        out.id = id;
        out.deviceCodes = {row.category, static_cast<uint8_t>(row.capture ? captureCategory : 0),
                           0x00, 0x00, 0x00, 0x00};
        out.modelCodes = {0x00, 0x01, 0x00, 0x03, 0x10, 0x00};
        out.name = row.name;
        return true;
    }
    return false;
}

bool faultOfName(const std::string& name, Fault& out)
{
    for (const auto& row : faultNames)
        if (name == row.name) {
            out = row.fault;
            return true;
        }
    return false;
}

// One row of the command table: the first two bytes, the third or anyByte, what answers it,
// and the completion code given while the device is off (0: works while off).
struct Device::Row {
    uint8_t first;
    uint8_t second;
    int third;
    Answer (Device::*handler)(const Command&, Clock::time_point);
    uint8_t whenOff;
};

const Device::Row* Device::rowFor(const Command& command)
{
    static constexpr Row table[] = {
        {0x08, 0x4E, 0x20, &Device::status, Completion::NotAvailable},
        {0x08, 0x44, anyByte, &Device::transport, Completion::Refused},
        {0x08, 0x43, anyByte, &Device::transport, Completion::Refused},
        {0x08, 0x42, anyByte, &Device::transport, Completion::Refused},
        {0x08, 0x41, anyByte, &Device::transport, Completion::Refused},
        {0x48, 0x4E, 0x20, &Device::variableSpeed, Completion::NotAvailable},
        {0x48, 0x46, anyByte, &Device::frameStep, Completion::Refused},
        {0x3E, 0x40, anyByte, &Device::powerCommand, 0},
        {0x3E, 0x4E, 0x20, &Device::powerSense, 0},
        {0x7C, 0x4E, 0x20, &Device::powerSense, 0}, // node sense
        {0x7C, 0x49, anyByte, &Device::codes, 0},
        {0x7C, 0x45, anyByte, &Device::codes, 0},
        {0x7C, 0x4C, anyByte, &Device::namePart, 0},
        {0x7C, 0x4D, anyByte, &Device::namePart, 0},
        {0x7C, 0x41, anyByte, &Device::changeId, 0},
        {0x7C, 0x40, anyByte, &Device::accepted, 0},
        {0x7C, 0x43, anyByte, &Device::accepted, 0},
        {0x7C, 0x44, anyByte, &Device::accepted, 0},
        {0x7C, 0x48, anyByte, &Device::accepted, 0},
    };
    for (const auto& row : table)
        if (row.first == command[0] && row.second == command[1]
            && (row.third == anyByte || row.third == command[2]))
            return &row;
    return nullptr;
}

Device::Device(const DeviceSetup& setup)
    : id(setup.id), deviceCodes(setup.deviceCodes), modelCodes(setup.modelCodes), name(setup.name),
      powered(setup.powered),
      tape(setup.tapeFile ? setup.tapeFile->framesPerSecond() : setup.framesPerSecond, setup.position),
      tapeFile(setup.tapeFile)
{
    tape.hasTimeCode = setup.hasTimeCode;
    if (!tapeFile)
        return;
    tape.setLength(tapeFile->frameCount());
    if (setup.recordedTimeCodes)
        tape.recordedTimeCode = [file = tapeFile](int64_t frame) { return file->recordedTimeCode(frame); };
}

void Device::settle()
{
    if (powerOnAnswers > 0 && --powerOnAnswers == 0)
        powered = true;
}

Answer Device::answer(const Command& command, Clock::time_point now)
{
    settle();
    const Row* row = rowFor(command);
    if (!row)
        return withCode(Completion::Refused);
    if (!powered && row->whenOff != 0)
        return withCode(row->whenOff);
    return (this->*(row->handler))(command, now);
}

void Device::broadcast(const Command& command, Clock::time_point now)
{
    // Only the switching commands make sense without an answer.
    if (command[0] == 0x3E && command[1] == 0x40)
        powerCommand(command, now);
}

void Device::setFault(const FaultPlan& plan)
{
    fault = plan;
    answers = 0;
    faultsGiven_ = 0;
}

bool Device::takeFault(const Command& command)
{
    if (fault.command != 0 && fault.command != (command[0] << 8 | command[1]))
        return false;
    ++answers;
    if (fault.kind == Fault::None || answers <= fault.after)
        return false;
    if (fault.times >= 0 && faultsGiven_ >= fault.times)
        return false;
    ++faultsGiven_;
    return true;
}

Answer Device::status(const Command&, Clock::time_point now)
{
    Answer answer = withCode(Completion::Done, tape.statusData(now));
    if (pendingAnswers > 0) {
        --pendingAnswers;
        answer.code |= Completion::PendingBit;
    }
    return answer;
}

Answer Device::transport(const Command& command, Clock::time_point now)
{
    if (const TransportRow* row = transportRow(command))
        tape.setMotion(row->motion, now);
    pendingAnswers = transportSettleAnswers;
    return status(command, now);
}

Answer Device::variableSpeed(const Command&, Clock::time_point now)
{
    const MotionRow& row = motionRow(tape.motion(now));
    return withCode(Completion::Done, {row.variableCode, 0x00, row.speedWhole, row.speedFraction, 0, 0});
}

Answer Device::frameStep(const Command& command, Clock::time_point now)
{
    tape.step(command[2] == 0x75, now);
    return status(command, now);
}

Answer Device::powerCommand(const Command& command, Clock::time_point now)
{
    const bool on = command[2] == 0x70;
    if (on && !powered && powerOnAnswers == 0)
        powerOnAnswers = powerSettleAnswers;
    if (!on) {
        powered = false;
        powerOnAnswers = 0;
        tape.setMotion(Motion::Stop, now);
    }
    return withCode(Completion::Done);
}

Answer Device::powerSense(const Command&, Clock::time_point)
{
    return withCode(Completion::Done, {static_cast<uint8_t>(powered ? 1 : 0), 0, 0, 0, 0, 0});
}

Answer Device::codes(const Command& command, Clock::time_point)
{
    return withCode(Completion::Done, command[1] == 0x49 ? deviceCodes : modelCodes);
}

Answer Device::namePart(const Command& command, Clock::time_point)
{
    const size_t from = command[1] == 0x4C ? 0 : namePartLength;
    const std::string shown = name.substr(0, nameLength);
    std::array<uint8_t, 6> part{};
    for (size_t i = 0; i < namePartLength; ++i) {
        const size_t at = from + i;
        if (at < shown.size())
            part[i] = static_cast<uint8_t>(shown[at]);
        else if (at == shown.size())
            part[i] = nameEnd;
    }
    return withCode(Completion::Done, part);
}

Answer Device::changeId(const Command& command, Clock::time_point)
{
    const int newId = command[2];
    if (!isDeviceId(newId))
        return withCode(Completion::Refused);
    id = newId;
    return withCode(Completion::Done);
}

Answer Device::accepted(const Command&, Clock::time_point)
{
    return withCode(Completion::Done);
}

} // namespace vantrel::quobsim
