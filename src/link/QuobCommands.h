#pragma once
#include <array>
#include <cstdint>

namespace vantrel {

// A Quob command: seven bytes, trailing bytes beyond the command are 00.
using QuobCommand = std::array<uint8_t, 7>;

// IDs 1 to 99 address single devices, which always answer; 100 to 127 get no answer.
constexpr int firstDeviceId = 1;
constexpr int lastDeviceId = 99;
constexpr bool isDeviceId(long id)
{
    return id >= firstDeviceId && id <= lastDeviceId;
}

// A pending answer is asked again at most this many times before the wait gives up.
constexpr int settleExchangeLimit = 202;

// The time code's rate as the status answer's byte 5 gives it in its rate bit.
constexpr uint8_t statusRateBit = 0x40;

struct TimeCodeRate {
    uint8_t rateBit; // byte 5 masked with statusRateBit
    int framesPerSecond;
};

constexpr TimeCodeRate timeCodeRates[] = {
    {0x00, 30},
    {statusRateBit, 25},
};

constexpr int framesPerSecondOfStatus(uint8_t rateByte)
{
    for (const TimeCodeRate& row : timeCodeRates)
        if (row.rateBit == (rateByte & statusRateBit))
            return row.framesPerSecond;
    return timeCodeRates[0].framesPerSecond;
}

// The Quob command table. Rows marked "not sent" are kept as protocol constants.
namespace QuobCmd {
constexpr QuobCommand StatusSense{0x08, 0x4E, 0x20, 0, 0, 0, 0};
constexpr QuobCommand Stop{0x08, 0x44, 0x60, 0, 0, 0, 0};
constexpr QuobCommand Rewind{0x08, 0x44, 0x65, 0, 0, 0, 0};
constexpr QuobCommand FastForward{0x08, 0x44, 0x75, 0, 0, 0, 0};
constexpr QuobCommand Play{0x08, 0x43, 0x75, 0, 0, 0, 0};
constexpr QuobCommand Pause{0x08, 0x43, 0x6D, 0, 0, 0, 0};
constexpr QuobCommand SlowForward{0x08, 0x43, 0x20, 0, 0, 0, 0};
constexpr QuobCommand SlowReverse{0x08, 0x43, 0x24, 0, 0, 0, 0};
constexpr QuobCommand SearchForward{0x08, 0x43, 0x21, 0, 0, 0, 0};
constexpr QuobCommand SearchReverse{0x08, 0x43, 0x25, 0, 0, 0, 0};
constexpr QuobCommand State13{0x08, 0x42, 0x6D, 0, 0, 0, 0};
constexpr QuobCommand State14{0x08, 0x42, 0x70, 0, 0, 0, 0};
constexpr QuobCommand State0{0x08, 0x41, 0x60, 0, 0, 0, 0};
constexpr QuobCommand VariableSpeedSense{0x48, 0x4E, 0x20, 0, 0, 0, 0};
constexpr QuobCommand ReversePlay{0x08, 0x43, 0x65, 0, 0, 0, 0};
constexpr QuobCommand StepForward{0x48, 0x46, 0x75, 0x01, 0, 0, 0};
constexpr QuobCommand StepReverse{0x48, 0x46, 0x65, 0x01, 0, 0, 0};
constexpr QuobCommand PowerOn{0x3E, 0x40, 0x70, 0, 0, 0, 0};
constexpr QuobCommand PowerOff{0x3E, 0x40, 0x60, 0, 0, 0, 0};
constexpr QuobCommand Node40_60{0x7C, 0x40, 0x60, 0, 0, 0, 0};          // not sent
constexpr QuobCommand Node40_70{0x7C, 0x40, 0x70, 0, 0, 0, 0};          // not sent
constexpr QuobCommand ChangeId{0x7C, 0x41, 0xFF, 0, 0, 0, 0};           // byte 2: new ID
constexpr QuobCommand ReadDeviceCodes{0x7C, 0x49, 0x00, 0, 0, 0, 0};
constexpr QuobCommand Node43_60{0x7C, 0x43, 0x60, 0, 0, 0, 0};          // not sent
constexpr QuobCommand Node43_70{0x7C, 0x43, 0x70, 0, 0, 0, 0};          // not sent
constexpr QuobCommand Node44{0x7C, 0x44, 0xFF, 0xFF, 0xFF, 0xFF, 0};    // not sent
constexpr QuobCommand ReadNameFirst{0x7C, 0x4C, 0x00, 0, 0, 0, 0};
constexpr QuobCommand ReadNameSecond{0x7C, 0x4D, 0x00, 0, 0, 0, 0};
constexpr QuobCommand NodeSense{0x7C, 0x4E, 0x20, 0, 0, 0, 0};
constexpr QuobCommand Node48{0x7C, 0x48, 0x20, 0, 0, 0, 0};             // not sent
constexpr QuobCommand PowerSense{0x3E, 0x4E, 0x20, 0, 0, 0, 0};
constexpr QuobCommand ReadModelCodes{0x7C, 0x45, 0x00, 0, 0, 0, 0};
} // namespace QuobCmd

// Transport state codes: low four bits the kind, high four bits the speed variant.
namespace VtrState {
constexpr uint8_t Zero = 0;
constexpr uint8_t Stop = 1;
constexpr uint8_t FastForward = 2;
constexpr uint8_t Rewind = 3;
constexpr uint8_t Pause = 5;
constexpr uint8_t Play = 6;
constexpr uint8_t ReversePlay = 7;
constexpr uint8_t State13 = 13;
constexpr uint8_t State14 = 14;
constexpr uint8_t Unknown = 15;
constexpr uint8_t SlowForward = 22;
constexpr uint8_t SlowReverse = 23;
constexpr uint8_t SearchForward = 38;
constexpr uint8_t SearchReverse = 39;
} // namespace VtrState

// The transport command for each state that SetState accepts.
struct TransportCommand {
    uint8_t state;
    QuobCommand command;
    const char* word; // the name vantrel-cli uses, or nullptr
};

constexpr TransportCommand transportCommands[] = {
    {VtrState::Stop, QuobCmd::Stop, "stop"},
    {VtrState::Rewind, QuobCmd::Rewind, "rew"},
    {VtrState::FastForward, QuobCmd::FastForward, "ff"},
    {VtrState::Play, QuobCmd::Play, "play"},
    {VtrState::Pause, QuobCmd::Pause, "pause"},
    {VtrState::SlowForward, QuobCmd::SlowForward, "slow"},
    {VtrState::SlowReverse, QuobCmd::SlowReverse, "slowrev"},
    {VtrState::SearchForward, QuobCmd::SearchForward, "search"},
    {VtrState::SearchReverse, QuobCmd::SearchReverse, "searchrev"},
    {VtrState::State13, QuobCmd::State13, nullptr},
    {VtrState::State14, QuobCmd::State14, nullptr},
    {VtrState::Zero, QuobCmd::State0, nullptr},
    {VtrState::ReversePlay, QuobCmd::ReversePlay, "revplay"},
};

constexpr const TransportCommand* transportCommandFor(uint8_t state)
{
    for (const auto& row : transportCommands)
        if (row.state == state)
            return &row;
    return nullptr;
}

} // namespace vantrel
