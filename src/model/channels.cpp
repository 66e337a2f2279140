#include "model/channels.h"

namespace {
constexpr double kGravity = 9.81;
constexpr double kRawUnit = 1.0 / 32768.0;
constexpr double kMilli = 0.001;

const char* const kRowKeys[kChannelCount] = {"ax, м/с^2", "ay, м/с^2", "az, м/с^2",
                                             "wx, °/c",   "wy, °/c",   "wz, °/c",
                                             "фx, °",     "фy, °",     "фz, °"};

const char* const kBuiltInChannelNames[kChannelCount] = {"ax", "ay", "az", "wx", "wy",
                                                         "wz", "фx", "фy", "фz"};
}  // namespace

QString ChannelNames[kChannelCount] = {
    QString::fromUtf8(kBuiltInChannelNames[0]), QString::fromUtf8(kBuiltInChannelNames[1]),
    QString::fromUtf8(kBuiltInChannelNames[2]), QString::fromUtf8(kBuiltInChannelNames[3]),
    QString::fromUtf8(kBuiltInChannelNames[4]), QString::fromUtf8(kBuiltInChannelNames[5]),
    QString::fromUtf8(kBuiltInChannelNames[6]), QString::fromUtf8(kBuiltInChannelNames[7]),
    QString::fromUtf8(kBuiltInChannelNames[8])};

void RestoreBuiltInChannelNames() {
    for (int i = 0; i < kChannelCount; ++i)
        ChannelNames[i] = QString::fromUtf8(kBuiltInChannelNames[i]);
}

QString BuiltInChannelName(int channel) {
    if (channel < 0 || channel >= kChannelCount) return QString();
    return QString::fromUtf8(kBuiltInChannelNames[channel]);
}

double ScaleRawValue(int channel, float raw) {
    if (channel < 3) return kGravity * raw * kRawUnit;
    if (channel < 6) return raw * kRawUnit;
    return raw * kMilli;
}

float ScaleTime(float tt) {
    return static_cast<float>(tt * kMilli);
}

QString ChannelRowKey(int channel) {
    return QString::fromUtf8(kRowKeys[channel]);
}

int ChannelRowDecimals(int channel) {
    return channel < 6 ? 2 : 0;
}

QString TimeOriginRowKey() {
    return QStringLiteral("t0, c");
}
QString TimeRowKey() {
    return QStringLiteral("t, c");
}
QString TimeSpanRowKey() {
    return QStringLiteral("dt, c");
}
