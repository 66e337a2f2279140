#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

class tSettings;

// The machine's list of serial ports, read like a registry key of named values: each value name
// stands for one port and its value is the device path to probe. The settings key "Ports"
// (paths separated by ";"), when set, replaces the system's list; otherwise the system's ports
// come in the order of their paths.
class tPortList {
public:
    explicit tPortList(const tSettings* settings);

    // Reads the list; false when it cannot be read.
    bool OpenKey();
    // The value names, in list order.
    QStringList GetValueNames() const;
    // The device path of a value name; throws Exception when the list has no such value.
    QString ReadString(const QString& name) const;

private:
    struct tEntry {
        QString name;
        QString path;
    };

    QString portsSetting_;
    bool useSetting_ = false;
    QVector<tEntry> entries_;
};
