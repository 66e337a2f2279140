#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <memory>
#include <shared_mutex>

// The program's trace file. Off unless the program was started with the switch "LOG"; then
// every line goes to the file beside the executable with one write call, time-stamped, under
// a lock, so lines written by several threads never interleave.
class tLogFile {
public:
    // Reads the switch from the recorded command line (command_line.h).
    explicit tLogFile(const QString& fileName);
    // The same with explicit arguments (arguments[0] is the program).
    tLogFile(const QString& fileName, const QStringList& arguments);
    virtual ~tLogFile();
    tLogFile(const tLogFile&) = delete;
    tLogFile& operator=(const tLogFile&) = delete;

    // Appends "<date> <time> <message>\r\n". Never fails towards the caller.
    void Write(const QByteArray& message);
    void Write(const QString& message) { Write(message.toUtf8()); }
    void Write(const char* message) { Write(QByteArray(message)); }

    // Writes the bytes unchanged, under the lock.
    virtual void WriteText(const QByteArray& text);
    virtual void Cleanup();

    bool IsOpen() const { return fd_ >= 0; }

private:
    void Open(const QString& fileName, const QStringList& arguments);

    std::unique_ptr<std::shared_mutex> lock_;
    int fd_ = -1;
};

// The one log of the process; valid from before the main window exists until every writer has
// ended.
extern tLogFile* LogFile;

// True when the "LOG_MEASURE" switch asks for stream traces.
bool LogMeasureEnabled();
