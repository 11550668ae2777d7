#pragma once
#include <string>
#include <sys/types.h>
#include <vector>

namespace vantrel::bench {

// The quobsim command beside this program, serving its line under a temporary name, with
// `arguments` after the link.
class SimulatorProcess {
public:
    explicit SimulatorProcess(const std::vector<std::string>& arguments);
    ~SimulatorProcess();
    SimulatorProcess(const SimulatorProcess&) = delete;
    SimulatorProcess& operator=(const SimulatorProcess&) = delete;

    bool ready() const;
    const std::string& link() const { return link_; }
    // The process's peak resident memory so far (VmHWM), in bytes; 0 when unknown.
    double peakMemoryBytes() const;

private:
    pid_t pid_ = 0;
    std::string link_;
};

} // namespace vantrel::bench
