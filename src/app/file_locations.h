#pragma once

#include <QString>
#include <QStringList>

// Where the program keeps its files. This is the one place that decides a location.
//
// Portable: the program's folder holds its settings file and the user may write it; then the
// settings, the log, the language files and the records stay beside the executable.
// Installed: anything else. The settings live in $XDG_CONFIG_HOME/mirelvane, made from the
// packaged template in share/mirelvane on the first start; the log in $XDG_STATE_HOME/mirelvane;
// language files come from share/mirelvane and then $XDG_DATA_HOME/mirelvane/languages (a
// user's file wins for the same language); records go to $XDG_DATA_HOME/mirelvane/records.
class tFileLocations {
public:
    // programPath: the executable's full path (it need not exist). Reads the environment now.
    explicit tFileLocations(const QString& programPath);

    bool IsPortable() const { return portable_; }
    QString SettingsFile() const { return settingsFile_; }
    // The packaged settings that a first start copies; "" in portable mode.
    QString SettingsTemplate() const { return settingsTemplate_; }
    QString LogFile() const { return logFile_; }
    // Folders to search for language files, in order; a later folder's file wins.
    QStringList LanguageFolders() const { return languageFolders_; }
    QString RecordsFolder() const { return recordsFolder_; }

    // The settings file, created from the template when it is missing in installed mode. Throws
    // Exception: string 1004 naming the template when there is none, or a text naming the
    // settings file when it cannot be created. An existing file is never touched.
    QString PrepareSettingsFile() const;
    // Makes the log's folder; false when it cannot be made (opening the log then names the file).
    bool PrepareLogFolder() const;

private:
    bool portable_ = false;
    QString settingsFile_;
    QString settingsTemplate_;
    QString logFile_;
    QStringList languageFolders_;
    QString recordsFolder_;
};

// A base folder of the XDG rules: the variable when it holds an absolute path, else
// $HOME/<fallback> (for example ".config").
QString XdgBaseFolder(const char* variable, const QString& fallback);

// The user's private runtime folder for the single-instance lock and socket:
// $MIRELVANE_RUNTIME_DIR (tests), then $XDG_RUNTIME_DIR, then /tmp/mirelvane-<uid>, then
// $XDG_CACHE_HOME/mirelvane/run. A fallback folder is created with mode 0700 and used only when
// it is a real folder of this user that nobody else may enter. "" when none qualifies.
QString RuntimeFolder();

// True when path is a folder (not a link) owned by this user with no rights for anyone else.
bool IsPrivateFolder(const QString& path);
// Creates the folder (and its parents) when missing, the last one with mode 0700, and tells
// whether it is private then.
bool MakePrivateFolder(const QString& path);
