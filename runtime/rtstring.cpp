// rtstring.cpp: the RtString value (buffer, capacity policy, assignment,
// appending, joining) and the comparisons between strings and numbers.
//
// The number-to-text and text-to-number rules themselves live in
// rtconvert.cpp. The string built-ins (rt_mid, rt_find, ...) close the file.
#include "runtime/rtstring.h"

#include <cmath>
#include <cstring>
#include <limits>
#include <new>
#include <utility>

namespace {

// The 4-byte buffer of a default-constructed string.
constexpr std::uint32_t kDefaultCapacity = 4;
// Growth step of every other buffer.
constexpr std::uint32_t kCapacityStep = 512;
// Room reserved before a number is written as text.
constexpr std::uint32_t kNumberReserve = 64;

// strncpy semantics: stops at a zero byte in the source and zero-fills the
// rest, so a stray zero byte never lets text run past it. The regions may
// overlap (a string fed its own text).
void copy_bytes(char* dst, const char* src, std::size_t count) {
    std::size_t n = 0;
    while (n < count && src[n] != '\0')
        ++n;
    std::memmove(dst, src, n);
    std::memset(dst + n, 0, count - n);
}

std::uint32_t text_length(const char* text) {
    if (text == nullptr) return 0;
    std::size_t n = std::strlen(text);
    if (n >= std::numeric_limits<std::uint32_t>::max()) throw std::bad_alloc();
    return static_cast<std::uint32_t>(n);
}

// A sum of two lengths that must still leave room for the terminator.
std::uint32_t grown_length(std::uint32_t a, std::uint32_t b) {
    if (b >= std::numeric_limits<std::uint32_t>::max() - a) throw std::bad_alloc();
    return a + b;
}

std::string integer_text(int value) {
    return std::to_string(value);
}

const char* safe(const char* text) {
    return text ? text : "";
}

int sign_of(int v) {
    return (v > 0) - (v < 0);
}

} // namespace

// ------------------------------------------------------------ construction

RtString::RtString()
    : data_(new char[kDefaultCapacity]()), capacity_(kDefaultCapacity), length_(0) {}

RtString::RtString(const char* text) : data_(nullptr), capacity_(0), length_(0) {
    assign(text);
}

RtString::RtString(const RtString& other) : data_(nullptr), capacity_(0), length_(0) {
    reserve(other.length_);
    copy_bytes(data_, safe(other.data_), other.length_);
    data_[other.length_] = '\0';
    length_ = other.length_;
}

// The moved-from string is left destroyed (null buffer, counts 0); every
// operation accepts that state, and destroying it again is harmless.
RtString::RtString(RtString&& other) noexcept
    : data_(other.data_), capacity_(other.capacity_), length_(other.length_) {
    other.data_ = nullptr;
    other.capacity_ = 0;
    other.length_ = 0;
}

RtString::RtString(int value) : data_(nullptr), capacity_(0), length_(0) {
    assign(value);
}
RtString::RtString(float value) : data_(nullptr), capacity_(0), length_(0) {
    assign(value);
}
RtString::RtString(double value) : data_(nullptr), capacity_(0), length_(0) {
    assign(value);
}

RtString::~RtString() {
    destroy();
}

RtString RtString::from_bytes(const char* bytes, std::size_t count) {
    RtString result(static_cast<const char*>(nullptr));
    std::size_t n = 0;
    while (bytes != nullptr && n < count && bytes[n] != '\0')
        ++n;
    if (n >= std::numeric_limits<std::uint32_t>::max()) throw std::bad_alloc();
    result.reserve(static_cast<std::uint32_t>(n));
    if (n > 0) std::memcpy(result.data_, bytes, n);
    result.data_[n] = '\0';
    result.length_ = static_cast<std::uint32_t>(n);
    return result;
}

void RtString::destroy() {
    delete[] data_;
    data_ = nullptr;
    capacity_ = 0;
    length_ = 0;
}

void RtString::reserve(std::uint32_t n) {
    if (n < capacity_ && data_ != nullptr) return;
    if (n >= std::numeric_limits<std::uint32_t>::max() - kCapacityStep) throw std::bad_alloc();
    std::uint32_t size = n / kCapacityStep * kCapacityStep + kCapacityStep;
    char* fresh = new char[size];
    fresh[0] = '\0';
    if (data_ != nullptr) copy_bytes(fresh, data_, length_ + 1);
    delete[] data_;
    data_ = fresh;
    capacity_ = size;
}

// ------------------------------------------------------------ assignment

RtString& RtString::assign(const char* text) {
    text = safe(text);
    std::uint32_t n = text_length(text);
    reserve(n); // the text may live in our own buffer only if it fits, so no reallocation then
    copy_bytes(data_, text, n);
    data_[n] = '\0';
    length_ = n;
    return *this;
}

RtString& RtString::assign(const RtString& other) {
    if (&other == this) return *this;
    std::uint32_t n = other.length_;
    reserve(n);
    copy_bytes(data_, safe(other.data_), n);
    data_[n] = '\0';
    length_ = n;
    return *this;
}

