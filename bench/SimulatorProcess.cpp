#include "SimulatorProcess.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

extern char** environ;

namespace vantrel::bench {

namespace {
int linkNumber = 0;
} // namespace

SimulatorProcess::SimulatorProcess(const std::vector<std::string>& arguments)
{
    const auto folder = std::filesystem::read_symlink("/proc/self/exe").parent_path();
    link_ = (std::filesystem::temp_directory_path()
             / ("quobsim-bench-" + std::to_string(getpid()) + "-" + std::to_string(++linkNumber)))
                .string();
    const std::string program = (folder / "quobsim").string();
    std::vector<std::string> words{program, "--link", link_};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (auto& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    if (posix_spawn(&pid_, program.c_str(), nullptr, nullptr, argv.data(), environ) != 0)
        pid_ = 0;
    for (int i = 0; i < 250 && pid_ && !std::filesystem::exists(link_); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
}

SimulatorProcess::~SimulatorProcess()
{
    if (pid_ > 0) {
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
    }
}

bool SimulatorProcess::ready() const
{
    return pid_ > 0 && std::filesystem::exists(link_);
}

double SimulatorProcess::peakMemoryBytes() const
{
    std::ifstream status("/proc/" + std::to_string(pid_) + "/status");
    for (std::string word; status >> word;)
        if (word == "VmHWM:") {
            double kilobytes = 0;
            status >> kilobytes;
            return kilobytes * 1024;
        }
    return 0;
}

} // namespace vantrel::bench
