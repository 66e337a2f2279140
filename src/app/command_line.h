#pragma once

#include <QString>
#include <QStringList>

// The command-line switches ("-LOG", "/log_measure", ...). The arguments are recorded once at
// start; tests may replace them.
void SetCommandLine(const QStringList& arguments);
void SetCommandLine(int argc, char** argv);
const QStringList& CommandLine();

// True when some argument after the program name is "-" or "/" followed by exactly `word`,
// in any letter case.
bool HasSwitch(const QStringList& arguments, const QString& word);
bool FindCmdLineSwitch(const QString& word);
