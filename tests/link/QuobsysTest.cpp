// The device object against the simulator: probe, power, codes, name, ID change, classifiers.
#include "SimulatedLine.h"
#include "link/Quobsys.h"
#include "support/Waiting.h"

#include <gtest/gtest.h>

using namespace vantrel;
using vantrel::quobsim::Device;
using vantrel::quobsim::Fault;
using vantrel::quobsim::FaultPlan;
using vantrel::test::SimulatedLine;

namespace {

quobsim::DeviceSetup camcorderNamed(int id, const std::string& name)
{
    auto setup = quobsim::camcorder(id);
    setup.name = name;
    return setup;
}

DeviceEntry entryFor(int id)
{
    DeviceEntry entry;
    entry.id = static_cast<uint8_t>(id);
    return entry;
}

} // namespace

TEST(QuobSysProbe, SwitchesOnADeviceThatAnswersButIsOff)
{
    auto setup = quobsim::camcorder(3);
    setup.powered = false;
    SimulatedLine line({setup});
    ASSERT_TRUE(line.ready);
    QuobSys sys(line.io);
    EXPECT_TRUE(sys.Probe(3));
    EXPECT_EQ(sys.deviceId, 3);
    bool powered = false;
    line.sim.withDevice(3, [&](Device& d) { powered = d.powered; });
    EXPECT_TRUE(powered);
    EXPECT_EQ(line.sim.countReceived({0x3E, 0x40, 0x70}), 1);
    EXPECT_GE(line.sim.countReceived({0x3E, 0x4E}), 2); // sensed until the power settled
    EXPECT_TRUE(sys.Probe(3)); // on now: one node sense is enough
}

TEST(QuobSysProbe, SilentIdCostsOneExchange)
{
    SimulatedLine line;
    ASSERT_TRUE(line.ready);
    QuobSys sys(line.io);
    EXPECT_FALSE(sys.Probe(42));
    // Nothing answers: the simulator may log the probe after the host gave up waiting.
    EXPECT_TRUE(test::serveUntil([&] { return line.sim.received().size() == 1u; }));
    EXPECT_EQ(line.io.lastResult, QuobResult::NoAnswer);
}

TEST(QuobSysPower, SwitchesAndWaitsForTheSense)
{
    SimulatedLine line;
    ASSERT_TRUE(line.ready);
    QuobSys sys(line.io);
    ASSERT_TRUE(sys.SetId(1));
    EXPECT_TRUE(sys.Power(false, true));
    EXPECT_TRUE(sys.Power(true, true));
    bool powered = false;
    line.sim.withDevice(1, [&](Device& d) { powered = d.powered; });
    EXPECT_TRUE(powered);
    line.setFault(1, FaultPlan{Fault::Refuse});
    EXPECT_FALSE(sys.Power(false, false));
}

TEST(QuobSysRead, EntryOfACamcorderAndADeck)
{
    SimulatedLine line({quobsim::camcorder(1), quobsim::deck(5)});
    ASSERT_TRUE(line.ready);
    QuobSys sys(line.io);
    DeviceEntry camcorder = entryFor(1);
    ASSERT_TRUE(sys.ReadEntry(camcorder));
    EXPECT_EQ(camcorder.category(), DeviceCategory::Movie);
    EXPECT_EQ(camcorder.nameText(), "CAMCORDER");
    EXPECT_TRUE(QuobSys::IsControllable(camcorder));
    EXPECT_TRUE(QuobSys::HasCaptureCategory(camcorder));

    line.sim.clearLog();
    DeviceEntry deck = entryFor(5);
    ASSERT_TRUE(sys.ReadEntry(deck));
    EXPECT_EQ(deck.category(), DeviceCategory::Vcr);
    EXPECT_EQ(deck.nameText(), "DECK");
    EXPECT_TRUE(QuobSys::IsModelGroupB(deck));
    EXPECT_EQ(line.sim.countReceived({0x7C, 0x4D}), 0); // the name ended in its first part
    EXPECT_EQ(std::string(categoryLabel(deck.category())), "VCR");
}

