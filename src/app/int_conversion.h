#pragma once

#include <QString>
#include <cstdint>
#include <optional>

// The integer conversion of settings values: leading blanks, an optional sign, then decimal
// digits, or hexadecimal ones after "$", "x" or "0x" (any letter case), and nothing after them.
// A value outside the 32-bit range is not a number. Hexadecimal may use all 32 bits.
std::optional<int32_t> TryStrToInt(const QString& text);
int32_t StrToIntDef(const QString& text, int32_t defaultValue);