RtString& RtString::assign(int value) {
    reserve(kNumberReserve);
    return assign(integer_text(value).c_str());
}

RtString& RtString::assign(float value) {
    return assign(static_cast<double>(value));
}

RtString& RtString::assign(double value) {
    reserve(kNumberReserve);
    return assign(rt_number_text(value).c_str());
}

// Swapping hands our old buffer to the source, which stays a valid string.
RtString& RtString::operator=(RtString&& other) noexcept {
    if (&other != this) {
        std::swap(data_, other.data_);
        std::swap(capacity_, other.capacity_);
        std::swap(length_, other.length_);
    }
    return *this;
}

// ------------------------------------------------------------ appending

RtString& RtString::append(const char* text) {
    text = safe(text);
    // A text inside our own buffer would dangle once reserve reallocates.
    if (data_ != nullptr && text >= data_ && text < data_ + capacity_) {
        RtString copy(text);
        return append(copy);
    }
    std::uint32_t n = text_length(text);
    std::uint32_t old = length_;
    reserve(grown_length(old, n));
    copy_bytes(data_ + old, text, n);
    data_[old + n] = '\0';
    length_ = old + n;
    return *this;
}

RtString& RtString::append(const RtString& other) {
    std::uint32_t n = other.length_; // read before reserve: other may be *this
    std::uint32_t old = length_;
    reserve(grown_length(old, n));
    if (n > 0) copy_bytes(data_ + old, other.data_, n);
    data_[old + n] = '\0';
    length_ = old + n;
    return *this;
}

RtString& RtString::append(int value) {
    return append(RtString(value));
}
RtString& RtString::append(float value) {
    return append(RtString(value));
}
RtString& RtString::append(double value) {
    return append(RtString(value));
}

// ------------------------------------------------------------ raw access

char* RtString::buffer(std::uint32_t n) {
    reserve(n);
    return data_;
}

std::uint32_t RtString::sync_length() {
    length_ = data_ ? text_length(data_) : 0;
    return length_;
}

int RtString::char_at(std::uint32_t i) const {
    return static_cast<signed char>(data_[i]);
}

void RtString::set_char(std::uint32_t i, char c) {
    data_[i] = c;
}

void RtString::truncate_at(std::uint32_t i) {
    data_[i] = '\0';
    sync_length();
}

void RtString::trim_controls() {
    while (length_ > 0 && static_cast<signed char>(data_[length_ - 1]) <= 31) {
        data_[--length_] = '\0';
    }
}

int RtString::compare_raw(const char* text) const {
    return sign_of(std::strcmp(safe(data_), safe(text)));
}

// An unordered pair (a NaN) answers 1, so that it never reads as equal.
int RtString::compare_number(double value) const {
    double own = rt_text_to_number(safe(data_));
    if (own < value) return -1;
    if (own == value) return 0;
    return 1;
}

// ------------------------------------------------------------ joining

namespace {

// The left operand as a new string with the right one appended, built in
// place so the result is returned without another copy.
template <class L, class R> RtString joined(const L& left, const R& right) {
    RtString result(left);
    result.append(right);
    return result;
}

} // namespace

RtString operator+(const RtString& a, const RtString& b) {
    return joined(a, b);
}
RtString operator+(const RtString& a, const char* b) {
    return joined(a, b);
}
RtString operator+(const char* a, const RtString& b) {
    return joined(a, b);
}
RtString operator+(const RtString& a, int b) {
    return joined(a, b);
}
RtString operator+(const RtString& a, float b) {
    return joined(a, b);
}
RtString operator+(const RtString& a, double b) {
    return joined(a, b);
}
RtString operator+(int a, const RtString& b) {
    return joined(a, b);
}
RtString operator+(float a, const RtString& b) {
    return joined(a, b);
}
RtString operator+(double a, const RtString& b) {
    return joined(a, b);
}
RtString rt_concat(const char* a, double b) {
    return joined(a, b);
}
RtString rt_concat(double a, const char* b) {
    return joined(a, b);
}

// ------------------------------------------------------------ comparisons

namespace {

double truth(bool b) {
    return b ? 1.0 : 0.0;
}

int text_order(const char* a, const char* b) {
    return std::strcmp(safe(a), safe(b));
}

double text_value(const RtString& s) {
    return rt_text_to_number(s.c_str() ? s.c_str() : "");
}

} // namespace

double operator==(const RtString& a, const RtString& b) {
    return truth(a.length() == b.length() && text_order(a.c_str(), b.c_str()) == 0);
}
double operator!=(const RtString& a, const RtString& b) {
    return truth((a == b) == 0.0);
}
double operator<(const RtString& a, const RtString& b) {
    return truth(text_order(a.c_str(), b.c_str()) < 0);
}
double operator>(const RtString& a, const RtString& b) {
    return truth(text_order(a.c_str(), b.c_str()) > 0);
}
double operator<=(const RtString& a, const RtString& b) {
    return truth(text_order(a.c_str(), b.c_str()) <= 0);
}
double operator>=(const RtString& a, const RtString& b) {
    return truth(text_order(a.c_str(), b.c_str()) >= 0);
}

