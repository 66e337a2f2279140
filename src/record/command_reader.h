#pragma once

#include <QByteArray>
#include <QString>
#include <vector>

// One command of standard input: "mark LABEL", "pause", "resume" or "stop", one a line.
struct tRecordCommand {
    enum Kind { Mark, Pause, Resume, Stop, Invalid };
    Kind kind = Invalid;
    // Mark: the label as given (may be empty). Invalid: why the line was refused.
    QString text;
};

// The longest command line taken, without its line end; a longer one is refused as a whole.
constexpr int kMaxCommandLine = 1024;

// One line without its line end; an empty or blank line gives nothing (`none` set).
tRecordCommand ParseRecordCommand(const QByteArray& line, bool* none = nullptr);

// Cuts standard input into command lines as it arrives, in pieces of any size. A line longer
// than kMaxCommandLine is refused once, and everything up to its line end is skipped, so that
// memory stays bounded whatever comes in. End of input takes a last line without a line end.
class tCommandReader {
public:
    std::vector<tRecordCommand> Feed(const char* data, qint64 size);
    std::vector<tRecordCommand> Finish();

private:
    void TakeLine(std::vector<tRecordCommand>& out);

    QByteArray line_;
    bool skipping_ = false;  // inside an over-long line, up to its line end
};
