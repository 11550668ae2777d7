#include "Simulator.h"

#include <pthread.h>
#include <sched.h>

#include <algorithm>

namespace vantrel::quobsim {

namespace {

constexpr size_t logLimit = 4096;
constexpr int syncWaitMs = 20;
constexpr int byteGapMs = 100; // a packet whose bytes stop for longer is dropped
constexpr int firstUnanswered = 100;
constexpr int lastAddress = 127;
constexpr int quobRate = 9600;
constexpr size_t shortAnswerLength = 6;

Command commandOf(const Packet& packet)
{
    Command command{};
    std::copy(packet.begin() + 3, packet.begin() + 10, command.begin());
    return command;
}

} // namespace

uint8_t packetChecksum(const Packet& packet)
{
    unsigned sum = 0;
    for (size_t i = 0; i < 10; ++i)
        sum += packet[i];
    return static_cast<uint8_t>((0x80 - sum % 0x80) % 0x80);
}

Simulator::Simulator(std::vector<DeviceSetup> devices, Options options) : options_(std::move(options))
{
    for (const auto& setup : devices)
        devices_.push_back(std::make_unique<Device>(setup));
    line_.setRealtime(options_.realtime);
}

Simulator::~Simulator()
{
    stop();
}

bool Simulator::start()
{
    if (running())
        return true;
    if (!line_.open(options_.linkPath))
        return false;
    line_.clearStop();
    line_.setRate(quobRate);
    thread_ = std::thread([this] { serve(); });
    answerPromptly(thread_);
    return true;
}

// A device answers within its protocol's time however busy the host machine is: it has a
// processor of its own. Where the system allows it, the serving thread runs before ordinary
// threads; it spends nearly all its time waiting for the line, so it takes little from them.
void Simulator::answerPromptly(std::thread& thread)
{
    sched_param priority{};
    priority.sched_priority = 1;
    pthread_setschedparam(thread.native_handle(), SCHED_FIFO, &priority);
}

void Simulator::stop()
{
    if (!running())
        return;
    line_.requestStop();
    thread_.join();
    line_.close();
}

void Simulator::setTransferMode(std::shared_ptr<TransferMode> mode)
{
    auto held = lock();
    transferMode_ = std::move(mode);
}

Device* Simulator::device(int id)
{
    for (auto& device : devices_)
        if (device->id == id)
            return device.get();
    return nullptr;
}

std::vector<Received> Simulator::received()
{
    auto held = lock();
    return {log_.begin(), log_.end()};
}

int Simulator::countReceived(std::initializer_list<uint8_t> commandStart)
{
    auto held = lock();
    return static_cast<int>(std::count_if(log_.begin(), log_.end(), [&](const Received& entry) {
        return std::equal(commandStart.begin(), commandStart.end(), entry.packet.begin() + 3);
    }));
}

void Simulator::clearLog()
{
    auto held = lock();
    log_.clear();
}

void Simulator::log(const Packet& packet, bool checksumGood)
{
    auto held = lock();
    log_.push_back(Received{packet, Clock::now(), checksumGood});
    if (log_.size() > logLimit)
        log_.pop_front();
}

void Simulator::serve()
{
    Packet packet{};
    Clock::time_point firstByte;
    while (!line_.stopRequested()) {
        if (readPacket(packet, firstByte) && !hangsUpNow())
            handle(packet, firstByte);
    }
    if (line_.hangUpRequested())
        pullPlug();
}

// Finds FF FF and takes the nine bytes after it. Anything else on the line is skipped.
bool Simulator::readPacket(Packet& packet, Clock::time_point& firstByte)
{
    uint8_t byte = 0;
    if (!line_.readByte(byte, syncWaitMs))
        return false;
    if (byte != 0xFF) {
        if (!straying_) // a run of stray bytes is one malformed packet
            ++malformed_;
        straying_ = true;
        return false;
    }
    firstByte = line_.lastArrival();
    packet[0] = packet[1] = 0xFF;
    const bool whole = line_.readByte(byte, byteGapMs) && byte == 0xFF
                       && line_.readBytes(packet.data() + 2, packet.size() - 2, byteGapMs);
    straying_ = false;
    if (!whole)
        ++malformed_;
    return whole;
}

void Simulator::handle(const Packet& packet, Clock::time_point firstByte)
{
    const bool checksumGood = packetChecksum(packet) == packet[10];
    log(packet, checksumGood);
    if (!checksumGood)
        ++malformed_;
    const int id = packet[2];
    if (!checksumGood || id == 0 || id > lastAddress)
        return; // a device ignores a packet it cannot trust
    const Command command = commandOf(packet);
    const auto now = Clock::now();

    std::vector<uint8_t> reply;
    Device* addressed = nullptr;
    bool enter = false;
    {
        auto held = lock();
        if (id >= firstUnanswered) {
            for (auto& device : devices_) {
                if (transferMode_)
                    transferMode_->quobBroadcast(*device, command);
                device->broadcast(command, now);
            }
            return;
        }
        addressed = device(id);
        if (!addressed)
            return;
        std::optional<Answer> answer;
        if (transferMode_)
            answer = transferMode_->quobCommand(*addressed, command, enter);
        if (!answer)
            answer = addressed->answer(command, now);
        reply = frame(*addressed, packet, *answer);
    }
    line_.awaitReception(firstByte, packet.size());
    if (!reply.empty())
        line_.write(reply);
    if (enter && transferMode_) {
        transferMode_->serve(*this, *addressed);
        line_.setRate(quobRate);
    }
}

std::vector<uint8_t> Simulator::frame(Device& device, const Packet& received, Answer answer)
{
    const bool spoiled = device.takeFault(commandOf(received));
    const Fault fault = spoiled ? device.fault.kind : Fault::None;
    if (fault == Fault::Silence)
        return {};
    if (fault == Fault::Echo)
        return {received.begin(), received.end()};
    if (fault == Fault::Refuse)
        answer.code = (answer.code & ~0x07) | 1;
    if (fault == Fault::Completion)
        answer.code = static_cast<uint8_t>((answer.code & ~0x07) | (device.fault.code & 0x07));
    if (fault == Fault::Pending)
        answer.code |= Completion::PendingBit;

    Packet out{0xFC, 0xFF, received[2], answer.code};
    std::copy(answer.data.begin(), answer.data.end(), out.begin() + 4);
    out[10] = packetChecksum(out);
    if (fault == Fault::BadChecksum)
        out[10] ^= 0x01;
    if (fault == Fault::Garbage)
        for (auto& byte : out) {
            noise_ = noise_ * 1103515245u + 12345u;
            byte = static_cast<uint8_t>((noise_ >> 16) & 0x7F); // never FC or FF
        }
    std::vector<uint8_t> bytes(out.begin(), out.end());
    if (fault == Fault::Short)
        bytes.resize(shortAnswerLength);
    return bytes;
}

} // namespace vantrel::quobsim
