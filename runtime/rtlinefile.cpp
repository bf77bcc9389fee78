// rtlinefile.cpp: line-addressed text files through a one-file cache.
//
// Game code reads and writes line n (0..255) of a file by name. The cache
// holds one file; selecting another writes pending changes back first, and
// the program's teardown writes back whatever is still pending.
#include "platform/plat_files.h"
#include "runtime/runtime.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>

namespace {

constexpr int kLineCount = 256;
constexpr std::size_t kSlotSize = 1024; // a line holds at most kSlotSize - 1 bytes

struct LineFileCache {
    char file_name[kSlotSize] = {};
    char lines[kLineCount][kSlotSize] = {};
    int last_line = 0;
    int dirty = 0;
    int refused = 0; // the file there could not be read: never written over

    void write_back();
    void reset(std::string_view name);
    int select(std::string_view name);
    void release();
    void load(const std::string& bytes);
    void store_line(int line, std::string_view text);
};

void copy_into_slot(char* slot, std::string_view text) {
    const std::size_t n = std::min(text.size(), kSlotSize - 1);
    // An empty view may carry no pointer at all, which memcpy must not get.
    if (n > 0) std::memcpy(slot, text.data(), n);
    slot[n] = '\0';
}

void LineFileCache::write_back() {
    if (file_name[0] == '\0' || dirty == 0) return;
    if (refused != 0) {
        rt_log(RtString("linefile: cannot write ") + RtString(file_name) +
               ": it could not be read");
        dirty = 0;
        return;
    }
    std::string bytes;
    for (int i = 0; i <= last_line; ++i) {
        bytes += lines[i];
        bytes += "\r\n";
    }
    // Replaced in one step, so a failed write leaves the old file whole.
    if (!plat_write_file_atomic(file_name, bytes)) {
        rt_log(RtString("linefile: cannot write ") + RtString(file_name));
        return;
    }
    dirty = 0;
}

void LineFileCache::reset(std::string_view name) {
    std::memset(lines, 0, sizeof lines);
    dirty = 0;
    refused = 0;
    last_line = 0;
    copy_into_slot(file_name, name);
}

void LineFileCache::load(const std::string& bytes) {
    std::size_t at = 0;
    int slot = 0;
    while (at < bytes.size() && slot < kLineCount) {
        std::size_t end = bytes.find('\n', at);
        std::size_t next = end == std::string::npos ? bytes.size() : end + 1;
        if (end == std::string::npos) end = bytes.size();
        std::string_view line(bytes.data() + at, end - at);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        copy_into_slot(lines[slot], line); // longer lines are cut to the slot
        last_line = slot++;
        at = next;
    }
}

// 0 when the named file is (now) in the cache, 3 when it could not be loaded;
// the cache then stays empty under the new name.
int LineFileCache::select(std::string_view name) {
    if (name.substr(0, kSlotSize - 1) == std::string_view(file_name)) return 0;
    write_back();
    reset(name);
    std::string bytes;
    const PlatFileCheck check = plat_read_file_checked(file_name, &bytes);
    if (check != PlatFileCheck::kOk) {
        if (check != PlatFileCheck::kMissing) {
            refused = 1;
            rt_log(RtString("linefile: cannot read ") + RtString(file_name) + ": " +
                   plat_file_check_text(check));
        }
        return static_cast<int>(rt_set_error(kRtFileError));
    }
    load(bytes);
    return 0;
}

void LineFileCache::release() {
    write_back();
    reset(std::string_view());
}

void LineFileCache::store_line(int line, std::string_view text) {
    copy_into_slot(lines[line], text);
    if (line > last_line) last_line = line;
    dirty = 1;
}

// Selecting no file at teardown writes back what is still pending.
struct GlobalLineFileCache {
    LineFileCache cache;
    ~GlobalLineFileCache() { cache.release(); }
};

LineFileCache& cache() {
    static GlobalLineFileCache global;
    return global.cache;
}

// The line index truncated toward zero, or -1 when it lies outside 0..255.
int line_index(double line) {
    if (!(line > -1.0 && line < kLineCount)) return -1;
    return static_cast<int>(line);
}

void set_status(double* status, double value) {
    if (status != nullptr) *status = value;
}

} // namespace

RtString lf_get_text(const RtString& file, double line, double* status) {
    const int index = line_index(line);
    if (index < 0) {
        set_status(status, rt_set_error(kRtLimitError));
        return RtString("NO_DATA");
    }
    const int selected = cache().select(file.view());
    set_status(status, selected);
    if (selected != 0) return RtString("NO_FILE");
    RtString text(cache().lines[index]);
    text.trim_controls();
    return text.empty() ? RtString("NO_DATA") : text;
}

double lf_get_number(const RtString& file, double line, double* status) {
    return rt_val(lf_get_text(file, line, status));
}

double lf_put_text(const RtString& file, double line, const RtString& text) {
    const int index = line_index(line);
    if (index < 0) return rt_set_error(kRtLimitError);
    cache().select(file.view()); // a missing file gives an empty cache, created on write-back
    cache().store_line(index, text.view());
    return 0;
}

double lf_put_number(const RtString& file, double line, double value) {
    return lf_put_text(file, line, RtString(value));
}

void lf_flush() {
    cache().write_back();
}
