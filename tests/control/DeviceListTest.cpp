// The device list on the real dialog against simulated devices over a pty.
#include "SimulatedLine.h"

#include "capture/DeviceSession.h"
#include "i18n/LanguageTable.h"
#include "platform/Profile.h"
#include "link/Quobdev.h"
#include "support/TempFolder.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLocale>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <gtest/gtest.h>

using namespace vantrel;

namespace {

const std::string resources = VANTREL_RESOURCE_DIR;

quobsim::DeviceSetup groupACamcorder(int id)
{
    quobsim::DeviceSetup setup = quobsim::camcorder(id);
    setup.modelCodes = {0x00, 0x01, 0x00, 0x01, 92, 0x00};
    return setup;
}

// Camcorders at IDs 5 and 12 (12 of model group A) on COM1, the language, the settings file.
struct DeviceListRig {
    DeviceListRig() : sim({quobsim::camcorder(5), groupACamcorder(12)})
    {
        for (const char* name : {"wyb.cpt", "wyb.sty"})
            std::filesystem::copy_file(resources + "/" + name, folder.file(name));
        language.loadFromProgramFolder();
        setLanguageTable(&language);
        started = sim.start();
        profile.WriteString("Ports", "COM1", sim.slavePath());
        for (int n = 0; n < 6; ++n)
            profile.WriteInt("INIT", "ID" + std::to_string(n), 40 + n);
    }
    ~DeviceListRig() { setLanguageTable(nullptr); }
    // Runs `steps` inside the modal dialog.
    void run(TfrmQuobDev& dialog, std::function<void()> steps)
    {
        QTimer::singleShot(0, &dialog, [&] {
            steps();
            if (dialog.isVisible())
                dialog.btnCancel->click();
        });
        dialog.exec();
    }
    int key(const std::string& name)
    {
        int value = -1;
        return CProfile(profile.path).ReadInt("INIT", name, value) ? value : -1;
    }
    test::TempProgramFolder folder;
    LanguageTable language;
    quobsim::Simulator sim;
    CProfile profile{folder.file("wyb30.ini")};
    DeviceSession session{profile};
    CQuobIO& io = session.io;
    QuobSys& sys = session.sys;
    bool started = false;
};

QString idCell(TfrmQuobDev& dialog, int row)
{
    return dialog.SG1->item(row, 1)->text();
}

} // namespace

