#pragma once

#include <cstdint>

// The raw fields of one sample line, as the ball sends them:
//   "ax:%f\tay:%f\taz:%f\tgx:%f\tgy:%f\tgz:%f\tr:%f\tp:%f\ty:%f\ttt:%f\tb:%d"
// raw[0..8] are ax, ay, az, gx, gy, gz, r, p, y in the ball's own units, tt its time stamp in
// milliseconds and b the battery charge in percent.
struct tSampleFields {
    static constexpr int kRawCount = 9;
    float raw[kRawCount] = {};
    float tt = 0;
    std::int32_t b = 0;
};

// Reads one line (without its CR LF) with the C library's scanning rules for the format above,
// so it accepts exactly the lines that sscanf reads all eleven fields from, with the same values:
// the field names and colons literally, any run of white space (also none) where the format has
// a tab, and after the battery number anything at all. The text ends at the first NUL, as it
// does for sscanf. The decimal point is always ".", whatever the process locale says, because
// that is what the ball writes.
//
// Unlike sscanf, a field that is not a finite 32-bit float ("nan", "inf", or a number too large
// for a float) rejects the line: such a value would poison the record, the axes and the export.
//
// Returns false when the line is rejected; `out` may then hold part of the fields.
bool ParseSampleLine(const char* text, int length, tSampleFields& out);
