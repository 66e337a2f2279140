#include "model/switch_off_countdown.h"

#include <QLocale>
#include <QTime>
#include <algorithm>
#include <limits>

#include "app/int_conversion.h"
#include "app/settings.h"

namespace {
constexpr qint64 kDayMs = 24LL * 60 * 60 * 1000;
}

tSwitchOffSettings ReadSwitchOffSettings(const tSettings& settings) {
    auto read = [&settings](const char* key, int fallback) {
        return StrToIntDef(settings.GetSettingByName(QLatin1String(key)), fallback);
    };
    tSwitchOffSettings s;
    s.enabled = read("CheckOffTimer", 1) != 0;
    s.switchOffMinutes = read("SwitchOffTime", 5);
    s.warnSeconds = read("WarnTime", 30);
    return s;
}

tCountdownStep CountdownTick(int devTime, int elapsed, int intervalMs,
                             const tSwitchOffSettings& settings) {
    tCountdownStep step;
    step.elapsed = elapsed;
    if (!settings.enabled || devTime <= 0) return step;
    step.counting = true;
    // Wide sums: a large device time or key must not wrap the counter round to a long wait.
    const qint64 sum = qint64(elapsed) + intervalMs;
    step.elapsed = int(
        std::clamp<qint64>(sum, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
    const qint64 remaining = qint64(settings.switchOffMinutes) * 60000 - step.elapsed;
    step.switchOff = remaining < 0;
    step.remaining = std::max<qint64>(remaining, 0);
    step.warning = step.remaining <= qint64(settings.warnSeconds) * 1000;
    return step;
}

QString FormatRemaining(qint64 remainingMs, const QString& longTimeFormat) {
    const QTime time =
        QTime::fromMSecsSinceStartOfDay(int(std::max<qint64>(remainingMs, 0) % kDayMs));
    return QLocale::system().toString(time, longTimeFormat);
}

QString CountdownPanelText(const tCountdownStep& step, const QString& shown,
                           const QString& longTimeFormat) {
    if (step.warning && !shown.isEmpty()) return QString();
    return FormatRemaining(step.remaining, longTimeFormat);
}
