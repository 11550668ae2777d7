#pragma once

namespace vantrel {

// The wait dialog as a saving loop drives it ("MB_TI_SAVE" with its gauge and Stop): the main
// window shows the real one, the command line and tests their own.
class SaveProgress {
public:
    virtual ~SaveProgress() = default;
    virtual void begin() {}
    virtual void setPercent(int) {}
    // Reads and clears the Stop request.
    virtual bool takeStopRequest() { return false; }
    // Lets pending window messages run between pictures.
    virtual void serviceEvents() {}
    virtual void end() {}
};

} // namespace vantrel
