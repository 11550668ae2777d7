// The DV controller given a port or a device it cannot use, against the simulator over a pty:
// the device list opens or the message box tells, the window keeps serving its events, and
// the album stays as it was.
#include "Simulator.h"
#include "SptpSide.h"

#include "album/Cptmain.h"
#include "control/AvCtl.h"
#include "i18n/LanguageTable.h"
#include "link/Quobdev.h"
#include "platform/Profile.h"
#include "support/TempFolder.h"
#include "support/Waiting.h"

#include <QApplication>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <QToolButton>
#include <filesystem>
#include <gtest/gtest.h>

using namespace vantrel;
using quobsim::Fault;

namespace {

const std::string resources = VANTREL_RESOURCE_DIR;
// One exchange at 9600 bit/s with its answer time-outs and the spacing after a silent one.
constexpr int64_t oneExchangeMs = 300;

enum class Port { Missing, HeldByAnotherProcess, Simulated };

struct BadInput {
    const char* name;
    Port port;
    Fault fault;         // on every answer of the device
    bool atCapture;      // the device goes bad when Capture is pressed, the link having run
    const char* message; // the key of the message shown; nullptr: the device list opens
};

const BadInput badInputs[] = {
    {"a port that does not exist", Port::Missing, Fault::None, false, nullptr},
    {"a port another process holds", Port::HeldByAnotherProcess, Fault::None, false, nullptr},
    {"a silent line", Port::Simulated, Fault::Silence, false, nullptr},
    {"a device answering garbage", Port::Simulated, Fault::Garbage, false, nullptr},
    {"a device refusing", Port::Simulated, Fault::Refuse, false, nullptr},
    {"the line going silent at Capture", Port::Simulated, Fault::Silence, true, "MSG_CANTCPT"},
    {"the device refusing at Capture", Port::Simulated, Fault::Refuse, true, "MSG_CANTCPT"},
};

// Another program using the port: a process holding its lock.
struct PortHolder {
    explicit PortHolder(const std::string& path)
    {
        process.start("flock", {"--exclusive", QString::fromStdString(path), "-c", "echo held; exec sleep 60"});
        holding = process.waitForReadyRead(5000);
    }
    ~PortHolder()
    {
        process.kill();
        process.waitForFinished();
    }
    QProcess process;
    bool holding = false;
};

// The program folder with COM1 as the case wants it, the main window, the controller and its
// device list; the modal windows that open are answered the way a user closes them.
struct BadInputRig {
    explicit BadInputRig(const BadInput& input) : side(std::make_shared<quobsim::SptpSide>())
    {
        sim.setTransferMode(side);
        for (const char* name : {"wyb.cpt", "wyb.sty"})
            std::filesystem::copy_file(resources + "/" + name, folder.file(name));
        ready = sim.start();
        CProfile settings(folder.file("wyb30.ini"));
        settings.WriteString("Ports", "COM1", input.port == Port::Missing ? "/dev/vantrel-no-such-port" : sim.slavePath());
        settings.WriteInt("INIT", "COM", 1);
        settings.WriteInt("INIT", "ID", 1);
        if (input.port == Port::HeldByAnotherProcess) {
            holder = std::make_unique<PortHolder>(sim.slavePath());
            ready = ready && holder->holding;
        }
        if (!input.atCapture)
            setFault(input.fault);
        main = std::make_unique<TfrmCptMain>();
        frmCptMain = main.get();
        controller = std::make_unique<TfrmAvCtl>(main->profile);
        controller->setMainWindow(main.get());
        deviceList = std::make_unique<TfrmQuobDev>(controller->session(), main->profile);
        controller->setDeviceList(deviceList.get());
    }
    ~BadInputRig()
    {
        controller->close();
        controller.reset();
        frmCptMain = nullptr;
    }
    void setFault(Fault fault)
    {
        sim.withDevice(1, [&](quobsim::Device& device) { device.setFault({fault}); });
    }
    void answerModalWindow()
    {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal && modal == deviceList.get()) {
            listOpened = true;
            deviceList->btnCancel->click();
        } else if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            messages.push_back(box->text());
            box->done(QMessageBox::Ok);
        }
    }
    bool linkRuns() { return controller->session().vtr.power && controller->transportEnabled(); }

    test::TempProgramFolder folder;
    std::shared_ptr<quobsim::SptpSide> side;
    quobsim::Simulator sim;
    std::unique_ptr<PortHolder> holder;
    std::unique_ptr<TfrmCptMain> main;
    std::unique_ptr<TfrmAvCtl> controller;
    std::unique_ptr<TfrmQuobDev> deviceList;
    bool ready = false;
    bool listOpened = false;
    std::vector<QString> messages;
};

} // namespace

TEST(ControllerBadInput, DeviceListOrMessageWhileTheWindowKeepsServingItsEvents)
{
    for (const BadInput& input : badInputs) {
        SCOPED_TRACE(input.name);
        BadInputRig rig(input);
        ASSERT_TRUE(rig.ready);
        test::TimerGapWatch watch(10, [&] { rig.answerModalWindow(); });
        rig.controller->show();
        if (input.atCapture) {
            ASSERT_TRUE(test::serveUntil([&] { return rig.linkRuns(); }, 10000));
            rig.setFault(input.fault);
            rig.controller->setCaptureEnabled(true);
            QTest::mouseClick(rig.controller->btnCapt, Qt::LeftButton);
        } else {
            ASSERT_TRUE(test::serveUntil([&] { return rig.listOpened; }, 10000));
        }
        EXPECT_TRUE(test::serveUntil([] { return QApplication::activeModalWidget() == nullptr; }));
        EXPECT_EQ(rig.listOpened, input.message == nullptr);
        if (input.message)
            EXPECT_EQ(rig.messages, std::vector<QString>{textForKey(input.message)});
        else
            EXPECT_TRUE(rig.messages.empty());
        EXPECT_LT(watch.longestGapMs(), oneExchangeMs);
        EXPECT_EQ(rig.main->album.count(), 0);
        EXPECT_FALSE(std::filesystem::exists(rig.main->album.sideFilePath(1)));
    }
}
