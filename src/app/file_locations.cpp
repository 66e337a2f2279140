#include "app/file_locations.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>

#include "app/atomic_file.h"
#include "base/builtin_texts.h"
#include "base/exceptions.h"

namespace {
const QString kProgramFolderName = QStringLiteral("mirelvane");

QString Beside(const QFileInfo& program, const QString& suffix) {
    return QDir(program.absolutePath()).filePath(program.completeBaseName() + suffix);
}

QString HomeFolder() {
    const QString home = qEnvironmentVariable("HOME");
    return home.isEmpty() ? QDir::homePath() : home;
}

bool IsUsableRuntimeFolder(const QString& path) {
    if (path.isEmpty()) return false;
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 && S_ISDIR(st.st_mode) &&
           st.st_uid == ::getuid();
}
}  // namespace

QString XdgBaseFolder(const char* variable, const QString& fallback) {
    const QString value = qEnvironmentVariable(variable);
    // The rules say a relative path is invalid and is to be ignored.
    if (!value.isEmpty() && QDir::isAbsolutePath(value)) return QDir::cleanPath(value);
    return QDir(HomeFolder()).filePath(fallback);
}

tFileLocations::tFileLocations(const QString& programPath) {
    const QFileInfo program(programPath);
    const QString besideSettings = Beside(program, QStringLiteral(".cfg"));
    const QFileInfo besideInfo(besideSettings);
    portable_ = besideInfo.isFile() && besideInfo.isWritable();
    // Records are the user's data, not the program's: they go to the data folder in both modes,
    // so that a portable copy that is replaced or deleted takes no measurement with it.
    const QString data = QDir(XdgBaseFolder("XDG_DATA_HOME", QStringLiteral(".local/share")))
                             .filePath(kProgramFolderName);
    recordsFolder_ = QDir(data).filePath(QStringLiteral("records"));
    if (portable_) {
        settingsFile_ = besideSettings;
        logFile_ = Beside(program, QStringLiteral(".log"));
        languageFolders_ = {program.absolutePath()};
        return;
    }
    const QString share =
        QDir::cleanPath(program.absolutePath() + QStringLiteral("/../share/") + kProgramFolderName);
    settingsTemplate_ = QDir(share).filePath(QStringLiteral("mirelvane.cfg"));
    settingsFile_ = QDir(XdgBaseFolder("XDG_CONFIG_HOME", QStringLiteral(".config")))
                        .filePath(kProgramFolderName + QStringLiteral("/mirelvane.cfg"));
    logFile_ = QDir(XdgBaseFolder("XDG_STATE_HOME", QStringLiteral(".local/state")))
                   .filePath(kProgramFolderName + QStringLiteral("/mirelvane.log"));
    languageFolders_ = {share, QDir(data).filePath(QStringLiteral("languages"))};
}

QString tFileLocations::PrepareSettingsFile() const {
    if (portable_ || QFileInfo::exists(settingsFile_)) return settingsFile_;
    QFile source(settingsTemplate_);
    if (!source.open(QIODevice::ReadOnly))
        throw Exception(LoadStr(1004).replace(QStringLiteral("%s"), settingsTemplate_));
    const QByteArray content = source.readAll();
    tAtomicWriteResult written;
    if (!QDir().mkpath(QFileInfo(settingsFile_).absolutePath()))
        written = {tAtomicWriteResult::Create, errno ? errno : EACCES};
    else
        written = AtomicWriteFile(settingsFile_, content);
    if (!written.ok())
        throw Exception(QStringLiteral("Cannot create file \"%1\". %2")
                            .arg(settingsFile_, written.SystemMessage()));
    return settingsFile_;
}

bool tFileLocations::PrepareLogFolder() const {
    return QDir().mkpath(QFileInfo(logFile_).absolutePath());
}

bool IsPrivateFolder(const QString& path) {
    struct stat st {};
    // lstat: a link planted in place of the folder is not followed.
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0) return false;
    return S_ISDIR(st.st_mode) && st.st_uid == ::getuid() && (st.st_mode & 077) == 0;
}

bool MakePrivateFolder(const QString& path) {
    const QFileInfo info(path);
    if (!QDir().mkpath(info.absolutePath())) return false;
    (void)::mkdir(QFile::encodeName(path).constData(), 0700);
    return IsPrivateFolder(path);
}

QString RuntimeFolder() {
    const QString forced = qEnvironmentVariable("MIRELVANE_RUNTIME_DIR");
    if (!forced.isEmpty()) return forced;
    const QString session = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (IsUsableRuntimeFolder(session)) return session;
    // No session folder (ssh, a plain shell). Another user may have made the /tmp folder
    // first; then the cache folder takes its place, so the start still finds one lock.
    const QString shared = QDir::temp().filePath(QStringLiteral("mirelvane-%1").arg(::getuid()));
    if (MakePrivateFolder(shared)) return shared;
    const QString cache = QDir(XdgBaseFolder("XDG_CACHE_HOME", QStringLiteral(".cache")))
                              .filePath(kProgramFolderName + QStringLiteral("/run"));
    return MakePrivateFolder(cache) ? cache : QString();
}
