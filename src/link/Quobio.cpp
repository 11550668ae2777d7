#include "Quobio.h"

#include "platform/Ticks.h"
#include "platform/WindowMessage.h"

#include <algorithm>

namespace vantrel {

namespace {

constexpr uint32_t spacingMs = 80;
constexpr uint32_t busyWaitSliceMs = 10;
constexpr int firstAddressedOnly = lastDeviceId + 1; // IDs from here on get no answer

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
    {QuobResult::Busy, "the line is held by another exchange"},
    {QuobResult::LineLost, "the line was lost"},
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

bool CQuobIO::tryTakeLine(std::thread::id me, int servicing)
{
    std::lock_guard lock(lineMutex_);
    if (owner_ == std::thread::id()) {
        owner_ = me;
        ownerServicing_ = servicing;
        depth_ = 1;
        busy = 1;
        return true;
    }
    if (owner_ != me && borrower_ != me)
        return false;
    ++depth_;
    return true;
}

bool CQuobIO::takeLine()
{
    const auto me = std::this_thread::get_id();
    const int servicing = eventServicingDepth();
    {
        std::lock_guard lock(lineMutex_);
        // A handler served inside the holder's own waits must not start a second exchange.
        if (owner_ == me && servicing > ownerServicing_)
            return false;
    }
    uint32_t progress = exchangesDone_;
    uint32_t since = tickCount();
    while (!tryTakeLine(me, servicing)) {
        if (progress != exchangesDone_) { // the holder is still working
            progress = exchangesDone_;
            since = tickCount();
        }
        if (ticksSince(since) >= lineWaitMs)
            return false;
        vantrel::Delay(busyWaitSliceMs);
    }
    return true;
}

void CQuobIO::releaseLine()
{
    std::lock_guard lock(lineMutex_);
    if (depth_ > 0 && --depth_ == 0) {
        owner_ = std::thread::id();
        busy = 0;
    }
}

CQuobIO::LineLoan::LineLoan(CQuobIO& io) : io_(io)
{
    std::lock_guard lock(io_.lineMutex_);
    lent_ = io_.owner_ == std::this_thread::get_id();
    io_.loanOpen_ = lent_;
}

CQuobIO::LineLoan::~LineLoan()
{
    std::lock_guard lock(io_.lineMutex_);
    if (lent_) {
        io_.loanOpen_ = false;
        io_.borrower_ = std::thread::id();
    }
}

CQuobIO::LineBorrow::LineBorrow(CQuobIO& io) : io_(io)
{
    std::lock_guard lock(io_.lineMutex_);
    owns_ = io_.loanOpen_ && io_.borrower_ == std::thread::id();
    if (owns_)
        io_.borrower_ = std::this_thread::get_id();
}

CQuobIO::LineBorrow::~LineBorrow()
{
    std::lock_guard lock(io_.lineMutex_);
    if (owns_ && io_.borrower_ == std::this_thread::get_id())
        io_.borrower_ = std::thread::id();
}

void CQuobIO::SetCommand(int id, const QuobCommand& command)
{
    LineGuard guard(*this);
    {
        std::lock_guard lock(lineMutex_);
        // A load refused because another thread holds the line also forgets this thread's
        // earlier command, which must not go out later in place of this one. (Refused inside
        // this thread's own exchange, the command loaded is that exchange's and stays.)
        const auto me = std::this_thread::get_id();
        if (guard.owns())
            loader_ = me;
        else if (loader_ == me && owner_ != me)
            loader_ = std::thread::id();
    }
    if (!guard.owns())
        return;
    std::lock_guard lock(buffersMutex_);
    std::copy(command.begin(), command.end(), sendBuffer.begin() + 3);
    sendBuffer[2] = static_cast<uint8_t>(id);
}

bool CQuobIO::commandIsMine()
{
    std::lock_guard lock(lineMutex_);
    return loader_ == std::this_thread::get_id();
}

int CQuobIO::Transact()
{
    LineGuard guard(*this);
    // Another thread's command is never sent in this thread's name.
    if (!guard.owns() || !commandIsMine())
        return QuobResult::Busy;
    const uint8_t id = sendBuffer[2];
    const bool validId = id != 0 && id <= 127;
    int result = QuobResult::BadId;
    if (validId) { // an invalid ID never touches the line
        result = exchange();
        ++exchangesDone_;
    }
    lastResult = result;
    notifyMonitor(lastError, result);
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
    if (lineLost())
        return QuobResult::LineLost;
    holdSpacing();
    lastSendTime = tickCount();
    if (!Write(packet.data(), packet.size()))
        return lineLost() ? QuobResult::LineLost : QuobResult::WriteFailed;
    if (packet[2] >= firstAddressedOnly)
        return QuobResult::Ok;

    QuobPacket answer{};
    if (!ReadExact(answer.data(), answer.size())) {
        storeAnswer(QuobPacket{});
        return lineLost() ? QuobResult::LineLost : QuobResult::NoAnswer;
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
    LineGuard guard(*this);
    if (!guard.owns())
        return false;
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
    monitorWindow.post(Msg::MonitorNotice, static_cast<intptr_t>(error), result);
}

} // namespace vantrel
