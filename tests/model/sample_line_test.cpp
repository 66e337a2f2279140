#include "model/sample_line.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>

#include "support/c_locale.h"

namespace {

const char* const kNames[] = {
    "ax:", "ay:", "az:", "gx:", "gy:", "gz:", "r:", "p:", "y:", "tt:", "b:"};

// The C library's reading, with non-finite numbers rejected on top.
bool ScanWithLibrary(const std::string& line, tSampleFields& f) {
    const CLocaleScope c;
    float* r = f.raw;
    const int n = std::sscanf(
        line.c_str(), "ax:%f\tay:%f\taz:%f\tgx:%f\tgy:%f\tgz:%f\tr:%f\tp:%f\ty:%f\ttt:%f\tb:%d",
        &r[0], &r[1], &r[2], &r[3], &r[4], &r[5], &r[6], &r[7], &r[8], &f.tt, &f.b);
    bool finite = std::isfinite(f.tt);
    for (const float v : f.raw) finite = finite && std::isfinite(v);
    return n == 11 && finite;
}

bool Parse(const std::string& line, tSampleFields& f) {
    return ParseSampleLine(line.data(), static_cast<int>(line.size()), f);
}

// Same acceptance and, for an accepted line, the same values bit for bit.
::testing::AssertionResult AgreesWithLibrary(const std::string& line) {
    tSampleFields ours, theirs;
    const bool a = Parse(line, ours);
    if (a != ScanWithLibrary(line, theirs))
        return ::testing::AssertionFailure()
               << "ours " << a << ": " << testing::PrintToString(line);
    if (a && (std::memcmp(ours.raw, theirs.raw, sizeof ours.raw) != 0 ||
              std::memcmp(&ours.tt, &theirs.tt, sizeof ours.tt) != 0 || ours.b != theirs.b))
        return ::testing::AssertionFailure() << "values differ: " << testing::PrintToString(line);
    return ::testing::AssertionSuccess();
}

// A line of the plain example with one field replaced.
std::string Line(int field = -1, const std::string& text = "", const std::string& gap = "\t") {
    static const char* const kPlain[] = {"32768", "0", "-16384", "65536", "0", "0",
                                         "1000",  "0", "-500",   "1500",  "87"};
    std::string line;
    for (int i = 0; i < 11; ++i)
        line += (i ? gap : "") + kNames[i] + (i == field ? text : kPlain[i]);
    return line;
}

class tLineMaker {
public:
    explicit tLineMaker(unsigned seed) : rng_(seed) {}
    int Below(int n) { return static_cast<int>(rng_() % static_cast<unsigned>(n)); }
    std::string Pick(const char* chars, int runs) {
        std::string s;
        for (int n = Below(runs) + 1; n > 0; --n)
            s += chars[Below(static_cast<int>(std::strlen(chars)))];
        return s;
    }
    std::string Number() {
        static const char* const kSigns[] = {"", "", "-", "+"};
        const std::string d = Pick("0123456789", 6);
        switch (Below(6)) {
            case 0:
                return kSigns[Below(4)] + d;
            case 1:
                return kSigns[Below(4)] + d + "." + Pick("0123456789", 5);
            case 2:
                return kSigns[Below(4)] + d + (Below(2) ? "e-" : "E") + Pick("0123456789", 2);
            case 3:
                return kSigns[Below(4)] + ("0x" + Pick("0123456789abcdefABCDEF.", 6)) + "p" +
                       Pick("0123456789", 2);
            case 4:
                return kSigns[Below(4)] + Pick("0123456789", 30) + "." + Pick("0123456789", 45);
            default:
                return kSigns[Below(4)] + ("." + d);
        }
    }
    std::string ValidLine() {
        static const char* const kGaps[] = {"\t", "", " ", "  \t", "\r", "\n", "\v\f"};
        std::string line;
        for (int i = 0; i < 11; ++i)
            line += (i ? kGaps[Below(7)] : "") + std::string(kNames[i]) + (Below(4) ? "" : " ") +
                    (i == 10 ? std::to_string(Below(201) - 100) : Number());
        return line + (Below(3) ? "" : " trailing words");
    }
    std::string Mutate(std::string line) {
        static const char kAlphabet[] = "0123456789+-.eExXpPnNiIaAfFtybgrz: \t\r\n\v\f";
        for (int e = Below(3); e >= 0 && !line.empty(); --e) {
            const size_t at = static_cast<size_t>(Below(static_cast<int>(line.size())));
            const char c = Below(20) ? kAlphabet[Below(sizeof kAlphabet - 1)] : '\0';
            switch (Below(4)) {
                case 0:
                    line.erase(at, 1);
                    break;
                case 1:
                    line.insert(at, 1, c);
                    break;
                case 2:
                    line[at] = c;
                    break;
                default:
                    line.resize(at);
            }
        }
        return line;
    }

private:
    std::mt19937 rng_;
};

}  // namespace

