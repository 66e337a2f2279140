#include <gtest/gtest.h>
#include <locale.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>

#include "model/sample_line.h"

namespace {

constexpr const char* kFormat =
    "ax:%f\tay:%f\taz:%f\tgx:%f\tgy:%f\tgz:%f\tr:%f\tp:%f\ty:%f\ttt:%f\tb:%d";
const char* const kNames[] = {"ax:", "ay:", "az:", "gx:", "gy:", "gz:",
                              "r:",  "p:",  "y:",  "tt:", "b:"};

// The C library's reading of a line, with non-finite numbers rejected on top.
bool ScanWithLibrary(const std::string& line, tSampleFields& f) {
    static const locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    const locale_t previous = uselocale(c);
    float* r = f.raw;
    const int n = std::sscanf(line.c_str(), kFormat, &r[0], &r[1], &r[2], &r[3], &r[4], &r[5],
                              &r[6], &r[7], &r[8], &f.tt, &f.b);
    uselocale(previous);
    if (n != 11) return false;
    for (const float v : f.raw)
        if (!std::isfinite(v)) return false;
    return std::isfinite(f.tt);
}

bool Parse(const std::string& line, tSampleFields& f) {
    return ParseSampleLine(line.data(), static_cast<int>(line.size()), f);
}

bool Parse(const std::string& line) {
    tSampleFields f;
    return Parse(line, f);
}

// Compares acceptance and, for accepted lines, every value bit for bit.
::testing::AssertionResult AgreesWithLibrary(const std::string& line) {
    tSampleFields ours, theirs;
    const bool a = Parse(line, ours);
    const bool b = ScanWithLibrary(line, theirs);
    if (a != b)
        return ::testing::AssertionFailure()
               << "ours " << a << ", library " << b << " for \"" << ::testing::PrintToString(line)
               << "\"";
    if (!a) return ::testing::AssertionSuccess();
    if (std::memcmp(ours.raw, theirs.raw, sizeof ours.raw) != 0 ||
        std::memcmp(&ours.tt, &theirs.tt, sizeof ours.tt) != 0 || ours.b != theirs.b)
        return ::testing::AssertionFailure() << "values differ for " << ::testing::PrintToString(line);
    return ::testing::AssertionSuccess();
}

std::string Line(const std::string (&fields)[11], const std::string& gap = "\t") {
    std::string line;
    for (int i = 0; i < 11; ++i) line += (i ? gap : "") + kNames[i] + fields[i];
    return line;
}

const std::string kPlain[11] = {"32768", "0", "-16384", "65536", "0", "0",
                                "1000",  "0", "-500",   "1500",  "87"};

class tLineMaker {
public:
    explicit tLineMaker(unsigned seed) : rng_(seed) {}

    int Below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng_); }

    std::string Digits(int max) {
        std::string s;
        const int n = Below(max) + 1;
        for (int i = 0; i < n; ++i) s += static_cast<char>('0' + Below(10));
        return s;
    }

    std::string Number() {
        static const char* const kSigns[] = {"", "", "", "-", "+"};
        std::string s = kSigns[Below(5)];
        switch (Below(8)) {
            case 0: return s + Digits(6);
            case 1: return s + Digits(5) + "." + Digits(4);
            case 2: return s + "." + Digits(7);
            case 3: return s + Digits(3) + (Below(2) ? "e" : "E") + (Below(2) ? "-" : "") + Digits(2);
            case 4: return s + "0x" + Hex() + (Below(2) ? "." + Hex() : "") + (Below(2) ? "p" + Digits(2) : "");
            case 5: return s + Digits(40) + "." + Digits(40);
            case 6: return s + Digits(2) + "e" + (Below(2) ? "+" : "-") + Digits(3);
            default: return s + Digits(4) + ".";
        }
    }

    std::string Hex() {
        static const char kHex[] = "0123456789abcdefABCDEF";
        std::string s;
        const int n = Below(6) + 1;
        for (int i = 0; i < n; ++i) s += kHex[Below(22)];
        return s;
    }

    std::string Gap() {
        static const char* const kGaps[] = {"\t", "\t", "", " ", "  \t", "\r", "\n", "\v\f", " \t \t"};
        return kGaps[Below(9)];
    }

    std::string ValidLine() {
        std::string line;
        for (int i = 0; i < 11; ++i) {
            if (i) line += Gap();
            line += kNames[i];
            if (Below(4) == 0) line += Gap();
            line += i == 10 ? std::to_string(Below(201) - 100) : Number();
        }
        if (Below(3) == 0) line += Below(2) ? " trailing words" : "\t\t";
        return line;
    }

    std::string Mutate(std::string line) {
        static const char kAlphabet[] = "0123456789+-.eExXpPnNiIaAfFtybgrz: \t\r\n\v\f";
        const int edits = Below(3) + 1;
        for (int e = 0; e < edits && !line.empty(); ++e) {
            const size_t at = static_cast<size_t>(Below(static_cast<int>(line.size())));
            const char c = Below(20) == 0 ? '\0' : kAlphabet[Below(sizeof kAlphabet - 1)];
            switch (Below(4)) {
                case 0: line.erase(at, 1); break;
                case 1: line.insert(at, 1, c); break;
                case 2: line[at] = c; break;
                default: line.resize(at); break;
            }
        }
        return line;
    }

private:
    std::mt19937 rng_;
};

}  // namespace

