#pragma once
#include "image/TargetPath.h"

namespace vantrel::fuzz {

// Answers every question with No and lets warnings pass: what a run without a person needs.
class SilentPrompts : public PathPrompts {
public:
    bool askYesNo(const QString&, const QString&) override { return false; }
    void warn(std::string_view, const QString&, const QString&) override {}
};

} // namespace vantrel::fuzz
