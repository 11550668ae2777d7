// The device session without a window, against the simulated camcorder over a pty: the saved
// link, the refusal of a capture and the message each outcome comes to.
#include "CaptureRig.h"

#include "capture/AutoRun.h"
#include "capture/CaptureCommands.h"
#include "capture/DeviceSession.h"
#include "i18n/LanguageTable.h"
#include "platform/Profile.h"
#include "support/Waiting.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace vantrel;

namespace {

// The simulator's line as COM1 of the settings file, device 1 saved, and the session on it.
struct SessionRig {
    SessionRig()
    {
        line.io.Close(); // the session opens the line itself
        line.saveAsPort(folder.file("wyb30.ini"));
        session.setAlbum(&album);
    }
    bool linkRuns()
    {
        return test::serveUntil([&] { return session.linkStarted() && session.vtr.power == 1; }, 10000);
    }

    test::TempProgramFolder folder;
    test::CaptureLine line;
    CProfile profile{folder.file("wyb30.ini")};
    DeviceSession session{profile};
    test::RecordingWindows windows;
    test::RecordingAlbum album;
};

} // namespace

TEST(DeviceSession, SavedPortAndDevice)
{
    struct Case {
        const char* name;
        int port;
        int id;
        bool portOpens;
        int identified;
    };
    const Case cases[] = {
        {"saved camcorder", 1, 1, true, 1},
        {"saved ID nobody answers", 1, 42, true, 0},
        {"saved ID out of range", 1, 100, true, 0},
        {"no saved port", 0, 1, false, 0},
        {"port without a path", 2, 1, false, 0},
    };
    SessionRig rig;
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        rig.profile.WriteInt("INIT", "COM", test.port);
        rig.profile.WriteInt("INIT", "ID", test.id);
        rig.profile.WriteString("Ports", "COM2", "/dev/vantrel-no-such-port");
        ASSERT_EQ(rig.session.openSavedPort(), test.portOpens);
        EXPECT_EQ(rig.session.portInUse(), test.portOpens ? test.port : 0);
        if (!test.portOpens)
            continue;
        EXPECT_EQ(rig.session.identifySavedDevice(), test.identified);
        EXPECT_EQ(rig.session.selectedEntry.id, test.identified);
        EXPECT_EQ(!rig.session.selectedEntry.nameText().empty(), test.identified != 0);
    }
    rig.profile.WriteInt("INIT", "COM", 1);
    ASSERT_TRUE(rig.session.openSavedPort());
    EXPECT_FALSE(rig.session.startLink(0));
    ASSERT_TRUE(rig.session.startLink(1));
    EXPECT_TRUE(rig.linkRuns());
    rig.session.stopLink();
    EXPECT_FALSE(rig.session.linkStarted());
    EXPECT_EQ(rig.session.vtr.power, 0);
}

TEST(DeviceSession, CaptureRefusedOrToldByItsOutcome)
{
    struct Case {
        const char* name;
        int picturesBefore;
        bool diskRoom;
        quobsim::SptpFaults faults;
        PictureRoom room;
        int outcome;
        const char* key; // nullptr: nothing is told
    };
    quobsim::SptpFaults noSignal, refusedFreeze, refusedStart;
    noSignal.noSignal = true;
    refusedFreeze.refuseFreeze = true;
    refusedStart.refuseStart = true;
    const Case cases[] = {
        {"full album", albumMaxPictures, true, {}, PictureRoom::albumFull, 0, nullptr},
        {"no room for the side file", 3, false, {}, PictureRoom::noRoom, 0, nullptr},
        {"captured", 3, true, {}, PictureRoom::free, CaptureOutcome::Captured, nullptr},
        {"no signal", 3, true, noSignal, PictureRoom::free, CaptureOutcome::NoSignal, "MSG_NOSIG"},
        {"freeze refused", 3, true, refusedFreeze, PictureRoom::free, CaptureOutcome::FreezeFailed, "MSG_CANTCPT"},
        {"start refused", 3, true, refusedStart, PictureRoom::free, CaptureOutcome::TransferFailed, "MSG_COMERR"},
    };
    SessionRig rig;
    ASSERT_TRUE(rig.session.openSavedPort() && rig.session.identifySavedDevice() == 1);
    std::string askedPath;
    uint64_t askedBytes = 0;
    bool diskRoom = true;
    rig.session.setSideFileCheck([&](const std::string& path, const std::string&, uint64_t bytes, bool) {
        askedPath = path;
        askedBytes = bytes;
        return diskRoom ? path : std::string();
    });
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        ASSERT_TRUE(rig.session.startLink(1) && rig.linkRuns());
        rig.album.count = test.picturesBefore;
        diskRoom = test.diskRoom;
        quobsim::SptpOptions options;
        options.faults = test.faults;
        rig.line.side->setOptions(options);
        const std::string side = rig.album.sideFileName(test.picturesBefore + 1);
        std::filesystem::remove(side);

        rig.session.stopLink();
        rig.line.sim.clearLog();
        const PictureRoom room = rig.session.roomForCapture();
        EXPECT_EQ(room, test.room);
        if (room != PictureRoom::free) {
            EXPECT_TRUE(rig.line.sim.received().empty());
            EXPECT_EQ(askedPath, room == PictureRoom::noRoom ? side : "");
            askedPath.clear();
            continue;
        }
        EXPECT_EQ(askedBytes, 150000u);
        const int outcome = rig.session.capture(rig.windows);
        EXPECT_EQ(outcome, test.outcome);
        askedPath.clear();
        EXPECT_EQ(std::filesystem::exists(side), outcome == CaptureOutcome::Captured);
        const CaptureMessage message = DeviceSession::outcomeMessage(outcome);
        EXPECT_EQ(message.key, test.key ? test.key : "");
        const QString ending = message.key == "MSG_COMERR" ? QString("[%1]").arg(outcome) : QString();
        EXPECT_EQ(message.text, test.key ? textForKey(test.key) + ending : QString());
    }
    // A stop by the user is told nothing either.
    EXPECT_TRUE(DeviceSession::outcomeMessage(CaptureOutcome::Stopped).key.empty());
}
