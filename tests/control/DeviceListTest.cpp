// The device list on the real dialog against simulated devices over a pty.
#include "SimulatedLine.h"

#include "capture/DeviceSession.h"
#include "i18n/LanguageTable.h"
#include "platform/Profile.h"
#include "link/Quobdev.h"
#include "support/TempFolder.h"

#include <QAction>
#include <QComboBox>
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