TEST(QuobSysRead, NamesOfEveryLength)
{
    struct Case {
        std::string name;
        int secondParts;
    };
    const Case cases[] = {{"AB", 0}, {"ABCDE", 0}, {"ABCDEF", 1}, {"ABCDEFGHIJK", 1}, {"ABCDEFGHIJKL", 1}};
    for (const auto& c : cases) {
        SimulatedLine line({camcorderNamed(2, c.name)});
        ASSERT_TRUE(line.ready);
        QuobSys sys(line.io);
        DeviceEntry entry = entryFor(2);
        entry.name.fill('X'); // nothing of this may survive
        ASSERT_TRUE(sys.ReadName(entry));
        EXPECT_EQ(entry.nameText(), c.name);
        EXPECT_EQ(line.sim.countReceived({0x7C, 0x4D}), c.secondParts) << c.name;
    }
}

TEST(QuobSysRead, FailuresLeaveTheEntryFalse)
{
    SimulatedLine line;
    ASSERT_TRUE(line.ready);
    QuobSys sys(line.io);
    DeviceEntry missing = entryFor(0);
    EXPECT_FALSE(sys.ReadCodes(missing)); // an ID of 0 is not read from the last device
    EXPECT_TRUE(line.sim.received().empty());
    line.setFault(1, FaultPlan{Fault::Completion, 1, -1, 0}); // answers, then only code 0
    DeviceEntry entry = entryFor(1);
    EXPECT_FALSE(sys.ReadEntry(entry));
    EXPECT_EQ(line.sim.countReceived({0x7C, 0x49}), 5); // the codes were tried five times
}

TEST(QuobSysChangeId, DeviceAnswersAtItsNewId)
{
    SimulatedLine line;
    ASSERT_TRUE(line.ready);
    QuobSys sys(line.io);
    EXPECT_TRUE(sys.ChangeId(1, 7));
    EXPECT_TRUE(sys.Probe(7));
    EXPECT_FALSE(sys.Probe(1));
    line.sim.clearLog();
    EXPECT_FALSE(sys.ChangeId(7, 0));
    EXPECT_FALSE(sys.ChangeId(7, 100));
    EXPECT_TRUE(line.sim.received().empty());
}

TEST(QuobSysClassify, CategoriesCaptureCodesAndModelGroups)
{
    DeviceEntry entry;
    for (uint8_t category : {1, 7, 9}) {
        entry.deviceCodes[0] = category;
        EXPECT_TRUE(QuobSys::IsControllable(entry)) << int(category);
    }
    for (uint8_t category : {0, 3, 34, 8}) {
        entry.deviceCodes[0] = category;
        EXPECT_FALSE(QuobSys::IsControllable(entry)) << int(category);
    }
    entry.deviceCodes = {0x16, 0, 0, 0, 0, 0};
    EXPECT_FALSE(QuobSys::HasCaptureCategory(entry)); // the category byte does not count
    for (size_t at = 1; at < 6; ++at) {
        entry.deviceCodes = {1, 0, 0, 0, 0, 0};
        entry.deviceCodes[at] = 0x16;
        EXPECT_TRUE(QuobSys::HasCaptureCategory(entry)) << at;
    }
    struct Group {
        std::array<uint8_t, 6> codes;
        bool a;
        bool b;
    };
    const Group groups[] = {
        {{0, 1, 0, 1, 90, 0}, true, false},  {{0, 1, 0, 1, 94, 0}, true, false},
        {{0, 1, 0, 1, 89, 0}, false, false}, {{0, 1, 0, 1, 95, 0}, false, false},
        {{0, 1, 0, 2, 70, 0}, false, true},  {{0, 1, 0, 2, 84, 0}, false, true},
        {{0, 1, 0, 2, 85, 0}, false, false}, {{0, 1, 0, 2, 92, 0}, false, false},
        {{1, 1, 0, 1, 92, 0}, false, false},
    };
    for (const auto& g : groups) {
        entry.modelCodes = g.codes;
        EXPECT_EQ(QuobSys::IsModelGroupA(entry), g.a) << int(g.codes[4]);
        EXPECT_EQ(QuobSys::IsModelGroupB(entry), g.b) << int(g.codes[4]);
    }
}