TEST(DeviceList, ScanEditIdsAndRate)
{
    DeviceListRig rig;
    ASSERT_TRUE(rig.started && rig.io.Open(1) && rig.io.SetControlMode());
    TfrmQuobDev dialog(rig.session, rig.profile);
    rig.run(dialog, [&] {
        QTest::mouseClick(dialog.btnScan, Qt::LeftButton);
        ASSERT_EQ(dialog.SG1->rowCount(), 4);
        EXPECT_EQ(idCell(dialog, 2), "05");
        EXPECT_EQ(idCell(dialog, 3), "12");
        // Typed IDs keep two digits; a clash or an edit not confirmed restores the old ID and
        // sends nothing; a free ID confirmed goes to the device.
        struct Case {
            const char* typed;
            int endKey;
            const char* whileTyping;
            const char* after;
        };
        const Case cases[] = {{"123", Qt::Key_Return, "12", "05"}, {"1a", Qt::Key_Escape, "1", "05"},
                              {"77", Qt::Key_Up, "77", "05"}, {"7", Qt::Key_Return, "7", "07"}};
        for (const Case& test : cases) {
            dialog.SG1->selectRow(2);
            dialog.beginIdChange();
            ASSERT_TRUE(dialog.editing());
            EXPECT_FALSE(dialog.btnOk->isEnabled());
            QTest::keyClicks(dialog.SG1, test.typed);
            EXPECT_EQ(idCell(dialog, 2), test.whileTyping);
            rig.sim.clearLog();
            QTest::keyClick(dialog.SG1, Qt::Key(test.endKey));
            EXPECT_FALSE(dialog.editing());
            EXPECT_EQ(idCell(dialog, 2), test.after);
            EXPECT_EQ(rig.sim.countReceived({0x7C, 0x41}), idCell(dialog, 2) == "05" ? 0 : 1) << test.typed;
        }
        EXPECT_EQ(rig.key("ID0"), 7);
        EXPECT_TRUE(dialog.edSel->text().startsWith("ID:07 "));
        // Model group A goes no faster than 38400.
        dialog.cbRate->setCurrentIndex(3);
        QTest::mouseClick(dialog.SG1->viewport(), Qt::LeftButton, {},
                          dialog.SG1->visualRect(dialog.SG1->model()->index(3, 2)).center());
        EXPECT_EQ(dialog.cbRate->currentIndex(), 2);
        EXPECT_TRUE(dialog.edSel->text().startsWith("ID:12 "));
        if (const char* folder = std::getenv("VANTREL_SCREENS"))
            dialog.grab().save(QString(folder) + (QLocale::system().language() == QLocale::Japanese
                                                      ? "/device-list-ja.png" : "/device-list-en.png"));
        QTest::mouseClick(dialog.btnOk, Qt::LeftButton);
    });
    EXPECT_FALSE(dialog.cancelled);
    EXPECT_EQ(dialog.selectedEntry.id, 12);
    EXPECT_EQ(rig.key("DEVICES"), 2);
    EXPECT_EQ(rig.key("ID1"), 12);
    for (int n = 2; n < 6; ++n)
        EXPECT_EQ(rig.key("ID" + std::to_string(n)), -1) << n;
    EXPECT_EQ(rig.key("ID"), 12);
    EXPECT_EQ(rig.key("COM"), 1);
    EXPECT_EQ(rig.key("BAUD_RATE"), 2);
    // The device answers at its new ID only.
    EXPECT_TRUE(rig.sys.Probe(7));
    EXPECT_FALSE(rig.sys.Probe(5));
}

TEST(DeviceList, NotUseAndCancelKeepTheRate)
{
    DeviceListRig rig;
    ASSERT_TRUE(rig.started);
    TfrmQuobDev dialog(rig.session, rig.profile);
    rig.run(dialog, [&] {
        EXPECT_EQ(dialog.cbCom->currentIndex(), 0);
        EXPECT_FALSE(dialog.btnScan->isEnabled());
        EXPECT_EQ(dialog.SG1->rowCount(), 2);
        dialog.cbRate->setCurrentIndex(1);
        dialog.btnCancel->click();
    });
    EXPECT_TRUE(dialog.cancelled);
    EXPECT_EQ(rig.key("BAUD_RATE"), 1);
    EXPECT_EQ(rig.key("COM"), 0);
    EXPECT_EQ(rig.key("ID"), 0);
}

TEST(DeviceList, PortThatCannotOpenLeavesTheListAlone)
{
    DeviceListRig rig;
    rig.profile.WriteString("Ports", "COM2", "/dev/vantrel-no-such-port");
    TfrmQuobDev dialog(rig.session, rig.profile);
    rig.run(dialog, [&] {
        dialog.cbCom->setCurrentIndex(2);
        emit dialog.cbCom->activated(2);
        EXPECT_EQ(dialog.cbCom->currentIndex(), 0);
        EXPECT_FALSE(rig.io.isOpen());
        EXPECT_FALSE(dialog.btnScan->isEnabled());
    });
}

