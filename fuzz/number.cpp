// number.cpp (fuzz): the text-to-number reader on any text, and the
// number-to-text rule on any double, whose text must read back as the same
// value to its ten significant digits.
#include "fuzz_support.h"

#include <cmath>
#include <cstring>

namespace {

void check_round_trip(double value) {
    const std::string text = rt_number_text(value);
    if (text.empty() || text.size() > 20) __builtin_trap();
    if (rt_number_text_length(value) != static_cast<double>(text.size())) __builtin_trap();
    if (!std::isfinite(value)) return;
    const double back = rt_val(RtString::from_std(text));
    // The largest doubles round up past the range, and tiny ones lose digits.
    if (std::fabs(value) > 1.7976931e308 || std::fabs(value) < 1e-300) return;
    // Ten significant digits: a relative error within half a unit of the tenth.
    const double tolerance = std::fabs(value) * 5.000001e-10;
    if (!(std::fabs(back - value) <= tolerance)) __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const RtString text = RtString::from_bytes(reinterpret_cast<const char*>(data), size);
    const double read = rt_val(text);
    check_round_trip(read);
    (void)RtString(read);
    if (size >= 8) {
        double value = 0;
        std::memcpy(&value, data, 8);
        check_round_trip(value);
        (void)rt_format(static_cast<double>(data[0] % 40) - 8, static_cast<double>(size % 30),
                        value);
    }
    return 0;
}
