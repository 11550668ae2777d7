// A DV file as the simulated camcorder's tape: the host moves it with transport commands and
// captures, and every picture is the file's frame at the picture's time code.
#include "CaptureRig.h"
#include "TapeFile.h"
#include "TapeWriter.h"

#include "capture/CaptureCommands.h"
#include "image/DvCodec.h"
#include "image/Dvf.h"
#include "link/QuobCommands.h"
#include "support/TempFolder.h"
#include "support/Waiting.h"

#include <QProcess>
#include <gtest/gtest.h>

#include <fstream>
#include <thread>

using namespace vantrel;
using quobsim::Motion;

namespace {

constexpr int64_t tapeFrames = 90;

struct TapeCase {
    const char* name;
    DvSystem system;
    const char* file;
    int64_t firstTimeCode; // recorded in the frames' subcode
    bool recordedTimeCodes;
    bool captured;         // one picture goes the whole way into the album
};

// How the host moves the tape before one capture, and where the tape must then stand.
struct Move {
    uint8_t state;   // held for `heldMs`, then paused; Stop: a frame step forward
    int heldMs;
    int64_t lands;   // -1: wherever the motion took it
    bool inPlay = false; // frozen while the tape plays, stamped six frames past its status
};

quobsim::DeviceSetup camcorderWith(const std::shared_ptr<quobsim::TapeFile>& tape, bool recorded)
{
    auto setup = quobsim::camcorder(1, tape->framesPerSecond());
    setup.tapeFile = tape;
    setup.recordedTimeCodes = recorded;
    return setup;
}

int64_t positionOn(quobsim::Simulator& sim)
{
    int64_t position = -1;
    sim.withDevice(1, [&](quobsim::Device& device) { position = device.tape.position(quobsim::Clock::now()); });
    return position;
}

Motion motionOn(quobsim::Simulator& sim)
{
    Motion motion = Motion::Play;
    sim.withDevice(1, [&](quobsim::Device& device) { motion = device.tape.motion(quobsim::Clock::now()); });
    return motion;
}

// Moves the tape as `move` says through the host's transport commands; false on a failed
// command.
bool perform(test::CaptureRig& rig, const Move& move)
{
    if (move.state == VtrState::Stop)
        return rig.vtr.Step(true);
    if (!rig.vtr.SetState(move.state, true))
        return false;
    if (move.heldMs > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(move.heldMs));
    else if (!test::serveUntil([&] { return motionOn(rig.line.sim) == Motion::Stop; }))
        return false; // wound to an end, where the tape stops by itself
    if (move.inPlay) // the host knows the tape plays once it has sensed the speed
        return rig.vtr.Poll() && rig.vtr.ExtendedSense() && rig.vtr.state == VtrState::Play;
    return rig.vtr.SetState(VtrState::Pause, true) && rig.vtr.Poll();
}

std::string sideFileTimeCode(const std::string& path)
{
    PictureRecord record;
    record.path = path;
    return readPictureFile(record) ? record.timeCode : "unreadable";
}

class TapeFileCapture : public testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(DvcLoad()); }
    test::TempFolder folder;
};

} // namespace

