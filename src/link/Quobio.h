#pragma once
#include "link/Comm.h"
#include "link/QuobCommands.h"

#include <array>
#include <atomic>
#include <mutex>
#include <thread>

class QObject;

namespace vantrel {

// A command packet FF FF, ID, seven command bytes, checksum; or an answer FC FF, ID, answer
// code, six data bytes, checksum.
using QuobPacket = std::array<uint8_t, 11>;

// Result codes of one exchange.
namespace QuobResult {
constexpr int Ok = 0;
constexpr int WriteFailed = 2;
constexpr int NoAnswer = 3;
constexpr int BadStart = 4;
constexpr int BadChecksum = 5;
constexpr int BadId = 6;
// A short text for the code, for messages.
const char* describe(int result);
} // namespace QuobResult

// The 7-bit checksum of bytes 0 to 9 of a packet: the negated sum, low seven bits.
uint8_t quobChecksum(const QuobPacket& packet);
// What a complete answer packet is worth: Ok, BadStart or BadChecksum.
int answerResult(const QuobPacket& answer);

// The Quob packet exchange over the serial port. One exchange at a time goes over the line:
// SetCommand takes the line for the calling thread and keeps it until the Transact or Command
// that follows has ended, so another thread cannot change the send buffer in between. A
// caller that reads the answer buffer afterwards holds the line around the whole sequence
// with a LineHold, so the answer it reads is its own.
class CQuobIO : public CComm {
public:
    CQuobIO() = default;

    // Holds the line for the calling thread while it lives (re-entrant).
    class LineHold {
    public:
        explicit LineHold(CQuobIO& io) : io_(io) { io_.takeLine(); }
        ~LineHold() { io_.releaseLine(); }
        LineHold(const LineHold&) = delete;
        LineHold& operator=(const LineHold&) = delete;

    private:
        CQuobIO& io_;
    };

    void SetMonitorWindow(QObject* window);
    void SetCommand(int id, const QuobCommand& command);
    int Transact();
    bool Command(int tries);
    static void Delay(uint32_t ms);

    // Bits 0 to 2 of the answer code; 0 after a failed exchange.
    int completionCode() const { return answerBuffer[3] & 0x07; }
    bool answerPending() const { return (answerBuffer[3] & 0x40) != 0; }
    // Answer data byte 4 to 9 (0 for any other number).
    uint8_t answerData(int index) const;

    // A consistent copy of both buffers, for a reader on another thread.
    void copyBuffers(QuobPacket& send, QuobPacket& answer) const;

    QuobPacket sendBuffer{};
    QuobPacket answerBuffer{};
    std::atomic<int> lastResult{0};
    uint32_t lastSendTime = 0;
    std::atomic<uint8_t> busy{0};
    std::atomic<QObject*> monitorWindow{nullptr};

private:
    void takeLine();
    void releaseLine();
    void releaseCommandHold();
    int exchange();
    void holdSpacing() const;
    void storeAnswer(const QuobPacket& answer);
    void notifyMonitor(uint32_t error, int result);

    mutable std::mutex buffersMutex_;
    std::atomic<uint32_t> exchangesDone_{0}; // progress of the thread holding the line
    std::mutex lineMutex_;          // guards the owner fields below
    std::thread::id owner_;
    int depth_ = 0;
    bool heldForCommand_ = false;   // taken by SetCommand, released by the exchange after it
    int commandNesting_ = 0;
};

} // namespace vantrel