// RtString against text, in both orders.
#define RT_TEXT_RELATION(op)                                                                       \
    double operator op(const RtString& a, const char* b) {                                         \
        return truth(text_order(a.c_str(), b) op 0);                                               \
    }                                                                                              \
    double operator op(const char* a, const RtString& b) {                                         \
        return truth(text_order(a, b.c_str()) op 0);                                               \
    }
RT_TEXT_RELATION(==)
RT_TEXT_RELATION(!=)
RT_TEXT_RELATION(<)
RT_TEXT_RELATION(>)
RT_TEXT_RELATION(<=)
RT_TEXT_RELATION(>=)
#undef RT_TEXT_RELATION

// RtString against a number: the text is read as a number and the two are
// compared as doubles, so a NaN makes every relation but != false.
#define RT_NUMBER_RELATION(op, type)                                                               \
    double operator op(const RtString& a, type b) {                                                \
        return truth(text_value(a) op static_cast<double>(b));                                     \
    }                                                                                              \
    double operator op(type a, const RtString& b) {                                                \
        return truth(static_cast<double>(a) op text_value(b));                                     \
    }
#define RT_NUMBER_RELATIONS(type)                                                                  \
    RT_NUMBER_RELATION(==, type)                                                                   \
    RT_NUMBER_RELATION(!=, type)                                                                   \
    RT_NUMBER_RELATION(<, type)                                                                    \
    RT_NUMBER_RELATION(>, type)                                                                    \
    RT_NUMBER_RELATION(<=, type)                                                                   \
    RT_NUMBER_RELATION(>=, type)
RT_NUMBER_RELATIONS(double)
#undef RT_NUMBER_RELATIONS
#undef RT_NUMBER_RELATION

// ------------------------------------------------------------ string built-ins

double rt_len(const RtString& s) {
    return s.length();
}

// Positions are 0-based. A count reaching past the end is cut to the end; a
// count or start out of range gives the empty string. A negative end (a
// negative count) is not mistaken for one past the end.
RtString rt_mid(const RtString& s, double start, double count) {
    if (std::isnan(start) || std::isnan(count)) return RtString();
    double length = s.length();
    double end = std::trunc(start + count);
    if (end > length) count = length - start;
    if (count <= 0 || start > length || start < 0) return RtString();
    auto first = static_cast<std::uint32_t>(start);
    auto keep = static_cast<std::uint32_t>(count);
    RtString result = RtString::from_bytes(s.c_str() + first, s.length() - first);
    if (keep < result.length()) result.truncate_at(keep);
    return result;
}

double rt_find(const RtString& haystack, const RtString& needle) {
    const char* text = safe(haystack.c_str());
    const char* found = std::strstr(text, safe(needle.c_str()));
    return found ? static_cast<double>(found - text) : -1.0;
}

RtString rt_upper(const RtString& s) {
    RtString result(s);
    for (std::uint32_t i = 0; i < result.length(); ++i) {
        char c = result.c_str()[i];
        if (c >= 'a' && c <= 'z') result.set_char(i, static_cast<char>(c - 'a' + 'A'));
    }
    return result;
}

RtString rt_lower(const RtString& s) {
    RtString result(s);
    for (std::uint32_t i = 0; i < result.length(); ++i) {
        char c = result.c_str()[i];
        if (c >= 'A' && c <= 'Z') result.set_char(i, static_cast<char>(c - 'A' + 'a'));
    }
    return result;
}

double rt_asc(const RtString& s) {
    return s.length() > 0 ? s.char_at(0) : 0;
}

// Only the low byte of the truncated code counts, so 321 gives "A" as 65 does.
RtString rt_chr(double code) {
    char text[2] = {0, 0};
    if (std::isfinite(code) && std::fabs(code) < 9.2e18) {
        text[0] = static_cast<char>(static_cast<std::int64_t>(code) & 0xff);
    }
    return RtString(text);
}

// Every occurrence of find is replaced; scanning resumes right after the
// inserted replacement, so text the replacement brought in is never
// rescanned. An empty find matches nothing.
RtString rt_replace(const RtString& s, const RtString& find, const RtString& replacement) {
    RtString work(s);
    if (find.length() == 0) return work;
    std::string_view pattern = find.view();
    std::size_t pos = 0;
    while (true) {
        std::size_t hit = work.view().find(pattern, pos);
        if (hit == std::string_view::npos) return work;
        if (find.length() == replacement.length()) {
            std::memcpy(work.buffer(0) + hit, replacement.c_str(), replacement.length());
        } else {
            RtString rebuilt = RtString::from_bytes(work.c_str(), hit);
            rebuilt.append(replacement);
            rebuilt.append(work.c_str() + hit + find.length());
            work = std::move(rebuilt);
        }
        pos = hit + replacement.length();
    }
}
