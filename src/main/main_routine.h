#pragma once

#include <QApplication>
#include <QString>

// The application object: an error that escapes an event handler is shown in a stop box
// captioned "Mirelvane" and the loop goes on; EAbort stays silent.
class tApplication : public QApplication {
public:
    tApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

// The program's main routine after the application object exists: single instance, log, the
// main window and its event loop, and the fatal error box. Always returns 0.
int RunMainRoutine(const QString& programPath);

// main(): records the command line, makes the application and runs the routine.
int MirelvaneMain(int argc, char** argv);
