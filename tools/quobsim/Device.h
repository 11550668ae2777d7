#pragma once
#include "Tape.h"
#include "TapeFile.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>

namespace vantrel::quobsim {

using Command = std::array<uint8_t, 7>;
using Packet = std::array<uint8_t, 11>;

// Completion codes the simulated devices answer with (bits 0 to 2 of the answer code).
namespace Completion {
constexpr uint8_t Done = 2;
constexpr uint8_t Refused = 1;
constexpr uint8_t NotAvailable = 5;
constexpr uint8_t PendingBit = 0x40;
} // namespace Completion

// The answer code and data bytes 4 to 9 of one answer.
struct Answer {
    uint8_t code = Completion::Done;
    std::array<uint8_t, 6> data{};
};

// What a device is: its address, codes, name and the cassette it holds.
struct DeviceSetup {
    int id = 1;
    std::array<uint8_t, 6> deviceCodes{};
    std::array<uint8_t, 6> modelCodes{};
    std::string name;
    int framesPerSecond = 30;
    bool powered = true;
    int64_t position = 0;
    bool hasTimeCode = true;
    // A DV file as the tape: its frames are the pictures, its system the frame rate.
    std::shared_ptr<TapeFile> tapeFile;
    bool recordedTimeCodes = false; // report the file's own time codes, not its positions
};

// Presets for the usual devices. The kinds are the device categories the host knows.
DeviceSetup camcorder(int id = 1, int framesPerSecond = 30);
DeviceSetup deck(int id = 5, int framesPerSecond = 30);
// A device of a kind by name ("camcorder", "deck", "vcp", "vdp", "printer"); false when the
// kind is unknown.
bool deviceOfKind(const std::string& kind, int id, DeviceSetup& out);

// Faults on request, applied to the answers of one device.
enum class Fault {
    None,
    Silence,     // no answer at all (after `after` good answers: a device that stops answering)
    BadChecksum, // one checksum bit flipped
    Echo,        // the command packet comes back instead of an answer
    Refuse,      // completion code 1
    Completion,  // the completion code given in `code`
    Pending,     // the pending bit on every answer
    Garbage,     // eleven bytes of noise
    Short,       // only the first six bytes of the answer
};

struct FaultPlan {
    Fault kind = Fault::None;
    int after = 0;  // good answers before the fault starts
    int times = -1; // answers the fault spoils; -1 for all
    uint8_t code = 0;
    uint16_t command = 0; // only answers to commands beginning with these two bytes; 0: all
};

bool faultOfName(const std::string& name, Fault& out);

// One simulated Quob device: answers every command of the Quob table addressed to it.
class Device {
public:
    explicit Device(const DeviceSetup& setup);

    Answer answer(const Command& command, Clock::time_point now);
    // A command to IDs 100 to 127: acted on, never answered.
    void broadcast(const Command& command, Clock::time_point now);

    // A new fault plan; its counts start from the next answer.
    void setFault(const FaultPlan& plan);
    // True when the fault applies to this answer to `command`; counts the answers the plan
    // covers either way.
    bool takeFault(const Command& command);

    int id;
    std::array<uint8_t, 6> deviceCodes;
    std::array<uint8_t, 6> modelCodes;
    std::string name;
    bool powered;
    Tape tape;
    std::shared_ptr<TapeFile> tapeFile;
    FaultPlan fault;
    int answers = 0;         // commands answered (or meant to be) under the fault plan
    int pendingAnswers = 0;  // answers still carrying the pending bit after a transport command
    int powerOnAnswers = 0;  // answers until a power-on has settled

    static constexpr int transportSettleAnswers = 3;
    static constexpr int powerSettleAnswers = 6;

private:
    struct Row;
    static const Row* rowFor(const Command& command);
    void settle();
    Answer transport(const Command& command, Clock::time_point now);
    Answer status(const Command& command, Clock::time_point now);
    Answer variableSpeed(const Command& command, Clock::time_point now);
    Answer frameStep(const Command& command, Clock::time_point now);
    Answer powerCommand(const Command& command, Clock::time_point now);
    Answer powerSense(const Command& command, Clock::time_point now);
    Answer codes(const Command& command, Clock::time_point now);
    Answer namePart(const Command& command, Clock::time_point now);
    Answer changeId(const Command& command, Clock::time_point now);
    Answer accepted(const Command& command, Clock::time_point now);

    int faultsGiven_ = 0;
};

} // namespace vantrel::quobsim
