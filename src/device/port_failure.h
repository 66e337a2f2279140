#pragma once

#include <sys/types.h>

#include <QString>
#include <QVector>

// Why one port gave no ball, in terms a user can act on.
struct tPortFailure {
    enum Kind {
        AccessGroup,    // the device's group may open it, and the user is not in that group
        AccessOwner,    // only the device's owner may open it
        AccessRelogin,  // the account is in the group already, the running session is not
        Busy,           // another program holds the port
        NoReply,
        WrongReply,
        Other,  // detail holds the system's or the driver's text
    };
    QString port;
    Kind kind = Other;
    QString group;  // the device's group, for the access kinds
    QString detail;
    QString owner;  // the device's owner, for the access kinds

    // A failure that only the driver's or the system's text explains.
    static tPortFailure Unexplained(const QString& port, const QString& detail) {
        tPortFailure f;
        f.port = port;
        f.detail = detail;
        return f;
    }
};

// What the system says about a device and the user, as read for an access failure.
struct tDeviceAccess {
    mode_t mode = 0;
    QString owner;
    QString group;
    bool accountInGroup = false;  // in the group database (getgrouplist)
    bool sessionInGroup = false;  // in this process's groups (getgroups, the effective group)
};

// Reads the device's mode, owner and group (stat) and the user's membership of that group.
tDeviceAccess ReadDeviceAccess(const QString& path);

// The reason for a failed open: errno of the open, the device's access facts, and the text the
// driver gave (kept for the kinds that have no text of their own).
tPortFailure ClassifyOpenFailure(const QString& port, int error, const tDeviceAccess& access,
                                 const QString& detail);

// One line for the user, in the interface language.
QString PortFailureText(const tPortFailure& failure);

// The notice after a connect that found nothing: the connector's text, then a line per port.
QString ConnectFailureNotice(const QString& failure, const QVector<tPortFailure>& ports);
