// The serial devices present and the COM names over them, on a fake device tree: a folder
// with dev/serial/by-id links, ttyUSB, ttyACM and ttyS nodes of its own.
#include "link/ComPorts.h"
#include "platform/Profile.h"
#include "support/CliRun.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

using namespace vantrel;
namespace fs = std::filesystem;

namespace {

constexpr const char* ftdi = "usb-FTDI_FT232R_USB_UART_A600ABCD-if00-port0";
constexpr const char* prolific = "usb-Prolific_Technology_Inc._USB-Serial_Controller-if00-port0";

// dev/ with two adapters that have by-id links, one that has none, an ACM modem, a ttyS node
// without a UART behind it, a link left by an adapter that has gone, and a file that is no tty.
struct FakeDeviceTree : test::TempFolder {
    FakeDeviceTree()
    {
        const fs::path dev = fs::path(path()) / "dev";
        fs::create_directories(dev / "serial/by-id");
        for (const char* node : {"ttyUSB0", "ttyUSB1", "ttyUSB10", "ttyUSB2", "ttyACM0", "ttyS0", "ttyS1", "ttyS2", "null"})
            std::ofstream(dev / node) << "";
        // The kernel's word on each ttyS: a 16550A (type 4) behind ttyS1, no chip behind ttyS0;
        // ttyS2 has no word, and a plain file answers no serial ioctl.
        for (const auto& [node, type] : {std::pair("ttyS0", "0"), std::pair("ttyS1", "4")}) {
            const fs::path sysfs = fs::path(path()) / "sys/class/tty" / node;
            fs::create_directories(sysfs);
            std::ofstream(sysfs / "type") << type << "\n";
        }
        fs::create_symlink("../../ttyUSB1", dev / "serial/by-id" / ftdi);
        fs::create_symlink("../../ttyUSB0", dev / "serial/by-id" / prolific);
        fs::create_symlink("../../ttyUSB7", dev / "serial/by-id/usb-Gone_Adapter-if00-port0");
    }
    std::string dev(const std::string& name) const { return path() + "/dev/" + name; }
    std::string byId(const char* name) const { return path() + "/dev/serial/by-id/" + name; }
};

} // namespace

TEST(SerialDevices, ByIdLinksFirstThenAdaptersInNaturalOrderThenTtySWithAUart)
{
    FakeDeviceTree tree;
    const auto found = serialDevicesPresent(tree.path());
    struct Expected {
        std::string path;
        std::string tty;
        std::string name;
    };
    const Expected expected[] = {
        {tree.byId(ftdi), "ttyUSB1", "FTDI FT232R USB UART A600ABCD"},
        {tree.byId(prolific), "ttyUSB0", "Prolific Technology Inc. USB-Serial Controller"},
        {tree.dev("ttyUSB2"), "ttyUSB2", ""},
        {tree.dev("ttyUSB10"), "ttyUSB10", ""},
        {tree.dev("ttyACM0"), "ttyACM0", ""},
        {tree.dev("ttyS1"), "ttyS1", ""},
    };
    ASSERT_EQ(found.size(), std::size(expected));
    for (size_t i = 0; i < found.size(); ++i) {
        EXPECT_EQ(found[i].path, expected[i].path) << i;
        EXPECT_EQ(fs::path(found[i].devicePath).filename(), expected[i].tty) << i;
        EXPECT_EQ(found[i].adapterName, expected[i].name) << i;
    }
    EXPECT_EQ(found[0].label(), "FTDI FT232R USB UART A600ABCD (" + fs::canonical(tree.dev("ttyUSB1")).string() + ")");
    EXPECT_EQ(deviceForPath(found, tree.dev("ttyUSB0")), &found[1]) << "a tty is found through its by-id link";
    EXPECT_EQ(deviceForPath(found, "/dev/vantrel-none"), nullptr);
}

