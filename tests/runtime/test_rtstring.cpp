// Tests for RtString: the number-to-text rule, the capacity policy, joining,
// comparisons and the string built-ins.
#include "runtime/rtstring.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>

namespace {

struct NumberCase {
    double value;
    const char* text;
};

TEST(NumberText, FollowsTheTenDigitRule) {
    const NumberCase cases[] = {
        {1, "1"},
        {100, "100"},
        {-3, "-3"},
        {0, "0"},
        {-0.0, "0"},
        {0.5, "0.5"},
        {2.25, "2.25"},
        {1.0 / 3, "0.3333333333"},
        {2.0 / 3, "0.6666666667"},
        {123.456, "123.456"},
        {0.05, "5.e-002"},
        {0.0125, "1.25e-002"},
        {12345678901.0, "1.23456789e+010"},
        {1e10, "1.e+010"},
        {0.1, "0.1"},
        {-0.25, "-0.25"},
        {-0.05, "-5.e-002"},
        {1234567890, "1234567890"},   // ten digits, no point
        {1234567890.4, "1234567890"}, // rounded to ten digits
        {9999999999.5, "1.e+010"},    // rounds up into the next power of ten
        {999999999.95, "1000000000"}, // rounds up, still fixed
        {0.099999999999, "0.1"},      // rounds up into e = -1
        {0.0999999999, "9.99999999e-002"},
        {1e-5, "1.e-005"},
        {-1.5e300, "-1.5e+300"},
        {5e-324, "4.940656458e-324"}, // smallest denormal
        {1e100, "1.e+100"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(rt_number_text(c.value), c.text) << "value " << c.value;
        EXPECT_EQ(rt_number_text_length(c.value), static_cast<double>(std::string(c.text).size()))
            << c.value;
    }
}

TEST(NumberText, NonNumbersHaveReadableNames) {
    EXPECT_EQ(rt_number_text(std::numeric_limits<double>::quiet_NaN()), "nan");
    EXPECT_EQ(rt_number_text(std::numeric_limits<double>::infinity()), "inf");
    EXPECT_EQ(rt_number_text(-std::numeric_limits<double>::infinity()), "-inf");
}

TEST(RtStringCapacity, GrowsInSteps) {
    RtString s;
    EXPECT_EQ(s.capacity(), 4u);
    EXPECT_EQ(s.length(), 0u);
    EXPECT_STREQ(s.c_str(), "");
    s = "abc";
    EXPECT_EQ(s.capacity(), 4u);
    s = "abcd";
    EXPECT_EQ(s.capacity(), 512u);
    s = "x";
    EXPECT_EQ(s.capacity(), 512u) << "never shrinks";

    struct {
        std::uint32_t reserve;
        std::uint32_t capacity;
    } const steps[] = {{0, 512}, {511, 512}, {512, 1024}, {1023, 1024}, {1500, 1536}};
    for (const auto& step : steps) {
        RtString t("q");
        t.reserve(step.reserve);
        EXPECT_EQ(t.capacity(), step.capacity) << "reserve " << step.reserve;
        EXPECT_STREQ(t.c_str(), "q") << "text survives the new buffer";
    }
}

TEST(RtStringCapacity, ConstructorsReserveWhatTheyNeed) {
    EXPECT_EQ(RtString("").capacity(), 512u);
    EXPECT_EQ(RtString(5).capacity(), 512u);
    EXPECT_EQ(RtString(2.5).capacity(), 512u);
    RtString number;
    number = 7.0;
    EXPECT_EQ(number.capacity(), 512u);
    std::string long_text(600, 'x');
    RtString big(long_text.c_str());
    EXPECT_EQ(big.capacity(), 1024u);
    EXPECT_EQ(RtString(big).capacity(), 1024u);
}

TEST(RtStringCapacity, AppendingCrossesTheStep) {
    RtString s;
    for (int i = 0; i < 1100; ++i)
        s += "z";
    EXPECT_EQ(s.length(), 1100u);
    EXPECT_EQ(s.capacity(), 1536u);
    EXPECT_EQ(s.view(), std::string(1100, 'z'));
}

TEST(RtStringJoin, NumbersUseTheirTextRules) {
    RtString label("x: ");
    EXPECT_EQ((label + 12.0).str(), "x: 12");
    EXPECT_EQ((label + 12.5).str(), "x: 12.5");
    EXPECT_EQ((label + 0.05).str(), "x: 5.e-002");
    EXPECT_EQ((label + -7).str(), "x: -7");
    EXPECT_EQ((label + 0.5f).str(), "x: 0.5");
    EXPECT_EQ((3 + label).str(), "3x: ");
    EXPECT_EQ((1.5 + label).str(), "1.5x: ");
    EXPECT_EQ((0.25f + label).str(), "0.25x: ");
    EXPECT_EQ(rt_concat("n=", 2.0).str(), "n=2");
    EXPECT_EQ(rt_concat(2.0, "m").str(), "2m");
    EXPECT_EQ(("<" + label + ">").str(), "<x: >");
    EXPECT_EQ(label.str(), "x: ") << "operands unchanged";
    RtString n(-2147483647 - 1);
    EXPECT_EQ(n.str(), "-2147483648");
}

TEST(RtStringJoin, OwnTextCanBeFedBack) {
    RtString s("ab");
    s += s;
    EXPECT_EQ(s.str(), "abab");
    std::string filler(600, 'f');
    RtString t("0123");
    t += t.c_str() + 1; // the source lives in the buffer that reserve replaces
    EXPECT_EQ(t.str(), "0123123");
    t = t.c_str() + 4;
    EXPECT_EQ(t.str(), "123");
    const RtString& alias = t;
    t = alias;
    EXPECT_EQ(t.str(), "123");
    RtString big(filler.c_str());
    big += big.c_str();
    EXPECT_EQ(big.length(), 1200u);
}

TEST(RtStringJoin, MovedFromStringStaysUsable) {
    RtString a("moved");
    RtString b(std::move(a));
    EXPECT_EQ(b.str(), "moved");
    EXPECT_EQ(a.length(), 0u);
    EXPECT_STREQ(a.c_str(), "");
    EXPECT_EQ(a == "", 1.0);
    EXPECT_EQ(rt_asc(a), 0);
    a += "again";
    EXPECT_EQ(a.str(), "again");
    RtString c;
    c = std::move(b);
    EXPECT_EQ(c.str(), "moved");
    b = "fine";
    EXPECT_EQ(b.str(), "fine");
    c.destroy();
    c.destroy();
    EXPECT_EQ(c.capacity(), 0u);
}

TEST(RtStringRaw, BufferAndControls) {
    RtString s;
    std::snprintf(s.buffer(20), 21, "%s", "written\r\n\t");
    EXPECT_EQ(s.sync_length(), 10u);
    s.trim_controls();
    EXPECT_EQ(s.str(), "written");
    s = "ab\xe9\x01";
    s.trim_controls();
    EXPECT_EQ(s.str(), "ab") << "bytes from 128 up read as controls";
    s.truncate_at(1);
    EXPECT_EQ(s.str(), "a");
    EXPECT_EQ(RtString("\xff").char_at(0), -1);
    RtString only("\n\n");
    only.trim_controls();
    EXPECT_EQ(only.length(), 0u);
    EXPECT_EQ(RtString::from_bytes("ab\0cd", 5).str(), "ab");
}

// Every relation in both orders, against each operand kind; the C++20
// rewritten forms must not make any of these ambiguous.
TEST(RtStringCompare, EveryOperatorInBothOrders) {
    RtString s("12");
    const char* t = "13";
    EXPECT_EQ(s == RtString("12"), 1.0);
    EXPECT_EQ(s != RtString("12"), 0.0);
    EXPECT_EQ(s < t, 1.0);
    EXPECT_EQ(t > s, 1.0);
    EXPECT_EQ(s <= t, 1.0);
    EXPECT_EQ(t >= s, 1.0);
    EXPECT_EQ(t == s, 0.0);
    EXPECT_EQ(t != s, 1.0);
    EXPECT_EQ(s == t, 0.0);
    EXPECT_EQ(s != t, 1.0);
    EXPECT_EQ(s > t, 0.0);
    EXPECT_EQ(s >= t, 0.0);
    EXPECT_EQ(t < s, 0.0);
    EXPECT_EQ(t <= s, 0.0);
    EXPECT_EQ(s == 12, 1.0);
    EXPECT_EQ(12 == s, 1.0);
    EXPECT_EQ(s == 0, 0.0);
    EXPECT_EQ(0 != s, 1.0);
    EXPECT_EQ(s != 12.0, 0.0);
    EXPECT_EQ(12.0 != s, 0.0);
    EXPECT_EQ(s < 13, 1.0);
    EXPECT_EQ(13 > s, 1.0);
    EXPECT_EQ(s <= 12.0f, 1.0);
    EXPECT_EQ(12.0f >= s, 1.0);
    EXPECT_EQ(s > 11.5, 1.0);
    EXPECT_EQ(11.5 < s, 1.0);
    EXPECT_EQ(s >= 12.5, 0.0);
    EXPECT_EQ(12.5 <= s, 0.0);
    EXPECT_EQ(s == 12u, 1.0);
    EXPECT_EQ(12L == s, 1.0);
    EXPECT_EQ(s < std::size_t{13}, 1.0);
    EXPECT_EQ(std::int64_t{11} < s, 1.0);
    EXPECT_EQ(s >= short{12}, 1.0);
    EXPECT_EQ(s > 0, 1.0);
    EXPECT_EQ(0 <= s, 1.0);
}

TEST(RtStringCompare, TextsInByteOrder) {
    struct {
        const char* a;
        const char* b;
        int order;
    } const cases[] = {
        {"abc", "abd", -1}, {"ab", "abc", -1}, {"B", "a", -1},   {"abc", "abc", 0},
        {"", "", 0},        {"", "a", -1},     {"\xe9", "z", 1}, // unsigned bytes
    };
    for (const auto& c : cases) {
        RtString a(c.a), b(c.b);
        EXPECT_EQ(a < b, c.order < 0 ? 1.0 : 0.0) << c.a << " < " << c.b;
        EXPECT_EQ(a > b, c.order > 0 ? 1.0 : 0.0) << c.a << " > " << c.b;
        EXPECT_EQ(a == b, c.order == 0 ? 1.0 : 0.0) << c.a << " == " << c.b;
        EXPECT_EQ(a <= c.b, c.order <= 0 ? 1.0 : 0.0) << c.a << " <= " << c.b;
        EXPECT_EQ(c.a >= b, c.order >= 0 ? 1.0 : 0.0) << c.a << " >= " << c.b;
        EXPECT_EQ(a.compare_raw(c.b), c.order);
    }
}

TEST(RtStringCompare, EqualityAlsoNeedsEqualLengths) {
    RtString a("abc");
    a.set_char(1, '\0'); // length stays 3
    RtString b("a");
    EXPECT_EQ(a == b, 0.0);
    EXPECT_EQ(a != b, 1.0);
    EXPECT_EQ(a == "a", 1.0) << "against a plain text only the bytes count";
}

TEST(RtStringCompare, TextAgainstNumber) {
    struct {
        const char* text;
        double number;
        int order;
    } const cases[] = {
        {"12", 12, 0},  {"12abc", 12, 0}, {"abc", 0, 0}, {" -3", -3, 0}, {"1e2", 100, 0},
        {"0x10", 0, 0}, {"2", 10, -1},    {"10", 2, 1},  {"", 0, 0},     {"5.e-002", 0.05, 0},
    };
    for (const auto& c : cases) {
        RtString s(c.text);
        EXPECT_EQ(s == c.number, c.order == 0 ? 1.0 : 0.0) << c.text << " == " << c.number;
        EXPECT_EQ(s < c.number, c.order < 0 ? 1.0 : 0.0) << c.text << " < " << c.number;
        EXPECT_EQ(c.number<s, c.order> 0 ? 1.0 : 0.0) << c.number << " < " << c.text;
        EXPECT_EQ(s.compare_number(c.number), c.order) << c.text;
    }
}

TEST(RtStringCompare, NanMakesAllButNotEqualFalse) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    RtString s("0");
    EXPECT_EQ(s == nan, 0.0);
    EXPECT_EQ(s != nan, 1.0);
    EXPECT_EQ(s < nan, 0.0);
    EXPECT_EQ(s > nan, 0.0);
    EXPECT_EQ(s <= nan, 0.0);
    EXPECT_EQ(nan >= s, 0.0);
    EXPECT_EQ(nan != s, 1.0);
    EXPECT_NE(s.compare_number(nan), 0);
}

TEST(RtStringBuiltins, MidBounds) {
    struct {
        const char* text;
        double start;
        double count;
        const char* piece;
    } const cases[] = {
        {"abcdef", 2, 3, "cde"}, {"abcdef", 4, 10, "ef"}, {"abc", 3, 1, ""},
        {"abc", -1, 2, ""},      {"abc", 0, 0, ""},       {"abc", 0, 3, "abc"},
        {"abc", 4, 1, ""},       {"abc", 1, 0.5, ""},     {"abcdef", 1.7, 2.9, "bc"},
        {"abcdef", 2, -1, ""},   {"abcdef", 2, -5, ""}, // a negative count never means "to the end"
        {"", 0, 5, ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(rt_mid(RtString(c.text), c.start, c.count).str(), c.piece)
            << c.text << " from " << c.start << " for " << c.count;
    }
    EXPECT_EQ(rt_mid(RtString("abc"), 3, 1).capacity(), 4u) << "empty result is a fresh string";
}

TEST(RtStringBuiltins, FindCaseAscChr) {
    RtString hay("needle in a haystack");
    EXPECT_EQ(rt_find(hay, RtString("in")), 7);
    EXPECT_EQ(rt_find(hay, RtString("needle")), 0);
    EXPECT_EQ(rt_find(hay, RtString("pin")), -1);
    EXPECT_EQ(rt_find(hay, RtString("")), 0);
    EXPECT_EQ(rt_len(hay), 20);
    EXPECT_EQ(rt_upper(RtString("aZ\xe9{z@")).str(), "AZ\xe9{Z@");
    EXPECT_EQ(rt_lower(RtString("Az\xc9[Z`")).str(), "az\xc9[z`");
    EXPECT_EQ(rt_asc(RtString("A")), 65);
    EXPECT_EQ(rt_asc(RtString("\xff")), -1);
    EXPECT_EQ(rt_asc(RtString()), 0);
    struct {
        double code;
        const char* text;
    } const codes[] = {{65, "A"}, {321, "A"}, {65.9, "A"}, {0, ""}, {256, ""}, {-191, "A"}};
    for (const auto& c : codes)
        EXPECT_EQ(rt_chr(c.code).str(), c.text) << c.code;
}

TEST(RtStringBuiltins, Replace) {
    struct {
        const char* text;
        const char* find;
        const char* with;
        const char* result;
    } const cases[] = {
        {"a-b-c", "-", "+", "a+b+c"}, {"a-b-c", "-", "--", "a--b--c"}, // no rescan of "--"
        {"aaa", "a", "aa", "aaaaaa"}, {"abcabc", "bc", "", "aa"},
        {"abc", "x", "y", "abc"},     {"abc", "", "y", "abc"}, // empty find matches nothing
        {"xxxx", "xx", "x", "xx"},    {"abab", "ab", "ba", "baba"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(rt_replace(RtString(c.text), RtString(c.find), RtString(c.with)).str(), c.result)
            << c.text << " / " << c.find << " / " << c.with;
    }
}

} // namespace
