// The protocol monitor window fed by real exchanges with the simulator.
#include "SimulatedLine.h"
#include "link/Monitor.h"
#include "link/MonitorText.h"

#include <QLabel>
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>

using namespace vantrel;
using vantrel::quobsim::Fault;
using vantrel::quobsim::FaultPlan;
using vantrel::test::SimulatedLine;

namespace {

const QString zeroPacket = "00:00:00:00:00:00:00:00:00:00:00:";

int statusSense(CQuobIO& io)
{
    io.SetCommand(1, QuobCmd::StatusSense);
    return io.Transact();
}

// A monitor that watches a simulated line.
struct WatchedLine {
    WatchedLine()
    {
        monitor.setPacketObject(&line.io);
        line.io.SetMonitorWindow(&monitor);
    }
    SimulatedLine line;
    TfrmMonitor monitor;
};

} // namespace

TEST(MonitorText, PacketsAndCodes)
{
    const QuobPacket sense{0xFF, 0xFF, 0x01, 0x08, 0x4E, 0x20, 0, 0, 0, 0, 0x0B};
    EXPECT_EQ(packetText(sense), "FF:FF:01:08:4E:20:00:00:00:00:0B:");
    EXPECT_EQ(packetText(QuobPacket{}).size(), 33u);
    EXPECT_EQ(lastDigits(12345, 4), "2345");
    EXPECT_EQ(lastDigits(997, 4), "0997");
    EXPECT_EQ(lastDigits(3, 2), "03");
    EXPECT_EQ(lastDigits(0, 2), "00");
}

TEST(Monitor, ControlsCarryTheirNamesAndLook)
{
    TfrmMonitor monitor;
    EXPECT_EQ(monitor.objectName(), "frmMonitor");
    EXPECT_EQ(monitor.windowTitle(), "QUOB MONITOR");
    EXPECT_EQ(monitor.size(), QSize(314, 105));
    for (const char* name : {"pnlTD", "pnlRD", "pnlCErr", "pnlJErr", "Label1", "Label2"})
        EXPECT_NE(monitor.findChild<QLabel*>(name), nullptr) << name;
    EXPECT_EQ(monitor.pnlTD->geometry(), QRect(16, 8, 281, 25));
    EXPECT_EQ(monitor.pnlJErr->geometry(), QRect(264, 72, 33, 25));
    EXPECT_EQ(monitor.pnlTD->text(), zeroPacket);
    EXPECT_EQ(monitor.pnlCErr->text(), "0000");
    EXPECT_EQ(monitor.Label1->text(), "COM ERROR");
    EXPECT_TRUE(QFontInfo(monitor.pnlTD->font()).fixedPitch());
    // The labels end before the panels beside them, in one font.
    EXPECT_LT(monitor.Label1->geometry().right(), monitor.pnlCErr->x());
    EXPECT_LT(monitor.Label2->geometry().right(), monitor.pnlJErr->x());
    EXPECT_EQ(monitor.Label1->font(), monitor.Label2->font());
}

TEST(Monitor, NoticesChangeNothingBeforeThePacketObjectIsSet)
{
    SimulatedLine line;
    ASSERT_TRUE(line.ready);
    TfrmMonitor monitor;
    line.io.SetMonitorWindow(&monitor);
    ASSERT_EQ(statusSense(line.io), QuobResult::Ok);
    test::deliverPosted();
    EXPECT_EQ(monitor.pnlTD->text(), zeroPacket);
    EXPECT_EQ(monitor.pnlJErr->text(), "00");
}

TEST(Monitor, ShowsTheLastExchangeAndItsCodes)
{
    WatchedLine watched;
    auto& [line, monitor] = watched;
    ASSERT_TRUE(line.ready);

    ASSERT_EQ(statusSense(line.io), QuobResult::Ok);
    test::deliverPosted();
    EXPECT_EQ(monitor.pnlTD->text(), "FF:FF:01:08:4E:20:00:00:00:00:0B:");
    EXPECT_EQ(monitor.pnlRD->text(), QString::fromStdString(packetText(line.io.answerBuffer)));
    EXPECT_TRUE(monitor.pnlRD->text().startsWith("FC:FF:01:"));
    EXPECT_EQ(monitor.pnlCErr->text(), "0000");
    EXPECT_EQ(monitor.pnlJErr->text(), "00");

    line.setFault(1, FaultPlan{Fault::Silence});
    ASSERT_EQ(statusSense(line.io), QuobResult::NoAnswer);
    test::deliverPosted();
    EXPECT_EQ(monitor.pnlRD->text(), zeroPacket);
    EXPECT_EQ(monitor.pnlJErr->text(), "03");
    EXPECT_EQ(monitor.pnlCErr->text(), QString::fromStdString(lastDigits(ETIMEDOUT, 4)));

    line.setFault(1, FaultPlan{Fault::BadChecksum});
    line.io.Delay(100);
    ASSERT_EQ(statusSense(line.io), QuobResult::BadChecksum);
    test::deliverPosted();
    EXPECT_EQ(monitor.pnlJErr->text(), "05");
}

TEST(Monitor, RendersOffscreen)
{
    WatchedLine watched;
    auto& [line, monitor] = watched;
    ASSERT_TRUE(line.ready);
    ASSERT_EQ(statusSense(line.io), QuobResult::Ok);
    test::deliverPosted();
    monitor.show();
    const QPixmap picture = monitor.grab();
    EXPECT_EQ(picture.size(), QSize(314, 105) * picture.devicePixelRatio());
    // The answer panel is black with light text: both occur inside it.
    const QImage image = picture.toImage();
    bool dark = false;
    bool light = false;
    for (int x = 20; x < 290; ++x) {
        const QColor colour = image.pixelColor(x, 52);
        dark = dark || colour.lightness() < 30;
        light = light || (colour.green() > 150 && colour.blue() > 150);
    }
    EXPECT_TRUE(dark);
    EXPECT_TRUE(light);
    if (const char* path = std::getenv("VANTREL_MONITOR_PNG"))
        picture.save(path);
}
