#include "app/command_line.h"

namespace {
QStringList& Arguments() {
    static QStringList arguments;
    return arguments;
}
}  // namespace

void SetCommandLine(const QStringList& arguments) { Arguments() = arguments; }

void SetCommandLine(int argc, char** argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
    SetCommandLine(arguments);
}

const QStringList& CommandLine() { return Arguments(); }

bool HasSwitch(const QStringList& arguments, const QString& word) {
    for (int i = 1; i < arguments.size(); ++i) {
        const QString& a = arguments[i];
        if (a.size() == word.size() + 1 && (a[0] == u'-' || a[0] == u'/') &&
            QStringView(a).mid(1).compare(word, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

bool FindCmdLineSwitch(const QString& word) { return HasSwitch(CommandLine(), word); }
