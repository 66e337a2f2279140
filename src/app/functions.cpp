#include "app/functions.h"

#include <QFile>
#include <cerrno>
#include <cstring>

#include "base/builtin_texts.h"
#include "base/exceptions.h"

void RaiseSystemError(int id, int error) {
    throw Exception(LoadStr(903) + LoadStr(id) + QString::fromLocal8Bit(std::strerror(error)));
}

void RaiseSystemError(int id) { RaiseSystemError(id, errno); }

namespace {
// The marker of version_block.h, kept shifted by one so that this file holds no copy of it.
QByteArray VersionMarker() {
    static const char shifted[] = "\x02NWWC\x03WFSTJPO.CMPDL\x04";
    QByteArray marker(shifted);
    for (char& c : marker) c = static_cast<char>(c - 1);
    return marker;
}
}  // namespace

QByteArray MakeVersionBlock(const QList<QPair<QByteArray, QByteArray>>& strings) {
    QByteArray block = VersionMarker();
    for (const auto& [key, value] : strings) {
        block += key;
        block += '\0';
        block += value;
        block += '\0';
    }
    block += '\0';
    block += '\0';
    return block;
}

QString GetVersionInfoString(const QString& fileName, const QString& key) {
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) return QString();
    const QByteArray content = file.readAll();
    const QByteArray marker = VersionMarker();
    const QByteArray wanted = key.toUtf8();
    for (qsizetype at = content.indexOf(marker); at >= 0; at = content.indexOf(marker, at + 1)) {
        qsizetype p = at + marker.size();
        // Walk the pairs; a block without an end is no block.
        while (p < content.size()) {
            const qsizetype keyEnd = content.indexOf('\0', p);
            if (keyEnd < 0) break;
            if (keyEnd == p) return QString();  // empty key: the block ends without the key
            const qsizetype valueEnd = content.indexOf('\0', keyEnd + 1);
            if (valueEnd < 0) break;
            if (content.mid(p, keyEnd - p) == wanted)
                return QString::fromUtf8(content.mid(keyEnd + 1, valueEnd - keyEnd - 1));
            p = valueEnd + 1;
        }
    }
    return QString();
}
