// quobsim: simulated Quob devices on a pseudo-terminal, for the demo and for trying the
// program without a camcorder.
#include "Simulator.h"
#include "SptpSide.h"
#include "TapeFile.h"
#include "TapeWriter.h"
#include "platform/Version.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

using namespace vantrel;
using namespace vantrel::quobsim;

namespace {

constexpr const char* usage =
    "usage: quobsim [--link PATH] [--device ID:KIND[:NAME][:pal][:off]]... [--realtime]\n"
    "               [--fault ID:KIND[:AFTER[:TIMES[:CODE[:COMMAND]]]]]...\n"
    "               [--tape FILE [--recorded-timecode]]\n"
    "       quobsim --write-tape FILE[:SECONDS[:pal]]\n"
    "       quobsim --help | --version\n"
    "\n"
    "Serves simulated Quob devices on a new pseudo-terminal until interrupted.\n"
    "  --link PATH   make PATH a symbolic link to the terminal (a stable name)\n"
    "  --device ...  a device: ID 1-99, KIND camcorder|deck|vcp|vdp|printer, an optional\n"
    "                name (up to 12 characters), 'pal' for 25 frames a second, 'off' to\n"
    "                start switched off. Default: 01 camcorder and 05 deck.\n"
    "  --realtime    pace bytes at the line's bit rate (10 bits a byte)\n"
    "  --fault ...   spoil the answers of device ID: KIND silence|checksum|echo|refuse|\n"
    "                completion|pending|garbage|short, after AFTER good answers, for TIMES\n"
    "                answers (-1: all), completion CODE for 'completion', only the answers to\n"
    "                commands beginning with the 4 hex digits COMMAND (1642: the freeze)\n"
    "Signals: SIGUSR1 hangs the line up (an adapter pulled out), SIGUSR2 brings it back at\n"
    "the same link path; SIGINT, SIGTERM and SIGHUP end the run.\n";

std::string usageText()
{
    return std::string(usage) + SptpOptionsHelp;
}

std::vector<std::string> fieldsOf(const std::string& text)
{
    std::vector<std::string> fields;
    std::istringstream in(text);
    for (std::string field; std::getline(in, field, ':');)
        fields.push_back(field);
    return fields;
}

bool parseNumber(const std::string& text, int low, int high, int& out)
{
    char* end = nullptr;
    const long value = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || value < low || value > high)
        return false;
    out = static_cast<int>(value);
    return true;
}

bool parseDevice(const std::string& text, DeviceSetup& setup)
{
    const auto fields = fieldsOf(text);
    int id = 0;
    if (fields.size() < 2 || !parseNumber(fields[0], 1, 99, id) || !deviceOfKind(fields[1], id, setup))
        return false;
    for (size_t i = 2; i < fields.size(); ++i) {
        if (fields[i] == "pal")
            setup.framesPerSecond = 25;
        else if (fields[i] == "off")
            setup.powered = false;
        else
            setup.name = fields[i].substr(0, 12);
    }
    return true;
}

// Four hex digits: the first two bytes of the commands a fault is meant for.
bool parseCommandStart(const std::string& text, uint16_t& out)
{
    char* end = nullptr;
    const unsigned long value = std::strtoul(text.c_str(), &end, 16);
    if (text.size() != 4 || *end != '\0' || value == 0)
        return false;
    out = static_cast<uint16_t>(value);
    return true;
}

struct FaultRequest {
    int id;
    FaultPlan plan;
};

bool parseFault(const std::string& text, FaultRequest& out)
{
    const auto fields = fieldsOf(text);
    int number = 0;
    if (fields.size() < 2 || !parseNumber(fields[0], 1, 99, out.id) || !faultOfName(fields[1], out.plan.kind))
        return false;
    if (fields.size() > 2 && !parseNumber(fields[2], 0, 1 << 30, out.plan.after))
        return false;
    if (fields.size() > 3 && !parseNumber(fields[3], -1, 1 << 30, out.plan.times))
        return false;
    if (fields.size() > 4 && !parseNumber(fields[4], 0, 7, number))
        return false;
    out.plan.code = static_cast<uint8_t>(number);
    return fields.size() <= 5 || parseCommandStart(fields[5], out.plan.command);
}

// FILE[:SECONDS[:pal]] of --write-tape.
int writeTape(const std::string& text)
{
    auto fields = fieldsOf(text);
    int seconds = 10;
    const bool pal = fields.size() > 2 && fields[2] == "pal";
    if (fields.empty() || fields.size() > 3 || (fields.size() > 2 && !pal)
        || (fields.size() > 1 && !parseNumber(fields[1], 1, 24 * 3600, seconds))) {
        std::fprintf(stderr, "quobsim: bad tape '%s'\n", text.c_str());
        return 2;
    }
    const DvSystem system = pal ? dvSystem625 : dvSystem525;
    std::string error;
    if (!writeMovingTape(fields[0], system, int64_t(seconds) * factsOf(system).timeCodeFramesPerSecond, 0, error)) {
        std::fprintf(stderr, "quobsim: %s\n", error.c_str());
        return 1;
    }
    return 0;
}