TEST(SampleLine, ReadsTheElevenFieldsOfAPlainLine) {
    tSampleFields f;
    ASSERT_TRUE(Parse(Line(kPlain), f));
    EXPECT_EQ(f.raw[0], 32768.0f);
    EXPECT_EQ(f.raw[2], -16384.0f);
    EXPECT_EQ(f.raw[3], 65536.0f);
    EXPECT_EQ(f.raw[8], -500.0f);
    EXPECT_EQ(f.tt, 1500.0f);
    EXPECT_EQ(f.b, 87);
}

TEST(SampleLine, MatchesTheFormatsWhiteSpaceAndLiteralsLikeTheLibrary) {
    for (const std::string& line : {
             Line(kPlain, ""), Line(kPlain, " \r\n\v\f\t"), Line(kPlain) + "garbage",
             "ax: \t 1" + Line(kPlain).substr(4),       // blanks before a number
             " " + Line(kPlain),                        // blank before the first literal
             Line(kPlain).replace(0, 3, "AX:"),         // names are case sensitive
             Line(kPlain).replace(2, 1, " :"),          // a blank inside a literal
             Line(kPlain).substr(0, Line(kPlain).size() - 2),  // "b:" without its number
             Line(kPlain).substr(0, Line(kPlain).size() - 4),  // the battery field missing
             std::string(),
         })
        EXPECT_TRUE(AgreesWithLibrary(line));
    EXPECT_FALSE(Parse(" " + Line(kPlain)));
    EXPECT_TRUE(Parse(Line(kPlain, "")));
}

TEST(SampleLine, ReadsNumberFormsExactlyAsTheLibraryDoes) {
    // Each form goes into the first field and into the time field.
    for (const char* number :
         {"1e", "1e+", "1E-3", "-.5", "+7", ".", "-", "+", "-.", "1.e2", ".e1", "0x", "0x.", "0xp3",
          "0x1p", "0x1.8p3", "0X1P-2", "0x1e", "00x5", "0e5", "-0", "1e-40", "1e-50", "1e-45",
          "3.4028235e38", "0.1e-44", "123456789012345678901234567890", "1..2", "1e5.5", "0x.p1",
          "0xg", "--1", "+-1", "1e+-1", "4294967296", "16777217", "0.000000000000000000001"}) {
        std::string fields[11];
        std::copy(std::begin(kPlain), std::end(kPlain), fields);
        fields[0] = number;
        EXPECT_TRUE(AgreesWithLibrary(Line(fields)));
        fields[0] = kPlain[0];
        fields[9] = number;
        EXPECT_TRUE(AgreesWithLibrary(Line(fields)));
    }
}

TEST(SampleLine, ReadsTheBatteryLikeTheLibraryIncludingOverflow) {
    for (const char* battery : {"-1", "+5", "0", "2147483647", "2147483648", "-2147483649",
                                "4294967297", "99999999999999999999", "-99999999999999999999",
                                "9223372036854775807", "9223372036854775808",
                                "-9223372036854775808", "12abc", "-", "x", "0x10"}) {
        std::string fields[11];
        std::copy(std::begin(kPlain), std::end(kPlain), fields);
        fields[10] = battery;
        EXPECT_TRUE(AgreesWithLibrary(Line(fields))) << battery;
    }
}

TEST(SampleLine, RejectsNumbersThatAreNotFinite) {
    for (const char* number : {"nan", "NAN", "-nan", "nan(123)", "inf", "-INF", "infinity",
                               "3.4028236e38", "1e39", "-1e300", "0x1p128", "infin", "na"}) {
        std::string fields[11];
        std::copy(std::begin(kPlain), std::end(kPlain), fields);
        fields[4] = number;
        EXPECT_FALSE(Parse(Line(fields))) << number;
        fields[4] = kPlain[4];
        fields[9] = number;
        EXPECT_FALSE(Parse(Line(fields))) << number;
    }
}

TEST(SampleLine, EndsAtTheFirstNulAndNeverReadsBeyondTheLength) {
    std::string line = Line(kPlain);
    line.insert(line.find("b:"), 1, '\0');
    EXPECT_FALSE(Parse(line));
    EXPECT_TRUE(AgreesWithLibrary(line));

    const std::string full = Line(kPlain) + "9";
    tSampleFields f;
    // The length cuts the battery's second digit off.
    ASSERT_TRUE(ParseSampleLine(full.data(), static_cast<int>(full.size()) - 2, f));
    EXPECT_EQ(f.b, 8);
    EXPECT_FALSE(ParseSampleLine(full.data(), -1, f));
}

TEST(SampleLine, AgreesWithTheLibraryOnRandomLines) {
    tLineMaker maker(20240611);
    int accepted = 0;
    for (int i = 0; i < 20000; ++i) {
        const std::string line = maker.ValidLine();
        ASSERT_TRUE(AgreesWithLibrary(line));
        accepted += Parse(line);
    }
    // The generator must mostly produce lines that are read, or the comparison proves little.
    EXPECT_GT(accepted, 10000);
}

TEST(SampleLine, AgreesWithTheLibraryOnMutatedLines) {
    tLineMaker maker(77);
    int accepted = 0, rejected = 0;
    for (int i = 0; i < 60000; ++i) {
        const std::string line = maker.Mutate(i % 2 ? maker.ValidLine() : Line(kPlain));
        ASSERT_TRUE(AgreesWithLibrary(line));
        (Parse(line) ? accepted : rejected)++;
    }
    EXPECT_GT(accepted, 5000);
    EXPECT_GT(rejected, 5000);
}
