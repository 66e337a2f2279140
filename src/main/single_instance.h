#pragma once

#include <QObject>
#include <QString>

class QLocalServer;

// One instance per user session. The first instance holds an flock on a lock file in the
// user's runtime folder (the kernel releases it when the process dies) and listens on a local
// socket; a later start asks it to restore its window and then ends.
class tSingleInstance : public QObject {
    Q_OBJECT
public:
    // The fixed identifier of the product, the same in every build and version.
    static const char* const kGuid;

    explicit tSingleInstance(QObject* parent = nullptr);
    ~tSingleInstance() override;

    // True when this process is now the first instance. False when another one runs; that one
    // has then been asked to show its window. Throws Exception (string 1002) when the lock file
    // cannot be made.
    bool Acquire();
    void Release();

    // Where the lock and the socket are; tests point this elsewhere.
    static QString LockFilePath();
    static QString ServerName();

Q_SIGNALS:
    void restoreRequested();

private:
    void OnNewConnection();
    int lockFd_ = -1;
    QLocalServer* server_ = nullptr;
};
