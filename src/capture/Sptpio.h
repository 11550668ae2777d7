#pragma once
#include "capture/SptpFrame.h"

#include <array>
#include <atomic>
#include <cstdint>

namespace vantrel {

class CQuobIO;

// Result codes of one SPTP send.
namespace SptpResult {
constexpr int Ok = 0;
constexpr int WriteFailed = 2;
constexpr int NoAnswer = 3;
constexpr int BadStart = 4;
constexpr int BadId = 6;
constexpr int Busy = 7; // the line is held by another exchange; nothing was sent
constexpr int LineLost = 8; // the line hung up: nothing was sent, and nothing waits
} // namespace SptpResult

// The SPTP framer: builds one command frame, sends it over the port and reads the device's
// answer. It keeps its own busy flag, apart from the packet exchange's, and sends only while
// its thread holds the line.
class CSptpIO {
public:
    explicit CSptpIO(CQuobIO& port) : port_(port) {}

    void Build(int id, const sptp::Command& command);
    int Send();
    // True as soon as a Send got an accepting answer; at most `tries` sends.
    bool SendTries(int tries);

    uint8_t frameLength = 0;
    std::array<uint8_t, sptp::MaxFrameLength> frame{};
    std::array<uint8_t, sptp::AnswerLength> answer{};
    int lastResult = 0;
    uint32_t lastSendTime = 0; // 0 once a send needs no spacing after it
    std::atomic<uint8_t> busy{0};

private:
    void waitWhileBusy() const;
    void takeBusy();
    int exchange();

    CQuobIO& port_;
};

} // namespace vantrel
