#include "OrdinaryUser.h"

#include <QProcess>
#include <filesystem>
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
        dropsRoot_ = uid_ != 0;
        available_ = dropsRoot_ && own(programs_.path());
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
    if (!dropsRoot_)
        return runProcess(process, arguments, program);
    const std::string copy = programs_.file(program);
    std::error_code error;
    if (!std::filesystem::exists(copy))
        std::filesystem::copy_file(programBesideTest(program).toStdString(), copy, error);
    process.start(QString::fromStdString(copy), arguments);
    return finishProcess(process);
}

} // namespace vantrel::test