namespace {

// A device tree whose by-id links lead to two simulated lines, as two USB adapters plugged in.
struct TwoAdapters : test::TempFolder {
    TwoAdapters(const std::string& first, const std::string& second)
    {
        const std::filesystem::path byId = std::filesystem::path(path()) / "dev/serial/by-id";
        std::filesystem::create_directories(byId);
        std::filesystem::create_symlink(first, byId / "usb-FTDI_FT232R_USB_UART_A1-if00-port0");
        std::filesystem::create_symlink(second, byId / "usb-Prolific_USB-Serial_Controller_B2-if00-port0");
        setenv("VANTREL_DEVICE_ROOT", path().c_str(), 1);
    }
    ~TwoAdapters() { unsetenv("VANTREL_DEVICE_ROOT"); }
    std::string byId(const char* name) const { return path() + "/dev/serial/by-id/" + name; }
};

// Writes the dialog's picture into VANTREL_SCREENS when that names a folder.
void keepPicture(QWidget& window, const std::string& name)
{
    if (const char* folder = std::getenv("VANTREL_SCREENS")) {
        const bool japanese = QLocale::system().language() == QLocale::Japanese;
        window.grab().save(QString::fromStdString(std::string(folder) + "/" + name + (japanese ? "-ja" : "-en") + ".png"));
    }
}

} // namespace

TEST(DeviceList, AdaptersFoundStandForTheComNamesAndOneCanBeGivenAnother)
{
    DeviceListRig rig;
    ASSERT_TRUE(rig.started);
    quobsim::Simulator deck({quobsim::deck(7)});
    ASSERT_TRUE(deck.start());
    TwoAdapters adapters(rig.sim.slavePath(), deck.slavePath());
    rig.profile.DeleteKey("Ports", "COM1");
    rig.profile.WriteInt("INIT", "DEVICES", 2);
    rig.profile.WriteInt("INIT", "ID0", 5);
    rig.profile.WriteInt("INIT", "ID1", 7);
    TfrmQuobDev dialog(rig.session, rig.profile);
    const QString ftdi = QString::fromStdString("FTDI FT232R USB UART A1 (" + rig.sim.slavePath() + ")");
    const QString prolific = QString::fromStdString("Prolific USB-Serial Controller B2 (" + deck.slavePath() + ")");
    rig.run(dialog, [&] {
        EXPECT_EQ(dialog.cbCom->itemText(1), "COM1: " + ftdi);
        EXPECT_EQ(dialog.cbCom->itemText(2), "COM2: " + prolific);
        EXPECT_EQ(dialog.cbCom->itemText(3), "COM3: " + textForKey("TX_NOPORT"));
        ASSERT_EQ(dialog.cbDevice->count(), 2);
        EXPECT_FALSE(dialog.cbDevice->isEnabled()) << "no COM name chosen yet";

        dialog.cbCom->setCurrentIndex(1);
        emit dialog.cbCom->activated(1);
        EXPECT_EQ(dialog.cbDevice->currentIndex(), 0);
        EXPECT_EQ(idCell(dialog, 2), "05");
        keepPicture(dialog, "device-list-adapters");

        // COM1 becomes the second adapter, kept under its stable name; the first one
        // takes the free COM2.
        dialog.cbDevice->setCurrentIndex(1);
        emit dialog.cbDevice->activated(1);
        std::string stored;
        EXPECT_TRUE(rig.profile.ReadString("Ports", "COM1", stored));
        EXPECT_EQ(stored, adapters.byId("usb-Prolific_USB-Serial_Controller_B2-if00-port0"));
        EXPECT_EQ(dialog.cbCom->itemText(1), "COM1: " + prolific);
        EXPECT_EQ(dialog.cbCom->itemText(2), "COM2: " + ftdi);
        EXPECT_EQ(rig.session.portInUse(), 1);
        ASSERT_EQ(dialog.SG1->rowCount(), 3);
        EXPECT_EQ(idCell(dialog, 2), "07") << "the deck on the second adapter answers";

        // A COM name that stands for nothing says so, and the port stays closed.
        dialog.cbCom->setCurrentIndex(3);
        emit dialog.cbCom->activated(3);
        EXPECT_EQ(dialog.lblPortState->text(), textForKey("MSG_PORT_NONE").arg("COM3"));
        EXPECT_EQ(rig.session.portInUse(), 0);
    });
}
