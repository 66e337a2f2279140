#pragma once
// Environment variables of a test or benchmark process, set for a while and put back after.

#include <sys/stat.h>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <QVector>
#include <memory>

// Sets environment variables for one test and puts the old values back.
class Environment {
public:
    Environment() = default;
    Environment(const Environment&) = delete;
    Environment& operator=(const Environment&) = delete;

    // A null value unsets the variable.
    void Set(const char* name, const QString& value) {
        saved_.append({name, qgetenv(name), qEnvironmentVariableIsSet(name)});
        if (value.isNull())
            qunsetenv(name);
        else
            qputenv(name, QFile::encodeName(value));
    }
    ~Environment() {
        for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
            if (it->wasSet)
                qputenv(it->name, it->value);
            else
                qunsetenv(it->name);
        }
    }

private:
    struct Saved {
        const char* name;
        QByteArray value;
        bool wasSet;
    };
    QVector<Saved> saved_;
};

// Gives the process folders of its own for everything the program keeps of a user's: settings,
// log, records, cache and the single-instance lock. Nothing of the user's is read, changed or
// removed while it lives: no journal of theirs is offered for restoring, none of their records
// is rotated away. A process started by one that made such folders (tests that run themselves
// again) keeps its parent's.
class PrivateUserFolders {
public:
    PrivateUserFolders() {
        if (qEnvironmentVariableIsSet(kMarker)) return;
        root_ = std::make_unique<QTemporaryDir>();
        const QString base = root_->path();
        for (const auto& [name, folder] : {std::pair{"XDG_CONFIG_HOME", "config"},
                                           std::pair{"XDG_STATE_HOME", "state"},
                                           std::pair{"XDG_DATA_HOME", "data"},
                                           std::pair{"XDG_CACHE_HOME", "cache"},
                                           std::pair{"XDG_RUNTIME_DIR", "run"}}) {
            QDir(base).mkdir(QString::fromLatin1(folder));
            env_.Set(name, base + u'/' + QString::fromLatin1(folder));
        }
        ::chmod(QFile::encodeName(base + QStringLiteral("/run")).constData(), 0700);
        env_.Set(kMarker, QStringLiteral("1"));
    }

private:
    static constexpr const char* kMarker = "MIRELVANE_PRIVATE_FOLDERS";
    std::unique_ptr<QTemporaryDir> root_;
    Environment env_;  // put back before the folder goes
};
