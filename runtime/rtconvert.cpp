// rtconvert.cpp: numbers as text and text as numbers (the 10-digit
// number-to-text rule, the atof-style reader, rt_format, rt_hex) and the
// numeric built-ins of game code (degree trigonometry, roots, powers, rt_mod).
#include "runtime/rtstring.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string>

namespace {

// Ten significant digits and the decimal exponent of |value| after rounding
// to them, so a value such as 9999999999.5 that rounds up into the next
// power of ten gets the exponent of its rounded form.
struct Digits {
    char digit[10];
    int exponent;
};

Digits ten_digits(double magnitude) {
    char text[40];
    std::snprintf(text, sizeof text, "%.9e", magnitude);
    Digits d{};
    d.digit[0] = text[0];
    for (int i = 1; i < 10; ++i)
        d.digit[i] = text[i + 1];
    d.exponent = magnitude == 0 ? -1 : std::atoi(text + 12);
    return d;
}

// Digits with their trailing zeros removed.
std::string without_trailing_zeros(const char* digits, int count) {
    while (count > 0 && digits[count - 1] == '0')
        --count;
    return std::string(digits, static_cast<std::size_t>(count));
}

std::string fixed_text(const Digits& d) {
    if (d.exponent < 0) return "0." + without_trailing_zeros(d.digit, 10);
    int whole = d.exponent + 1;
    return std::string(d.digit, static_cast<std::size_t>(whole)) + "." +
           without_trailing_zeros(d.digit + whole, 10 - whole);
}

std::string exponent_text(const Digits& d) {
    char tail[16];
    std::snprintf(tail, sizeof tail, "e%c%03d", d.exponent < 0 ? '-' : '+', std::abs(d.exponent));
    return std::string(1, d.digit[0]) + "." + without_trailing_zeros(d.digit + 1, 9) + tail;
}

// Doubles outside the int range saturate instead of being undefined.
int to_int32(double value) {
    if (std::isnan(value)) return 0;
    double t = std::trunc(value);
    if (t >= 2147483647.0) return std::numeric_limits<int>::max();
    if (t <= -2147483648.0) return std::numeric_limits<int>::min();
    return static_cast<int>(t);
}

// Length of the decimal number that text starts with (after blanks, sign,
// digits, point, digits, exponent), or 0 when it does not start with one.
std::size_t number_prefix(const char* text) {
    const char* p = text;
    while (std::isspace(static_cast<unsigned char>(*p)))
        ++p;
    if (*p == '+' || *p == '-') ++p;
    int digits = 0;
    while (std::isdigit(static_cast<unsigned char>(*p)))
        ++p, ++digits;
    if (*p == '.') {
        ++p;
        while (std::isdigit(static_cast<unsigned char>(*p)))
            ++p, ++digits;
    }
    if (digits == 0) return 0;
    if (*p == 'e' || *p == 'E') {
        const char* q = p + 1;
        if (*q == '+' || *q == '-') ++q;
        if (std::isdigit(static_cast<unsigned char>(*q))) {
            while (std::isdigit(static_cast<unsigned char>(*q)))
                ++q;
            p = q;
        }
    }
    return static_cast<std::size_t>(p - text);
}

} // namespace

// ------------------------------------------------------------ number <-> text

// Not-a-number and the infinities have no digits; they are written "nan",
// "inf" and "-inf" (the reader takes all three back as 0).
std::string rt_number_text(double value) {
    if (std::isnan(value)) return "nan";
    if (std::isinf(value)) return value < 0 ? "-inf" : "inf";
    Digits d = ten_digits(std::fabs(value));
    std::string text = (d.exponent >= -1 && d.exponent <= 9) ? fixed_text(d) : exponent_text(d);
    // Only a point that ends the text goes; "5.e-002" keeps its point.
    if (text.back() == '.') text.pop_back();
    // Negative zero is written as plain 0.
    if (value < 0) text.insert(0, 1, '-');
    return text;
}

double rt_number_text_length(double value) {
    return static_cast<double>(rt_number_text(value).size());
}

// Only the decimal prefix goes to strtod, so hexadecimal forms, "inf" and
// "nan" read as 0 as atof's decimal reading would have it.
double rt_text_to_number(const char* text) {
    if (text == nullptr) return 0;
    std::size_t n = number_prefix(text);
    if (n == 0) return 0;
    std::string number(text, n);
    return std::strtod(number.c_str(), nullptr);
}

double rt_val(const RtString& text) {
    return rt_text_to_number(text.c_str());
}

// Widths and decimals are limited to what fits the 512-byte result; a
// negative decimals count is taken as 0.
RtString rt_format(double width, double decimals, double value) {
    int w = to_int32(width);
    int d = to_int32(decimals);
    if (w > 511) w = 511;
    if (w < -511) w = -511;
    if (d < 0) d = 0;
    if (d > 400) d = 400;
    RtString result;
    char* out = result.buffer(511);
    std::snprintf(out, 512, "%*.*f", w, d, value);
    result.sync_length();
    return result;
}

RtString rt_hex(const void* bytes, double count) {
    static const char kDigits[] = "0123456789ABCDEF";
    int n = to_int32(count);
    if (n <= 0 || bytes == nullptr) return RtString();
    if (n > (std::numeric_limits<int>::max() - 1) / 2)
        n = (std::numeric_limits<int>::max() - 1) / 2;
    RtString result;
    char* out = result.buffer(static_cast<std::uint32_t>(2 * n));
    const auto* in = static_cast<const unsigned char*>(bytes);
    for (int i = 0; i < n; ++i) {
        out[2 * i] = kDigits[in[i] >> 4];
        out[2 * i + 1] = kDigits[in[i] & 15];
    }
    out[2 * n] = '\0';
    result.sync_length();
    return result;
}

// ------------------------------------------------------------ numeric built-ins

double rt_sin(double degrees) {
    return std::sin(degrees / kRtDegreesPerRadian);
}
double rt_cos(double degrees) {
    return std::cos(degrees / kRtDegreesPerRadian);
}
double rt_tan(double degrees) {
    return std::tan(degrees / kRtDegreesPerRadian);
}

// Clamped so that rounding noise just outside -1..1 gives the end angle, not NaN.
double rt_asin(double x) {
    if (x >= 1) return 90;
    if (x <= -1) return -90;
    return std::asin(x) * kRtDegreesPerRadian;
}

double rt_acos(double x) {
    if (x >= 1) return 0;
    if (x <= -1) return 180;
    return std::acos(x) * kRtDegreesPerRadian;
}

double rt_atan(double y, double x) {
    return std::atan2(y, x) * kRtDegreesPerRadian;
}
double rt_sqr(double x) {
    return std::sqrt(x);
}
double rt_abs(double x) {
    return std::fabs(x);
}
double rt_pow(double base, double exponent) {
    return std::pow(base, exponent);
}

// Integer remainder with the sign of a. A divisor that truncates to 0 gives
// 0, and so does -1 (whose remainder is always 0, and which would overflow
// for the smallest int).
double rt_mod(double a, double b) {
    if (b == 0) return 0;
    int ia = to_int32(a);
    int ib = to_int32(b);
    if (ib == 0 || ib == -1) return 0;
    return ia % ib;
}

// Random integer 0..n. The range is worked out in unsigned 32-bit arithmetic;
// n = -1 (an empty range) gives 0.
double rt_rnd(double n) {
    std::uint32_t range = static_cast<std::uint32_t>(to_int32(n)) + 1u;
    std::uint32_t word = rt_random_word();
    if (range == 0) return 0;
    return word % range;
}
