// The serial port over a real pseudo-terminal: the test writes the device's side of the line
// through the simulator's Line.
#include "Line.h"
#include "support/TempFolder.h"
#include "link/Comm.h"
#include "link/ComPorts.h"
#include "platform/Profile.h"
#include "platform/Ticks.h"

#include <QTimer>
#include <gtest/gtest.h>

#include <cerrno>
#include <fstream>

using namespace vantrel;

namespace {

struct PortOnPty : testing::Test {
    void SetUp() override
    {
        ASSERT_TRUE(line.open());
        ASSERT_TRUE(port.OpenDevice(line.slavePath()));
        ASSERT_TRUE(port.SetControlMode());
    }
    void answer(std::vector<uint8_t> bytes) { ASSERT_TRUE(line.write(bytes)); }

    quobsim::Line line;
    CComm port;
};

} // namespace

TEST(CommOpen, RefusesNumbersOutsideOneToFour)
{
    CComm port;
    EXPECT_FALSE(port.Open(0));
    EXPECT_FALSE(port.Open(5));
    EXPECT_FALSE(port.isOpen());
    EXPECT_EQ(port.port, 0);
}

TEST(CommOpen, MapsComPortsThroughThePortsSection)
{
    test::TempProgramFolder folder;
    EXPECT_EQ(comPortPath(0), "");
    EXPECT_EQ(comPortPath(5), "");

    quobsim::Line line;
    ASSERT_TRUE(line.open());
    CProfile().WriteString("Ports", "COM2", line.slavePath());
    EXPECT_EQ(comPortPath(2), line.slavePath());
    CComm port;
    ASSERT_TRUE(port.Open(2));
    EXPECT_EQ(port.port, 2);
    port.Close();
    EXPECT_EQ(port.port, 0);
    EXPECT_FALSE(port.isOpen());
}

TEST(CommOpen, SecondOpenerIsRefusedWithTheOsCode)
{
    quobsim::Line line;
    ASSERT_TRUE(line.open());
    CComm first;
    CComm second;
    ASSERT_TRUE(first.OpenDevice(line.slavePath()));
    EXPECT_FALSE(second.OpenDevice(line.slavePath()));
    EXPECT_TRUE(second.lastError == EBUSY || second.lastError == EWOULDBLOCK) << second.lastError;
    first.Close();
    EXPECT_TRUE(second.OpenDevice(line.slavePath())); // the exclusive hold ends with Close
}

TEST(CommOpen, RefusesWhatIsNotATerminal)
{
    test::TempFolder folder;
    std::ofstream(folder.file("plain")) << "x";
    CComm port;
    EXPECT_FALSE(port.OpenDevice(folder.file("plain")));
    EXPECT_EQ(port.lastError, static_cast<uint32_t>(ENOTTY));
    EXPECT_FALSE(port.OpenDevice(folder.file("missing")));
    EXPECT_EQ(port.lastError, static_cast<uint32_t>(ENOENT));
}

TEST(CommClosed, OperationsFailWithoutTouchingAnything)
{
    CComm port;
    uint8_t buffer[4] = {1, 2, 3, 4};
    EXPECT_FALSE(port.SetControlMode());
    EXPECT_FALSE(port.SetTransferMode());
    EXPECT_FALSE(port.SetRate(9600));
    EXPECT_FALSE(port.SetTimeouts(80));
    EXPECT_FALSE(port.Write(buffer, 4));
    EXPECT_FALSE(port.ReadExact(buffer, 4));
    EXPECT_FALSE(port.ReadAvailable(buffer, 4));
    EXPECT_EQ(port.lastError, 0u);
}

TEST_F(PortOnPty, BothConfigurationsAndRatesApply)
{
    EXPECT_EQ(port.bitRate(), 9600);
    EXPECT_EQ(port.readTimeout, 80);
    EXPECT_TRUE(port.SetTransferMode());
    EXPECT_EQ(port.readTimeout, 2000);
    EXPECT_FALSE(port.lineSettings.c_cflag & PARENB);
    for (int rate : {19200, 38400, 115200, 9600}) {
        EXPECT_TRUE(port.SetRate(rate));
        EXPECT_EQ(port.bitRate(), rate);
    }
    EXPECT_FALSE(port.SetRate(12345));
    EXPECT_EQ(port.bitRate(), 9600);
    EXPECT_TRUE(port.SetTimeouts(5000));
    EXPECT_EQ(port.readTimeout, 5000);
}

