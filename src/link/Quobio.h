#pragma once
#include "link/Comm.h"
#include "link/QuobCommands.h"

#include "platform/WindowMessage.h"

#include <array>
#include <atomic>
#include <mutex>
#include <thread>

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
constexpr int Busy = 7; // the line is held by another exchange; nothing was sent
constexpr int LineLost = 8; // the line hung up (CComm::lineLost): nothing more goes over it
// A short text for the code, for messages.
const char* describe(int result);
} // namespace QuobResult

// The 7-bit checksum of bytes 0 to 9 of a packet: the negated sum, low seven bits.
uint8_t quobChecksum(const QuobPacket& packet);
// What a complete answer packet is worth: Ok, BadStart or BadChecksum.
int answerResult(const QuobPacket& answer);

// The Quob packet exchange over the serial port. One exchange at a time goes over the line.
// A LineGuard holds the line for one exchange: loading the command, the exchange and reading
// its answer. SetCommand, Transact and Command each hold it for their own part; a caller that
// reads the answer holds one around the whole exchange, so the answer it reads is its own.
class CQuobIO : public CComm {
public:
    CQuobIO() = default;

    // Holds the line while it lives. The thread that holds it may take it again inside (the
    // parts of one exchange). A thread that finds it held by another waits for that exchange
    // to end, at most lineWaitMs without progress, and then gives up: it never goes on beside
    // a live holder. An event handler run inside the holder's own waits (a timer serviced by
    // Delay) is refused at once: an exchange never nests inside another.
    class LineGuard {
    public:
        explicit LineGuard(CQuobIO& io) : io_(io), owns_(io.takeLine()) {}
        ~LineGuard()
        {
            if (owns_)
                io_.releaseLine();
        }
        LineGuard(const LineGuard&) = delete;
        LineGuard& operator=(const LineGuard&) = delete;
        bool owns() const { return owns_; }

    private:
        CQuobIO& io_;
        bool owns_;
    };

    // Lends the line held by the calling thread to one helper thread (the capture thread)
    // while it lives; the helper claims it with a LineBorrow and may then take the line.
    class LineLoan {
    public:
        explicit LineLoan(CQuobIO& io);
        ~LineLoan();
        LineLoan(const LineLoan&) = delete;
        LineLoan& operator=(const LineLoan&) = delete;
        bool lent() const { return lent_; }

    private:
        CQuobIO& io_;
        bool lent_;
    };

    // Claimed on the helper thread; owns() is false when no loan is open.
    class LineBorrow {
    public:
        explicit LineBorrow(CQuobIO& io);
        ~LineBorrow();
        LineBorrow(const LineBorrow&) = delete;
        LineBorrow& operator=(const LineBorrow&) = delete;
        bool owns() const { return owns_; }

    private:
        CQuobIO& io_;
        bool owns_;
    };

    static constexpr uint32_t lineWaitMs = 1000;

    void SetMonitorWindow(QObject* window) { monitorWindow.set(window); }
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
    NoticeTarget monitorWindow;

private:
    bool takeLine();
    bool tryTakeLine(std::thread::id me, int servicing);
    void releaseLine();
    bool commandIsMine();
    int exchange();
    void holdSpacing() const;
    void storeAnswer(const QuobPacket& answer);
    void notifyMonitor(uint32_t error, int result);

    mutable std::mutex buffersMutex_;
    std::atomic<uint32_t> exchangesDone_{0}; // progress of the thread holding the line
    std::mutex lineMutex_;          // guards the fields below
    std::thread::id owner_;
    int ownerServicing_ = 0;        // event-servicing depth at which the owner took the line
    int depth_ = 0;
    bool loanOpen_ = false;
    std::thread::id borrower_;
    std::thread::id loader_;        // the thread whose command is in the send buffer
};

} // namespace vantrel