// A capture takes seconds (each block waits for its request), so the tape's positions are
// checked by the freeze, which takes the picture the device then sends, and one capture of a
// raw 525/60 and of an AVI 625/50 file checks the whole way into the album.
TEST_F(TapeFileCapture, EveryPictureIsTheFilesFrameAtItsTimeCode)
{
    const TapeCase cases[] = {
        {"raw 525/60", dvSystem525, "tape.dv", 0, false, true},
        {"AVI 525/60", dvSystem525, "tape.avi", 0, false, false},
        {"raw 625/50", dvSystem625, "tape.dv", 0, false, false},
        {"AVI 625/50", dvSystem625, "tape.avi", 0, false, true},
        {"QuickTime 525/60, recorded time codes from 01:00:00:00", dvSystem525, "tape.mov", 30 * 3600, true,
         false},
    };
    // Play, frame step, search, reverse play, wind to the end, rewind to the start, and a
    // freeze while the tape plays.
    const Move moves[] = {{VtrState::Play, 400, -1},     {VtrState::Stop, 0, -1},
                          {VtrState::SearchForward, 150, -1}, {VtrState::ReversePlay, 200, -1},
                          {VtrState::FastForward, 0, tapeFrames - 1}, {VtrState::Rewind, 0, 0},
                          {VtrState::Play, 300, -1, true}};
    constexpr int layouts[] = {4, 6, 7};
    constexpr size_t capturedMove = 3;
    for (const TapeCase& test : cases) {
        SCOPED_TRACE(test.name);
        const std::string path = folder.file(test.file);
        std::string error;
        ASSERT_TRUE(quobsim::writeMovingTape(path, test.system, tapeFrames, test.firstTimeCode, error)) << error;
        const auto tape = quobsim::TapeFile::open(path, error);
        ASSERT_TRUE(tape) << error;
        EXPECT_EQ(tape->frameCount(), tapeFrames);
        EXPECT_EQ(tape->system(), test.system);

        test::CaptureRig rig({}, camcorderWith(tape, test.recordedTimeCodes));
        ASSERT_TRUE(rig.parkTape(0));
        EXPECT_EQ(rig.vtr.framesPerSecond, tape->framesPerSecond());
        int64_t before = 0;
        for (size_t k = 0; k < std::size(moves); ++k) {
            const int layout = layouts[k % std::size(layouts)];
            quobsim::SptpOptions options;
            options.layout = layout;
            rig.line.side->setOptions(options);
            ASSERT_TRUE(perform(rig, moves[k])) << "move " << k;
            const int64_t position = positionOn(rig.line.sim);
            if (moves[k].lands >= 0)
                EXPECT_EQ(position, moves[k].lands) << "move " << k;
            else
                EXPECT_NE(position, before) << "move " << k << " left the tape where it was";
            before = position;

            ASSERT_EQ(rig.cpt.Freeze(), 0) << "move " << k;
            const int64_t frame = test::framesOfTimeCode(packTimeCodeText(rig.cpt.timeCodePack.data()),
                                                         tape->framesPerSecond()) - test.firstTimeCode;
            if (moves[k].inPlay)
                ASSERT_GE(frame, position) << "move " << k; // the tape went on after the reading
            else
                ASSERT_EQ(frame, position) << "move " << k;
            const auto sent = rig.line.side->frozenPicture();
            EXPECT_EQ(test::blocksDifferingFromTape(sent.frame.data(), tape->frame(frame), layout), 0u)
                << "move " << k << ", layout " << layout;
            // The picture changes every frame: its neighbour would not pass for it.
            const int64_t neighbour = frame > 0 ? frame - 1 : frame + 1;
            EXPECT_GT(test::blocksDifferingFromTape(sent.frame.data(), tape->frame(neighbour), layout), 100u);
            if (moves[k].inPlay)
                ASSERT_TRUE(rig.vtr.SetState(VtrState::Pause, true));
            if (k != capturedMove || !test.captured)
                continue;
            ASSERT_EQ(rig.cpt.Capture(), CaptureOutcome::Captured) << "move " << k;
            const std::string sideFile = rig.album.sideFileName(1);
            EXPECT_EQ(test::framesOfTimeCode(sideFileTimeCode(sideFile), tape->framesPerSecond()), position);
            EXPECT_EQ(test::blocksDifferingFromTape(sideFile, tape->frame(position), layout), 0u);
        }
    }
}

TEST_F(TapeFileCapture, BadFilesAreRefusedInOneLineAndABrokenFrameIsServedAsItIs)
{
    std::string error;
    const std::string good = folder.file("good.dv");
    const std::string goodAvi = folder.file("good.avi");
    ASSERT_TRUE(quobsim::writeMovingTape(good, dvSystem525, 30, 0, error)) << error;
    ASSERT_TRUE(quobsim::writeMovingTape(goodAvi, dvSystem625, 30, 0, error)) << error;
    std::ofstream(folder.file("text.avi")) << "RIFF? no, a note to self\n";
    const auto copyStart = [&](const std::string& from, const std::string& to, size_t bytes) {
        std::ifstream in(from, std::ios::binary);
        std::vector<char> start(bytes);
        in.read(start.data(), std::streamsize(bytes));
        std::ofstream(to, std::ios::binary).write(start.data(), in.gcount());
        return to;
    };
    struct Bad {
        std::string path;
        const char* message;
    };
    const Bad bad[] = {
        {copyStart(good, folder.file("empty.dv"), 0), "empty"},
        {folder.file("text.avi"), "not a DV file"},
        {copyStart(good, folder.file("cut.dv"), 10 * 120000 + 5000), "cut short"},
        {copyStart(goodAvi, folder.file("cut.avi"), 20 * 144000), "cut short"},
        {folder.file("missing.dv"), "No such file"},
    };
    for (const Bad& test : bad) {
        QProcess process;
        process.start(VANTREL_QUOBSIM_PATH, {"--tape", QString::fromStdString(test.path)});
        ASSERT_TRUE(process.waitForFinished(5000)) << test.path;
        const std::string message = process.readAllStandardError().toStdString();
        EXPECT_EQ(process.exitCode(), 1) << test.path;
        EXPECT_NE(message.find(test.message), std::string::npos) << message;
        EXPECT_EQ(std::count(message.begin(), message.end(), '\n'), 1) << message;
    }

    // Noise over 100 video and audio blocks of frame 12: that frame is sent as it is.
    {
        std::fstream file(good, std::ios::binary | std::ios::in | std::ios::out);
        file.seekp(12 * 120000 + 3 * 12000 + 10 * 80);
        for (int i = 0; i < 100 * 80; ++i)
            file.put(char(i * 37 + 11));
    }
    const auto tape = quobsim::TapeFile::open(good, error);
    ASSERT_TRUE(tape) << error;
    test::CaptureRig rig({}, camcorderWith(tape, false));
    ASSERT_TRUE(rig.parkTape(12));
    ASSERT_EQ(rig.cpt.Freeze(), 0);
    EXPECT_EQ(test::blocksDifferingFromTape(rig.line.side->frozenPicture().frame.data(), tape->frame(12), 6), 0u);
}
