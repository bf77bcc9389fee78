// linefile.cpp (fuzz): any file read through the line-file cache, every line
// as text and as a number.
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The cache keeps the file it read last, so names alternate.
    static unsigned run = 0;
    const std::string path =
        fuzz::write_input((++run % 2 != 0) ? "lines-a.txt" : "lines-b.txt", data, size);
    const RtString file = RtString::from_std(path);
    for (int line = 0; line < 256; ++line) {
        double status = -1;
        const RtString text = lf_get_text(file, line, &status);
        if (status != 0 || text.empty()) __builtin_trap();
        (void)lf_get_number(file, line);
    }
    return 0;
}
