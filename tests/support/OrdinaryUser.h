#pragma once
#include "CliRun.h"
#include "TempFolder.h"

#include <sys/types.h>

#include <string>

namespace vantrel::test {

// The user a permission test runs a program as: the test's own when it is not root, else
// "nobody" (root may write every file, so a read-only file means nothing to it).
class OrdinaryUser {
public:
    OrdinaryUser();
    // False when the test runs as root and there is no "nobody" to become.
    bool available() const { return available_; }
    // Gives the folder or file to the user, so it may write there.
    bool own(const std::string& path) const;
    // Runs a program built beside the test as this user: a copy of it, in a folder the user
    // reaches even when the build lies in a folder only root may enter.
    CliRun run(const QStringList& arguments, const char* program = "vantrel-cli") const;

private:
    TempFolder programs_;
    bool available_ = false;
    bool dropsRoot_ = false;
    uid_t uid_ = 0;
    gid_t gid_ = 0;
};

} // namespace vantrel::test
