#pragma once

#include <QString>

// The limits of a timed motor impulse, both ends included.
constexpr int kPulsePowerMin = 0;
constexpr int kPulsePowerMax = 255;
constexpr int kPulseDurationMin = 1;
constexpr int kPulseDurationMax = 2000;

// A value of the impulse table: after trimming the blanks, a whole decimal number with an
// optional sign. Anything else (a fraction, letters, an empty text, a number beyond 32 bits)
// counts as -1, which every limit rejects.
int ReadPulseNumber(const QString& text);

struct tPulseCheck {
    enum Verdict { Valid, PowerOutOfRange, DurationOutOfRange };
    Verdict verdict = Valid;
    int power = -1;
    int duration = -1;
};

// Judges the power before the duration, so that with both wrong only the power is reported.
tPulseCheck CheckPulse(const QString& powerText, const QString& durationText);
