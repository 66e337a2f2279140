// Feeds arbitrary bytes to the settings reader and the integer conversion: lines must split
// without loss, every entry must be found again by its name, and saving must give back the
// same lines.
#include <QCoreApplication>
#include <QTemporaryDir>
#include <cstdint>
#include <cstdlib>

#include "app/int_conversion.h"
#include "app/settings.h"

namespace {
void Check(bool condition) {
    if (!condition) std::abort();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static QTemporaryDir dir;
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));

    const QVector<QByteArray> lines = SplitLines(bytes);
    qsizetype kept = 0;
    for (const QByteArray& line : lines) {
        Check(!line.contains('\r') && !line.contains('\n'));
        kept += line.size();
    }
    Check(kept <= bytes.size());

    const QString path = dir.filePath("f.cfg");
    {
        QFile f(path);
        f.open(QIODevice::WriteOnly | QIODevice::Truncate);
        f.write(bytes);
    }
    tSettings settings;
    settings.Load(path);
    Check(settings.Lines() == lines);
    for (int i = 0; i < settings.GetCount(); ++i) {
        const QString value = settings.GetSettingByIndex(i);
        const int32_t a = StrToIntDef(value, 7);
        const int32_t b = StrToIntDef(value, -7);
        Check(a == b || (a == 7 && b == -7));  // either a number or the default
    }
    settings.Save();
    tSettings again;
    again.Load(path);
    Check(again.Lines() == lines);

    const QString text = QString::fromUtf8(bytes.left(64));
    if (const auto v = TryStrToInt(text)) {
        const QString trimmed = text.trimmed();
        Check(!trimmed.isEmpty() && text.back() != u' ');
    }
    return 0;
}