// The camcorders play the tape file.
bool loadTape(std::vector<DeviceSetup>& devices, const std::shared_ptr<TapeFile>& tape, bool recorded)
{
    bool loaded = false;
    DeviceSetup kind;
    for (auto& setup : devices)
        if (deviceOfKind("camcorder", setup.id, kind) && setup.deviceCodes == kind.deviceCodes) {
            setup.tapeFile = tape;
            setup.recordedTimeCodes = recorded;
            setup.framesPerSecond = tape->framesPerSecond();
            loaded = true;
        }
    return loaded;
}

int refuse(const std::string& what)
{
    std::fprintf(stderr, "quobsim: %s\n%s", what.c_str(), usageText().c_str());
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    Options options;
    std::vector<DeviceSetup> devices;
    std::vector<FaultRequest> faults;
    SptpOptions sptpOptions;
    std::string tapePath;
    bool recordedTimeCodes = false;
    for (int i = 1; i < argc; ++i) {
        const std::string word = argv[i];
        const bool hasValue = i + 1 < argc;
        if (word == "--help" || word == "-h") {
            std::fputs(usageText().c_str(), stdout);
            return 0;
        }
        if (word == "--write-tape" && hasValue)
            return writeTape(argv[++i]);
        if (word == "--version") {
            std::printf("quobsim %s\n", vantrel::programVersion());
            return 0;
        }
        if (word == "--realtime") {
            options.realtime = true;
        } else if (word == "--tape" && hasValue) {
            tapePath = argv[++i];
        } else if (word == "--recorded-timecode") {
            recordedTimeCodes = true;
        } else if (word == "--link" && hasValue) {
            options.linkPath = argv[++i];
        } else if (word == "--device" && hasValue) {
            DeviceSetup setup;
            if (!parseDevice(argv[++i], setup))
                return refuse(std::string("bad device '") + argv[i] + "'");
            devices.push_back(setup);
        } else if (word == "--fault" && hasValue) {
            FaultRequest request{};
            if (!parseFault(argv[++i], request))
                return refuse(std::string("bad fault '") + argv[i] + "'");
            faults.push_back(request);
        } else if (word == "--sptp" && hasValue) {
            std::string error;
            if (!parseSptpOptions(argv[++i], sptpOptions, error))
                return refuse(error);
        } else {
            return refuse("unknown argument '" + word + "'");
        }
    }
    if (devices.empty())
        devices = {camcorder(1), deck(5)};
    if (!tapePath.empty()) {
        if (!sptpOptions.picturePath.empty())
            return refuse("--tape and --sptp picture= name two pictures");
        std::string error;
        const auto tape = TapeFile::open(tapePath, error);
        if (!tape) {
            std::fprintf(stderr, "quobsim: %s\n", error.c_str());
            return 1;
        }
        if (!loadTape(devices, tape, recordedTimeCodes))
            return refuse("--tape needs a camcorder");
    }

    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGHUP);
    sigaddset(&stopSignals, SIGUSR1);
    sigaddset(&stopSignals, SIGUSR2);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr); // the serving thread inherits the mask

    Simulator simulator(devices, options);
    simulator.setTransferMode(std::make_shared<SptpSide>(sptpOptions));
    for (const auto& request : faults)
        if (!simulator.withDevice(request.id, [&](Device& device) { device.setFault(request.plan); }))
            return refuse("no device " + std::to_string(request.id) + " for the fault");
    if (!simulator.start()) {
        std::fprintf(stderr, "quobsim: %s\n", simulator.error().c_str());
        return 1;
    }
    std::printf("quobsim: serving %s", simulator.slavePath().c_str());
    if (!options.linkPath.empty())
        std::printf(" as %s", options.linkPath.c_str());
    std::printf("%s\n", options.realtime ? " (realtime)" : "");
    std::fflush(stdout);

    // SIGUSR1 pulls the adapter out, SIGUSR2 plugs it back in; the others end the run.
    for (int signalNumber = 0; sigwait(&stopSignals, &signalNumber) == 0;) {
        if (signalNumber == SIGUSR1) {
            simulator.hangUp();
        } else if (signalNumber == SIGUSR2) {
            if (simulator.comeBack())
                std::printf("quobsim: back at %s\n", simulator.slavePath().c_str());
            else
                std::fprintf(stderr, "quobsim: %s\n", simulator.error().c_str());
            std::fflush(stdout);
        } else {
            break;
        }
    }
    simulator.stop();
    return 0;
}
