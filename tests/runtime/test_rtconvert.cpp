// Tests for reading numbers from text, rt_format, rt_hex and the numeric
// built-ins (degrees, rt_mod, random numbers).
#include "runtime/rtstring.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <set>

namespace {

TEST(TextToNumber, ReadsTheLeadingDecimalNumber) {
    struct {
        const char* text;
        double value;
    } const cases[] = {
        {"  -12.5e1abc", -125},
        {"abc", 0},
        {"", 0},
        {"42", 42},
        {"+7", 7},
        {".5", 0.5},
        {"5.", 5},
        {"1e", 1},
        {"1e+", 1},
        {"2E-2x", 0.02},
        {"\t\n 3", 3},
        {"0x1A", 0},
        {"inf", 0},
        {"nan", 0},
        {"-", 0},
        {".", 0},
        {"- 5", 0},
        {"1.5.5", 1.5},
        {"12abc", 12},
        {"5.e-002", 0.05},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(rt_val(RtString(c.text)), c.value) << '"' << c.text << '"';
        EXPECT_EQ(rt_text_to_number(c.text), c.value) << '"' << c.text << '"';
    }
    EXPECT_EQ(rt_text_to_number(nullptr), 0);
    EXPECT_TRUE(std::isinf(rt_text_to_number("1e999")));
}

// What the writer produces, the reader takes back (to ten digits).
TEST(TextToNumber, RoundTripsTheNumberText) {
    const double values[] = {0, 1, -3, 0.05, 123.456, 1.0 / 3, 12345678901.0, -2.5e-7, 1e300};
    for (double v : values) {
        double back = rt_text_to_number(rt_number_text(v).c_str());
        EXPECT_NEAR(back, v, std::fabs(v) * 1e-9) << rt_number_text(v);
    }
}

TEST(Format, FixedNotationWithPadding) {
    struct {
        double width, decimals, value;
        const char* text;
    } const cases[] = {
        {8, 3, 3.14159, "   3.142"}, {-6, 1, 2, "2.0   "},  {0, 2, 1, "1.00"},
        {3, 0, 2.5, "  2"},          {2, 1, -1.25, "-1.2"}, {8.9, 1.9, 5, "     5.0"},
        {0, 0, 12345.6, "12346"},    {0, -3, 2.5, "2"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(rt_format(c.width, c.decimals, c.value).str(), c.text)
            << c.width << " " << c.decimals << " " << c.value;
    }
    RtString huge = rt_format(5000, 0, 1);
    EXPECT_EQ(huge.length(), 511u) << "cut at the 512-byte buffer";
    EXPECT_EQ(rt_format(0, 2, 1).capacity(), 512u);
}

TEST(Hex, TwoUpperCaseDigitsPerByte) {
    const unsigned char bytes[] = {0x0A, 0xFF, 0x00, 0x5c};
    EXPECT_EQ(rt_hex(bytes, 2).str(), "0AFF");
    EXPECT_EQ(rt_hex(bytes, 4).str(), "0AFF005C");
    EXPECT_EQ(rt_hex(bytes, 0).str(), "");
    EXPECT_EQ(rt_hex(bytes, -1).str(), "");
    EXPECT_EQ(rt_hex(bytes, 1.9).str(), "0A");
}

TEST(Mod, TruncatesBothThenKeepsTheSignOfA) {
    struct {
        double a, b, result;
    } const cases[] = {
        {7, 3, 1},
        {-7, 3, -1},
        {7, -3, 1},
        {7.9, 3.2, 1},
        {5, 0, 0},
        {5, 0.5, 0},
        {5, -0.9, 0},
        {6, 3, 0},
        {2, 5, 2},
        {-2147483648.0, -1, 0},
        {1e12, 7, 2147483647 % 7},
    };
    for (const auto& c : cases)
        EXPECT_EQ(rt_mod(c.a, c.b), c.result) << c.a << " mod " << c.b;
}

TEST(Degrees, UseTheRuntimeConstant) {
    // The short constant puts 90 degrees a little past a right angle: cos(90)
    // is about -3.6e-10, where the full-precision value would give 6e-17.
    EXPECT_NEAR(rt_cos(90), -3.6e-10, 0.1e-10);
    EXPECT_NEAR(rt_sin(90), 1.0, 1e-12);
    EXPECT_DOUBLE_EQ(rt_sin(30), std::sin(30 / 57.2957795));
    EXPECT_NEAR(rt_cos(180), -1.0, 1e-12);
    EXPECT_NEAR(rt_tan(45), 1.0, 1e-8);
    EXPECT_NEAR(rt_atan(1, 1), 45, 1e-6);
    EXPECT_NEAR(rt_atan(0, -1), 180, 1e-6);
    EXPECT_NEAR(rt_atan(-1, 0), -90, 1e-6);
    EXPECT_DOUBLE_EQ(rt_asin(0.5), std::asin(0.5) * 57.2957795);
}

TEST(Degrees, InverseFunctionsClampOutOfRange) {
    struct {
        double x, asin_deg, acos_deg;
    } const cases[] = {
        {1.0000001, 90, 0}, {1, 90, 0}, {5, 90, 0}, {-1, -90, 180}, {-2, -90, 180},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(rt_asin(c.x), c.asin_deg) << c.x;
        EXPECT_EQ(rt_acos(c.x), c.acos_deg) << c.x;
    }
    EXPECT_NEAR(rt_acos(0), 90, 1e-6);
}

TEST(NumericBuiltins, RootsPowersAbs) {
    EXPECT_EQ(rt_sqr(16), 4);
    EXPECT_TRUE(std::isnan(rt_sqr(-1)));
    EXPECT_EQ(rt_abs(-2.5), 2.5);
    EXPECT_EQ(rt_abs(3), 3);
    EXPECT_EQ(rt_pow(2, 10), 1024);
    EXPECT_EQ(rt_pow(9, 0.5), 3);
}

// The generator follows the published ISAAC: seed 0, one initial round, and
// the next round opens with this word.
TEST(Random, IsaacKnownAnswer) {
    rt_seed(0);
    EXPECT_EQ(rt_random_word(), 0xf650e4c8u);
}

TEST(Random, SeedRestartsTheSequence) {
    rt_seed(1234);
    std::uint32_t first[4];
    for (auto& w : first)
        w = rt_random_word();
    rt_seed(1234);
    for (auto w : first)
        EXPECT_EQ(rt_random_word(), w);
    rt_seed(1235);
    EXPECT_NE(rt_random_word(), first[0]);
}

TEST(Random, RangesIncludeBothEnds) {
    rt_seed(7);
    struct {
        double n;
        double highest;
    } const ranges[] = {{0, 0}, {1, 1}, {5, 5}, {5.9, 5}, {-1, 0}};
    for (const auto& r : ranges) {
        std::set<double> seen;
        for (int i = 0; i < 400; ++i) {
            double v = rt_rnd(r.n);
            ASSERT_GE(v, 0) << r.n;
            ASSERT_LE(v, r.highest) << r.n;
            ASSERT_EQ(v, std::trunc(v));
            seen.insert(v);
        }
        EXPECT_EQ(seen.size(), static_cast<std::size_t>(r.highest) + 1)
            << "every value of 0.." << r.n;
    }
}

} // namespace
