#include "OrdinaryUser.h"

#include <QProcess>
#include <grp.h>
#include <pwd.h>
#include <unistd.h>

namespace vantrel::test {

OrdinaryUser::OrdinaryUser()
{
    if (::geteuid() != 0) {
        available_ = true;
        return;
    }
    if (const passwd* nobody = ::getpwnam("nobody")) {
        uid_ = nobody->pw_uid;
        gid_ = nobody->pw_gid;
        available_ = dropsRoot_ = uid_ != 0;
    }
}

bool OrdinaryUser::own(const std::string& path) const
{
    return !dropsRoot_ || ::chown(path.c_str(), uid_, gid_) == 0;
}

CliRun OrdinaryUser::run(const QStringList& arguments, const char* program) const
{
    QProcess process;
    if (dropsRoot_) {
        const uid_t uid = uid_;
        const gid_t gid = gid_;
        process.setChildProcessModifier([uid, gid] {
            if (::setgroups(0, nullptr) != 0 || ::setgid(gid) != 0 || ::setuid(uid) != 0)
                ::_exit(127);
        });
    }
    return runProcess(process, arguments, program);
}

} // namespace vantrel::test
