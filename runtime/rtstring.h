// rtstring.h: the runtime's one string value (RtString), the number <-> text
// rules and the numeric built-ins that game code calls.
//
// RtString is a plain owning byte string: every copy is deep, text is 8-bit
// bytes ended by a zero byte, and numbers joined to it are written by the
// runtime's 10-significant-digit number-to-text rule. Comparisons answer with
// the doubles 1.0 and 0.0, like every truth value of game code.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>

class RtString {
  public:
    // Empty string with a 4-byte buffer (the one capacity that is not a
    // multiple of 512).
    RtString();
    RtString(const char* text);
    RtString(const RtString& other);
    RtString(RtString&& other) noexcept;
    explicit RtString(int value);    // integer-to-text rule
    explicit RtString(float value);  // widened to double, number-to-text rule
    explicit RtString(double value); // number-to-text rule
    ~RtString();

    // Bytes from a pointer and a count (stops early at a zero byte).
    static RtString from_bytes(const char* bytes, std::size_t count);
    static RtString from_std(std::string_view text) { return from_bytes(text.data(), text.size()); }

    // Releases the buffer; a destroyed string may be destroyed again.
    void destroy();

    RtString& assign(const char* text);
    RtString& assign(const RtString& other);
    RtString& assign(int value);
    RtString& assign(float value);
    RtString& assign(double value);
    RtString& operator=(const char* text) { return assign(text); }
    RtString& operator=(const RtString& other) { return assign(other); }
    RtString& operator=(RtString&& other) noexcept;
    RtString& operator=(int value) { return assign(value); }
    RtString& operator=(float value) { return assign(value); }
    RtString& operator=(double value) { return assign(value); }

    RtString& append(const char* text);
    RtString& append(const RtString& other);
    RtString& append(int value);
    RtString& append(float value);
    RtString& append(double value);
    RtString& operator+=(const char* text) { return append(text); }
    RtString& operator+=(const RtString& other) { return append(other); }
    RtString& operator+=(int value) { return append(value); }
    RtString& operator+=(float value) { return append(value); }
    RtString& operator+=(double value) { return append(value); }

    // Capacity policy: nothing when n < capacity, else the smallest multiple
    // of 512 strictly greater than n. Never shrinks.
    void reserve(std::uint32_t n);

    // A destroyed or moved-from string reads as empty text.
    const char* c_str() const { return data_ ? data_ : ""; }
    // Reserves n, then hands out the buffer for direct writing of up to n
    // bytes plus the terminator; call sync_length() afterwards.
    char* buffer(std::uint32_t n);
    std::uint32_t sync_length();
    // Byte i as a signed 8-bit value; no bounds check.
    int char_at(std::uint32_t i) const;
    void set_char(std::uint32_t i, char c);
    void truncate_at(std::uint32_t i);
    // Drops trailing bytes that read as 31 or less when signed (controls and
    // every byte from 128 up).
    void trim_controls();

    std::uint32_t length() const { return length_; }
    std::uint32_t capacity() const { return capacity_; }
    bool empty() const { return length_ == 0; }
    std::string str() const { return std::string(data_ ? data_ : "", length_); }
    std::string_view view() const { return std::string_view(data_ ? data_ : "", length_); }

    // strcmp sign against a text (runtime use).
    int compare_raw(const char* text) const;
    // Three-way comparison with a number after the text-to-number rule:
    // -1, 0 or 1.
    int compare_number(double value) const;

  private:
    char* data_;
    std::uint32_t capacity_;
    std::uint32_t length_;
};

// Concatenation: a new string, operands unchanged. At least one side is an
// RtString (a text joined with a number has no C++ operator, use rt_concat).
RtString operator+(const RtString& a, const RtString& b);
RtString operator+(const RtString& a, const char* b);
RtString operator+(const char* a, const RtString& b);
RtString operator+(const RtString& a, int b);
RtString operator+(const RtString& a, float b);
RtString operator+(const RtString& a, double b);
RtString operator+(int a, const RtString& b);
RtString operator+(float a, const RtString& b);
RtString operator+(double a, const RtString& b);
RtString rt_concat(const char* a, double b);
RtString rt_concat(double a, const char* b);

