#pragma once
#include "link/QuobCommands.h"

#include <string>

namespace vantrel {

// The Quob commands of a capture, in the order they are sent.
namespace CaptureCmd {
constexpr QuobCommand Freeze{0x16, 0x42, 0x71, 0, 0, 0, 0};
constexpr QuobCommand FreezeSense{0x16, 0x4E, 0x20, 0, 0, 0, 0};
constexpr QuobCommand Prepare{0x7C, 0x56, 0x70, 0, 0, 0, 0};
constexpr QuobCommand Announce{0x7C, 0x4F, 0x03, 0, 0, 0, 0};          // to AnnounceId
constexpr QuobCommand EnterSptp{0x7C, 0x70, 'S', 'P', 'T', 'P', '1'};
constexpr QuobCommand Resume{0x18, 0x49, 0x60, 0, 0, 0, 0};
constexpr int AnnounceId = 127;
} // namespace CaptureCmd

// Data byte 4 of the freeze answers.
namespace FreezeBits {
constexpr uint8_t NoSignal = 0x01;
constexpr uint8_t Settling = 0x02;
} // namespace FreezeBits

// The outcome of a capture.
namespace CaptureOutcome {
constexpr int Captured = 0;
constexpr int Stopped = 1;
constexpr int NoSignal = 0x81;
constexpr int FreezeFailed = 0x82;
constexpr int EnterFailed = 0x84;
constexpr int RateFailed = 0x88;
constexpr int TransferFailed = 0x90;
constexpr int LeaveFailed = 0xA0; // or-ed into the others

struct Row {
    int code;
    const char* meaning;
    const char* messageKey; // what the controller tells the user; nullptr for nothing
};

inline constexpr Row Rows[] = {
    {Captured, "picture captured", nullptr},
    {Stopped, "stopped by the user during the transfer", nullptr},
    {NoSignal, "the device reports no picture signal", "MSG_NOSIG"},
    {FreezeFailed, "the freeze failed", "MSG_CANTCPT"},
    {EnterFailed, "switching the device to SPTP failed", "MSG_COMERR"},
    {RateFailed, "the bit-rate change failed", "MSG_COMERR"},
    {TransferFailed, "the transfer failed", "MSG_COMERR"},
    {LeaveFailed, "switching back to Quob failed", "MSG_COMERR"},
};

// The meaning of an outcome, combined parts joined by "; ".
std::string describe(int outcome);
} // namespace CaptureOutcome

} // namespace vantrel
