#include "device/port_list.h"

#include <QFileInfo>
#include <QSerialPortInfo>
#include <algorithm>

#include "app/settings.h"
#include "base/exceptions.h"

tPortList::tPortList(const tSettings* settings) {
    if (settings) portsSetting_ = settings->GetSettingByName(QStringLiteral("Ports"));
    useSetting_ = !portsSetting_.isEmpty();
}

bool tPortList::OpenKey() {
    entries_.clear();
    if (useSetting_) {
        for (const QString& part : portsSetting_.split(u';')) {
            const QString path = part.trimmed();
            if (!path.isEmpty()) entries_.push_back({path, path});
        }
        return true;
    }
    // The system's list comes from the kernel's tty classes; without them there is no list.
    if (!QFileInfo(QStringLiteral("/sys/class/tty")).isReadable()) return false;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts())
        entries_.push_back({info.portName(), info.systemLocation()});
    std::sort(entries_.begin(), entries_.end(),
              [](const tEntry& a, const tEntry& b) { return a.path < b.path; });
    return true;
}

QStringList tPortList::GetValueNames() const {
    QStringList names;
    for (const tEntry& entry : entries_) names << entry.name;
    return names;
}

QString tPortList::ReadString(const QString& name) const {
    for (const tEntry& entry : entries_)
        if (entry.name == name) return entry.path;
    throw Exception(QStringLiteral("Port \"%1\" is not in the list.").arg(name));
}