TEST(SampleLine, ReadsEdgeFormsExactlyAsTheLibraryDoes) {
    for (const char* n : {"1e",
                          "1e+",
                          "1E-3",
                          "-.5",
                          "+7",
                          ".",
                          "-",
                          "+",
                          "-.",
                          "1.e2",
                          ".e1",
                          "0x",
                          "0x.",
                          "0xp3",
                          "0x1p",
                          "0x1.8p3",
                          "0X1P-2",
                          "0x1e",
                          "00x5",
                          "0e5",
                          "-0",
                          "1e-40",
                          "1e-50",
                          "3.4028235e38",
                          "123456789012345678901234567890",
                          "1..2",
                          "1e5.5",
                          "0xg",
                          "--1",
                          "1e+-1",
                          "16777217",
                          "12345678",
                          "123456789",
                          "-1234567.8",
                          "12345678.1234567",
                          "123456789012345",
                          "1234567890123456",
                          "99999999.9999999",
                          "1.234567890123456",
                          "0.00000001",
                          "0.0000000001",
                          " \v7"}) {
        EXPECT_TRUE(AgreesWithLibrary(Line(0, n)));
        EXPECT_TRUE(AgreesWithLibrary(Line(9, n)));
    }
    // The battery: the library reads a long, saturating, and keeps its low 32 bits.
    for (const char* b : {"-1", "+5", "2147483648", "-2147483649", "4294967297", "-", "x", "0x10",
                          "99999999999999999999", "-99999999999999999999", "9223372036854775808"})
        EXPECT_TRUE(AgreesWithLibrary(Line(10, b))) << b;
    for (const std::string& line :
         {Line(-1, "", ""), Line(-1, "", " \r\n\v\f\t"), " " + Line(), Line().replace(0, 3, "AX:"),
          Line().replace(2, 1, " :"), Line().substr(0, Line().size() - 2), std::string()})
        EXPECT_TRUE(AgreesWithLibrary(line));
}

TEST(SampleLine, RejectsNumbersThatAreNotFinite) {
    for (const char* n :
         {"nan", "-NAN", "nan(1)", "inf", "-INF", "infinity", "3.4028236e38", "1e39", "0x1p128"}) {
        EXPECT_FALSE(Parse(Line(4, n), *std::make_unique<tSampleFields>())) << n;
        EXPECT_FALSE(Parse(Line(9, n), *std::make_unique<tSampleFields>())) << n;
    }
}

TEST(SampleLine, EndsAtTheFirstNulAndNeverReadsBeyondTheLength) {
    std::string line = Line();
    line.insert(line.find("b:"), 1, '\0');
    EXPECT_TRUE(AgreesWithLibrary(line));
    tSampleFields f;
    EXPECT_FALSE(Parse(line, f));
    const std::string full = Line() + "9";  // battery 879, cut to 8 by the length
    ASSERT_TRUE(ParseSampleLine(full.data(), static_cast<int>(full.size()) - 2, f));
    EXPECT_EQ(f.b, 8);
    EXPECT_FALSE(ParseSampleLine(full.data(), -1, f));
}

TEST(SampleLine, AgreesWithTheLibraryOnRandomAndMutatedLines) {
    tLineMaker maker(20240611);
    int accepted = 0;
    for (int i = 0; i < 80000; ++i) {
        const std::string valid = maker.ValidLine();
        const std::string line = i % 4 == 0 ? valid : maker.Mutate(i % 2 ? valid : Line());
        ASSERT_TRUE(AgreesWithLibrary(line));
        tSampleFields f;
        accepted += Parse(line, f);
    }
    // Both outcomes must be frequent, or the comparison proves little.
    EXPECT_GT(accepted, 20000);
    EXPECT_LT(accepted, 60000);
}

// Decimals of 15 digits that the nearest double puts on the midpoint of two floats, though they
// lie a little off it: only a reading that notices the midpoint rounds them as the library does.
TEST(SampleLine, RoundsDecimalsNextToAFloatMidpointAsTheLibraryDoes) {
    std::mt19937 rng(5);
    std::uniform_real_distribution<float> any(1.0f, 16.0f);
    const CLocaleScope c;  // the decimals as the ball writes them
    int nearMidpoint = 0;
    for (int i = 0; i < 100000 && nearMidpoint < 200; ++i) {
        const float f = any(rng);
        const double midpoint = (double(f) + double(std::nextafter(f, 32.0f))) / 2;
        char text[64];
        std::snprintf(text, sizeof text, "%.15g", midpoint);
        if (std::strtod(text, nullptr) != midpoint) continue;
        ++nearMidpoint;
        EXPECT_TRUE(AgreesWithLibrary(Line(3, text))) << text;
    }
    EXPECT_GT(nearMidpoint, 0);
}
