#include "device/port_failure.h"

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <cerrno>
#include <vector>

#include "base/builtin_texts.h"

namespace {
QString GroupName(gid_t gid) {
    const group* g = ::getgrgid(gid);
    return g ? QString::fromLocal8Bit(g->gr_name) : QString::number(gid);
}

QString UserName(uid_t uid) {
    const passwd* p = ::getpwuid(uid);
    return p ? QString::fromLocal8Bit(p->pw_name) : QString::number(uid);
}

bool SessionHasGroup(gid_t gid) {
    if (::getegid() == gid) return true;
    const int count = ::getgroups(0, nullptr);
    if (count <= 0) return false;
    std::vector<gid_t> groups(static_cast<size_t>(count));
    const int got = ::getgroups(count, groups.data());
    for (int i = 0; i < got; ++i)
        if (groups[static_cast<size_t>(i)] == gid) return true;
    return false;
}

// The account's groups as the group database lists them, which a new login would get.
bool AccountHasGroup(gid_t gid) {
    const passwd* p = ::getpwuid(::getuid());
    if (!p) return false;
    const gid_t primary = p->pw_gid;
    if (primary == gid) return true;
    int count = 64;
    std::vector<gid_t> groups;
    for (int attempt = 0; attempt < 4; ++attempt) {
        groups.resize(static_cast<size_t>(count));
        if (::getgrouplist(p->pw_name, primary, groups.data(), &count) >= 0) break;
        groups.clear();
    }
    for (int i = 0; i < count && i < static_cast<int>(groups.size()); ++i)
        if (groups[static_cast<size_t>(i)] == gid) return true;
    return false;
}

QString Constant(const char* name, const tPortFailure& f) {
    return LangConst(QString::fromLatin1(name))
        .replace(QStringLiteral("%port"), f.port)
        .replace(QStringLiteral("%group"), f.group)
        .replace(QStringLiteral("%owner"), f.owner);
}
}  // namespace

tDeviceAccess ReadDeviceAccess(const QString& path) {
    tDeviceAccess access;
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0) return access;
    access.mode = st.st_mode;
    access.owner = UserName(st.st_uid);
    access.group = GroupName(st.st_gid);
    access.accountInGroup = AccountHasGroup(st.st_gid);
    access.sessionInGroup = SessionHasGroup(st.st_gid);
    return access;
}

tPortFailure ClassifyOpenFailure(const QString& port, int error, const tDeviceAccess& access,
                                 const QString& detail) {
    tPortFailure f = tPortFailure::Unexplained(port, detail);
    f.group = access.group;
    if (error == EBUSY || error == EWOULDBLOCK) {
        f.kind = tPortFailure::Busy;
    } else if (error == EACCES || error == EPERM) {
        if ((access.mode & (S_IRGRP | S_IWGRP)) != (S_IRGRP | S_IWGRP))
            f.kind = tPortFailure::AccessOwner;
        else if (access.accountInGroup && !access.sessionInGroup)
            f.kind = tPortFailure::AccessRelogin;
        else if (!access.accountInGroup)
            f.kind = tPortFailure::AccessGroup;
        // In the group and still refused (an access list, a security module): the system's text.
    }
    f.owner = access.owner;
    return f;
}

QString PortFailureText(const tPortFailure& f) {
    // In the order of tPortFailure::Kind; Other has no text of its own.
    static const char* const kTexts[] = {"LC_PORT_ACCESS_GROUP",   "LC_PORT_ACCESS_OWNER",
                                         "LC_PORT_ACCESS_RELOGIN", "LC_PORT_BUSY",
                                         "LC_PORT_NO_REPLY",       "LC_PORT_WRONG_REPLY"};
    static_assert(sizeof(kTexts) / sizeof(kTexts[0]) == tPortFailure::Other);
    if (f.kind != tPortFailure::Other) return Constant(kTexts[f.kind], f);
    return f.detail.contains(f.port) ? f.detail : f.port + QStringLiteral(": ") + f.detail;
}

QString ConnectFailureNotice(const QString& failure, const QVector<tPortFailure>& ports) {
    QString text = failure;
    for (const tPortFailure& port : ports) text += QStringLiteral("\n\n") + PortFailureText(port);
    return text;
}