// Comparisons, 1.0 when true and 0.0 when false. Strings compare bytewise
// (unsigned, like strcmp); a string against a number compares as numbers,
// and a NaN makes every relation false except "not equal".
double operator==(const RtString& a, const RtString& b);
double operator!=(const RtString& a, const RtString& b);
double operator<(const RtString& a, const RtString& b);
double operator>(const RtString& a, const RtString& b);
double operator<=(const RtString& a, const RtString& b);
double operator>=(const RtString& a, const RtString& b);
double operator==(const RtString& a, const char* b);
double operator!=(const RtString& a, const char* b);
double operator<(const RtString& a, const char* b);
double operator>(const RtString& a, const char* b);
double operator<=(const RtString& a, const char* b);
double operator>=(const RtString& a, const char* b);
double operator==(const char* a, const RtString& b);
double operator!=(const char* a, const RtString& b);
double operator<(const char* a, const RtString& b);
double operator>(const char* a, const RtString& b);
double operator<=(const char* a, const RtString& b);
double operator>=(const char* a, const RtString& b);
double operator==(const RtString& a, double b);
double operator!=(const RtString& a, double b);
double operator<(const RtString& a, double b);
double operator>(const RtString& a, double b);
double operator<=(const RtString& a, double b);
double operator>=(const RtString& a, double b);
double operator==(double a, const RtString& b);
double operator!=(double a, const RtString& b);
double operator<(double a, const RtString& b);
double operator>(double a, const RtString& b);
double operator<=(double a, const RtString& b);
double operator>=(double a, const RtString& b);

// The same against any integer type, so that an integer (0 in particular,
// which could also be a null text) picks the number comparison without
// ambiguity between the double and the text overloads.
template <class N>
concept RtInteger = std::is_integral_v<N>;
template <RtInteger N> double operator==(const RtString& a, N b) {
    return a == double(b);
}
template <RtInteger N> double operator!=(const RtString& a, N b) {
    return a != double(b);
}
template <RtInteger N> double operator<(const RtString& a, N b) {
    return a < double(b);
}
template <RtInteger N> double operator>(const RtString& a, N b) {
    return a > double(b);
}
template <RtInteger N> double operator<=(const RtString& a, N b) {
    return a <= double(b);
}
template <RtInteger N> double operator>=(const RtString& a, N b) {
    return a >= double(b);
}
template <RtInteger N> double operator==(N a, const RtString& b) {
    return double(a) == b;
}
template <RtInteger N> double operator!=(N a, const RtString& b) {
    return double(a) != b;
}
template <RtInteger N> double operator<(N a, const RtString& b) {
    return double(a) < b;
}
template <RtInteger N> double operator>(N a, const RtString& b) {
    return double(a) > b;
}
template <RtInteger N> double operator<=(N a, const RtString& b) {
    return double(a) <= b;
}
template <RtInteger N> double operator>=(N a, const RtString& b) {
    return double(a) >= b;
}

// String built-ins.
double rt_len(const RtString& s);
RtString rt_mid(const RtString& s, double start, double count);
double rt_find(const RtString& haystack, const RtString& needle);
RtString rt_upper(const RtString& s);
RtString rt_lower(const RtString& s);
double rt_asc(const RtString& s);
RtString rt_chr(double code);
RtString rt_replace(const RtString& s, const RtString& find, const RtString& replacement);

// Number <-> text.
// The number-to-text rule (10 significant digits, _gcvt style): 0.05 -> "5.e-002".
std::string rt_number_text(double value);
double rt_number_text_length(double value);
// Text-to-number rule (atof: decimal only, stops at the first character
// that cannot continue a number, 0 when there is none).
double rt_val(const RtString& text);
double rt_text_to_number(const char* text);
RtString rt_format(double width, double decimals, double value);
RtString rt_hex(const void* bytes, double count);

// Numeric built-ins; angles in degrees through the constant 57.2957795.
inline constexpr double kRtDegreesPerRadian = 57.2957795;
double rt_sin(double degrees);
double rt_cos(double degrees);
double rt_tan(double degrees);
double rt_asin(double x);
double rt_acos(double x);
double rt_atan(double y, double x);
double rt_sqr(double x);
double rt_abs(double x);
double rt_pow(double base, double exponent);
double rt_mod(double a, double b);

// Random integers 0..n from the ISAAC generator.
double rt_rnd(double n);
void rt_seed(std::uint32_t seed);
// The next raw 32-bit word of the generator (one full round, like rt_rnd).
std::uint32_t rt_random_word();
