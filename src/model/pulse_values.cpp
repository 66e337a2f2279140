#include "model/pulse_values.h"

#include <limits>

int ReadPulseNumber(const QString& text) {
    const QString t = text.trimmed();
    qsizetype at = 0;
    const bool negative = t.startsWith(u'-');
    if (negative || t.startsWith(u'+')) at = 1;
    if (at >= t.size()) return -1;
    qint64 value = 0;
    for (; at < t.size(); ++at) {
        const QChar c = t[at];
        // Only ASCII digits: other scripts' digits are not what the ball's firmware reads.
        if (c < u'0' || c > u'9') return -1;
        value = value * 10 + (c.unicode() - u'0');
        if (value > qint64(std::numeric_limits<int>::max()) + 1) return -1;
    }
    if (negative) value = -value;
    if (value < std::numeric_limits<int>::min() || value > std::numeric_limits<int>::max())
        return -1;
    return static_cast<int>(value);
}

tPulseCheck CheckPulse(const QString& powerText, const QString& durationText) {
    tPulseCheck check;
    check.power = ReadPulseNumber(powerText);
    check.duration = ReadPulseNumber(durationText);
    if (check.power < kPulsePowerMin || check.power > kPulsePowerMax)
        check.verdict = tPulseCheck::PowerOutOfRange;
    else if (check.duration < kPulseDurationMin || check.duration > kPulseDurationMax)
        check.verdict = tPulseCheck::DurationOutOfRange;
    return check;
}