TEST(ComPorts, DevicesFoundFillTheNamesTheSettingsLeaveFreeAndAChoiceIsStoredByItsStableName)
{
    FakeDeviceTree tree;
    test::TempProgramFolder folder;
    const auto found = serialDevicesPresent(tree.path());
    CProfile profile;
    auto paths = [&] {
        std::vector<std::string> mapped;
        for (const auto& mapping : comPortMappings(profile, found))
            mapped.push_back(mapping.path);
        return mapped;
    };
    EXPECT_EQ(paths(), (std::vector<std::string>{tree.byId(ftdi), tree.byId(prolific), tree.dev("ttyUSB2"),
                                                 tree.dev("ttyUSB10")}));

    // A key wins, and the device it names is not given to a second COM name.
    profile.WriteString("Ports", "COM3", tree.dev("ttyUSB0"));
    profile.WriteString("Ports", "COM4", "/tmp/quob0");
    const auto mappings = comPortMappings(profile, found);
    EXPECT_EQ(paths(), (std::vector<std::string>{tree.byId(ftdi), tree.dev("ttyUSB2"), tree.dev("ttyUSB0"),
                                                 "/tmp/quob0"}));
    EXPECT_TRUE(mappings[2].fromSettings);
    EXPECT_EQ(mappings[2].found, &found[1]);
    EXPECT_EQ(mappings[3].found, nullptr);
    EXPECT_EQ(comPortOf(mappings, tree.dev("ttyUSB2")), 2);

    ASSERT_TRUE(assignComPort(profile, 2, found[1]));
    std::string stored;
    EXPECT_TRUE(profile.ReadString("Ports", "COM2", stored));
    EXPECT_EQ(stored, tree.byId(prolific)) << "replugged into another socket, the by-id name still leads to it";
    EXPECT_FALSE(assignComPort(profile, 5, found[1]));
}

TEST(CliPorts, ListsTheDevicesFoundWithTheirComNames)
{
    FakeDeviceTree tree;
    test::TempProgramFolder folder;
    CProfile().WriteString("Ports", "COM2", "/tmp/quob0");
    setenv("VANTREL_DEVICE_ROOT", tree.path().c_str(), 1);
    const test::CliRun run = test::runCli({"ports"});
    unsetenv("VANTREL_DEVICE_ROOT");
    EXPECT_EQ(run.status, 0) << run.err;
    const std::string ftdiTty = fs::canonical(tree.dev("ttyUSB1")).string();
    const std::string prolificTty = fs::canonical(tree.dev("ttyUSB0")).string();
    EXPECT_EQ(run.out, "COM1\t" + tree.byId(ftdi) + "\tFTDI FT232R USB UART A600ABCD (" + ftdiTty + ")\n"
                       "COM3\t" + tree.byId(prolific) + "\tProlific Technology Inc. USB-Serial Controller ("
                           + prolificTty + ")\n"
                       "COM4\t" + tree.dev("ttyUSB2") + "\t\n"
                       "-\t" + tree.dev("ttyUSB10") + "\t\n"
                       "-\t" + tree.dev("ttyACM0") + "\t\n"
                       "-\t" + tree.dev("ttyS1") + "\t\n"
                       "COM2\t/tmp/quob0\t(set in wyb30.ini)\n");
}

TEST(CliUdevRule, OneLineAnAdapterByItsSerialName)
{
    FakeDeviceTree tree;
    test::TempProgramFolder folder;
    setenv("VANTREL_DEVICE_ROOT", tree.path().c_str(), 1);
    const test::CliRun found = test::runCli({"udev-rule"});
    unsetenv("VANTREL_DEVICE_ROOT");
    EXPECT_EQ(found.status, 0) << found.err;
    EXPECT_EQ(found.out, "SUBSYSTEM==\"tty\", ENV{ID_SERIAL}==\"FTDI_FT232R_USB_UART_A600ABCD\", ENV{ID_MM_DEVICE_IGNORE}=\"1\"\n"
                         "SUBSYSTEM==\"tty\", ENV{ID_SERIAL}==\"Prolific_Technology_Inc._USB-Serial_Controller\", "
                         "ENV{ID_MM_DEVICE_IGNORE}=\"1\"\n");
    const test::CliRun named = test::runCli({"udev-rule", QString::fromStdString(tree.dev("ttyUSB2"))});
    EXPECT_NE(named.status, 0);
    EXPECT_EQ(named.err, "vantrel-cli: " + tree.dev("ttyUSB2") + " is not a /dev/serial/by-id name\n");
}