TEST_F(PortOnPty, ReadExactTakesExactlyWhatWasAsked)
{
    answer({1, 2, 3, 4, 5, 6});
    uint8_t got[4] = {};
    ASSERT_TRUE(port.ReadExact(got, 4));
    EXPECT_EQ(port.bytesRead, 4u);
    EXPECT_EQ(got[3], 4);
    uint8_t rest[2] = {};
    ASSERT_TRUE(port.ReadExact(rest, 2));
    EXPECT_EQ(rest[1], 6);
}

TEST_F(PortOnPty, ShortReadFailsWithTheShortCount)
{
    answer({1, 2, 3});
    uint8_t got[11] = {};
    const uint32_t start = tickCount();
    EXPECT_FALSE(port.ReadExact(got, 11));
    EXPECT_EQ(port.bytesRead, 3u);
    EXPECT_EQ(port.lastError, static_cast<uint32_t>(ETIMEDOUT));
    EXPECT_LT(ticksSince(start), 2000u); // bounded by 80 ms + 5 ms a byte, never a hang
}

TEST_F(PortOnPty, SilenceFailsAfterTheFirstByteWait)
{
    uint8_t got[11] = {};
    EXPECT_FALSE(port.ReadExact(got, 11));
    EXPECT_EQ(port.bytesRead, 0u);
    EXPECT_EQ(port.lastError, static_cast<uint32_t>(ETIMEDOUT));
}

TEST_F(PortOnPty, WaitingServesTheCallersEvents)
{
    int fired = 0;
    QTimer::singleShot(0, [&] { ++fired; });
    answer({1});
    uint8_t got[11] = {};
    EXPECT_FALSE(port.ReadExact(got, 11)); // waits for the rest until the time-out
    EXPECT_EQ(fired, 1);
}

TEST_F(PortOnPty, ReadAvailableTakesWhatIsQueuedUpToCapacity)
{
    uint8_t got[8] = {};
    EXPECT_FALSE(port.ReadAvailable(got, sizeof got));
    EXPECT_EQ(port.bytesRead, 0u);
    EXPECT_EQ(port.lastError, 0u);

    answer({9, 8, 7, 6, 5, 4, 3, 2, 1, 0});
    Delay(20);
    ASSERT_TRUE(port.ReadAvailable(got, sizeof got));
    EXPECT_EQ(port.bytesRead, 8u);
    ASSERT_TRUE(port.ReadAvailable(got, sizeof got));
    EXPECT_EQ(port.bytesRead, 2u);
    EXPECT_EQ(got[1], 0);
    EXPECT_FALSE(port.ReadAvailable(nullptr, 8));
}

TEST_F(PortOnPty, WriteDiscardsALateAnswerFirst)
{
    answer({0xEE, 0xEE, 0xEE});
    Delay(20);
    const uint8_t packet[3] = {0xFF, 0xFF, 0x01};
    ASSERT_TRUE(port.Write(packet, 3));
    EXPECT_EQ(port.lastError, 0u);
    uint8_t sent[3] = {};
    ASSERT_TRUE(line.readBytes(sent, 3, 100));
    EXPECT_EQ(sent[2], 0x01);

    answer({0x42});
    uint8_t got[1] = {};
    ASSERT_TRUE(port.ReadExact(got, 1));
    EXPECT_EQ(got[0], 0x42);
}

// Bytes written to a pty reach the other end only when the kernel gets round to it; clearing
// before the next write or on a purge must not take them back.
TEST_F(PortOnPty, ClearingNeverLosesWhatWasWritten)
{
    constexpr int rounds = 300;
    int lost = 0;
    for (int round = 0; round < rounds; ++round) {
        const uint8_t first[2] = {0x10, static_cast<uint8_t>(round)};
        const uint8_t second[2] = {0x20, static_cast<uint8_t>(round)};
        ASSERT_TRUE(port.Write(first, 2));
        ASSERT_TRUE(port.Write(second, 2));
        port.Purge();
        uint8_t sent[4] = {};
        if (!line.readBytes(sent, 4, 100) || sent[0] != 0x10 || sent[2] != 0x20 || sent[3] != round % 256)
            ++lost;
    }
    EXPECT_EQ(lost, 0) << "of " << rounds << " rounds";
}

TEST_F(PortOnPty, ClosedPeerFailsReadsAndWritesCleanly)
{
    line.close();
    uint8_t got[11] = {};
    const uint32_t start = tickCount();
    EXPECT_FALSE(port.ReadExact(got, 11));
    EXPECT_FALSE(port.Write(got, 11));
    EXPECT_NE(port.lastError, 0u);
    EXPECT_LT(ticksSince(start), 2000u);
}
