#include "Quobio.h"

#include "platform/Ticks.h"
#include "platform/WindowMessage.h"

#include <algorithm>
#include <optional>

namespace vantrel {

namespace {

constexpr uint32_t spacingMs = 80;
constexpr uint32_t busyWaitSliceMs = 10;
// A holder that finishes no exchange for this long is taken to be stuck, and the line is
// taken over. Longer than one unanswered exchange with its spacing.
constexpr uint32_t busyWaitLimitMs = 1000;
constexpr int firstAddressedOnly = 100; // IDs from here on get no answer

struct ResultText {
    int code;
    const char* text;
};

constexpr ResultText resultTexts[] = {
    {QuobResult::Ok, "success"},
    {QuobResult::WriteFailed, "the packet could not be written"},
    {QuobResult::NoAnswer, "no complete answer"},
    {QuobResult::BadStart, "the answer does not start with FC FF"},
    {QuobResult::BadChecksum, "the answer's checksum is wrong"},
    {QuobResult::BadId, "invalid device ID"},
};

} // namespace

const char* QuobResult::describe(int result)
{
    for (const auto& row : resultTexts)
        if (row.code == result)
            return row.text;
    return "unknown result";
}

uint8_t quobChecksum(const QuobPacket& packet)
{
    unsigned sum = 0;
    for (size_t i = 0; i < 10; ++i)
        sum += packet[i];
    return static_cast<uint8_t>((0x80 - (sum % 0x80)) % 0x80);
}

int answerResult(const QuobPacket& answer)
{
    if (answer[0] != 0xFC || answer[1] != 0xFF)
        return QuobResult::BadStart;
    if (quobChecksum(answer) != answer[10])
        return QuobResult::BadChecksum;
    return QuobResult::Ok;
}

void CQuobIO::takeLine()
{
    const auto me = std::this_thread::get_id();
    uint32_t progress = exchangesDone_;
    for (uint32_t waited = 0;; waited += busyWaitSliceMs) {
        if (progress != exchangesDone_) { // the holder is still working
            progress = exchangesDone_;
            waited = 0;
        }
        {
            std::lock_guard lock(lineMutex_);
            const bool free = owner_ == std::thread::id() || owner_ == me;
            if (free || waited >= busyWaitLimitMs) {
                if (!free) { // a stuck flag: take it over
                    depth_ = 0;
                    heldForCommand_ = false;
                    commandNesting_ = 0;
                }
                owner_ = me;
                ++depth_;
                busy = 1;
                return;
            }
        }
        vantrel::Delay(busyWaitSliceMs);
    }
}

void CQuobIO::releaseLine()
{
    std::lock_guard lock(lineMutex_);
    if (owner_ != std::this_thread::get_id() || depth_ == 0)
        return;
    if (--depth_ == 0) {
        owner_ = std::thread::id();
        busy = 0;
    }
}

void CQuobIO::releaseCommandHold()
{
    {
        std::lock_guard lock(lineMutex_);
        if (owner_ != std::this_thread::get_id() || !heldForCommand_ || commandNesting_ > 0)
            return;
        heldForCommand_ = false;
    }
    releaseLine();
}

void CQuobIO::SetMonitorWindow(QObject* window)
{
    monitorWindow = window;
}

void CQuobIO::SetCommand(int id, const QuobCommand& command)
{
    takeLine();
    {
        std::lock_guard lock(lineMutex_);
        if (heldForCommand_)
            --depth_; // a second SetCommand before its exchange keeps one hold
        heldForCommand_ = true;
    }
    std::lock_guard lock(buffersMutex_);
    std::copy(command.begin(), command.end(), sendBuffer.begin() + 3);
    sendBuffer[2] = static_cast<uint8_t>(id);
}

int CQuobIO::Transact()
{
    const uint8_t id = sendBuffer[2];
    const bool validId = id != 0 && id <= 127;
    int result = QuobResult::BadId;
    {
        std::optional<LineHold> hold; // an invalid ID never touches the line
        if (validId) {
            hold.emplace(*this);
            result = exchange();
            ++exchangesDone_;
        }
        lastResult = result;
        notifyMonitor(lastError, result);
    }
    releaseCommandHold();
    return result;
}

void CQuobIO::holdSpacing() const
{
    const uint32_t now = tickCount();
    if (now < lastSendTime)
        return;
    // Both readings are whole milliseconds: one more keeps the real gap at 80 ms or more.
    const uint32_t since = now - lastSendTime;
    if (since <= spacingMs)
        vantrel::Delay(spacingMs + 1 - since);
}

int CQuobIO::exchange()
{
    QuobPacket packet;
    {
        std::lock_guard lock(buffersMutex_);
        sendBuffer[0] = 0xFF;
        sendBuffer[1] = 0xFF;
        sendBuffer[10] = quobChecksum(sendBuffer);
        packet = sendBuffer;
    }
    holdSpacing();
    lastSendTime = tickCount();
    if (!Write(packet.data(), packet.size()))
        return QuobResult::WriteFailed;
    if (packet[2] >= firstAddressedOnly)
        return QuobResult::Ok;

    QuobPacket answer{};
    if (!ReadExact(answer.data(), answer.size())) {
        storeAnswer(QuobPacket{});
        return QuobResult::NoAnswer;
    }
    lastSendTime = 0;
    storeAnswer(answer);
    notifyMonitor(0, 0);
    const int result = answerResult(answer);
    if (result != QuobResult::Ok)
        storeAnswer(QuobPacket{});
    return result;
}

bool CQuobIO::Command(int tries)
{
    takeLine();
    {
        std::lock_guard lock(lineMutex_);
        ++commandNesting_;
    }
    bool accepted = false;
    for (int attempt = 0; attempt < tries; ++attempt) {
        const int result = Transact();
        if (result != QuobResult::Ok && result != QuobResult::NoAnswer)
            break;
        const int completion = completionCode();
        if (completion == 1)
            break;
        if (answerPending() || (completion >= 2 && completion <= 4)) {
            accepted = true;
            break;
        }
    }
    {
        std::lock_guard lock(lineMutex_);
        if (owner_ == std::this_thread::get_id() && commandNesting_ > 0)
            --commandNesting_;
    }
    releaseCommandHold();
    releaseLine();
    return accepted;
}

void CQuobIO::Delay(uint32_t ms)
{
    vantrel::Delay(ms);
}

uint8_t CQuobIO::answerData(int index) const
{
    return index >= 4 && index <= 9 ? answerBuffer[static_cast<size_t>(index)] : 0;
}

void CQuobIO::storeAnswer(const QuobPacket& answer)
{
    std::lock_guard lock(buffersMutex_);
    answerBuffer = answer;
}

void CQuobIO::copyBuffers(QuobPacket& send, QuobPacket& answer) const
{
    std::lock_guard lock(buffersMutex_);
    send = sendBuffer;
    answer = answerBuffer;
}

void CQuobIO::notifyMonitor(uint32_t error, int result)
{
    if (QObject* window = monitorWindow.load())
        postMessage(window, Msg::MonitorNotice, static_cast<intptr_t>(error), result);
}

} // namespace vantrel
