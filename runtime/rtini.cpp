// rtini.cpp: the settings store: the INI parser, the writer and the three
// built-ins that game code uses on the one global store.
//
// The parser keeps the format's long-standing quirks on purpose (one
// separator character, no comments after values, names without blanks),
// because the settings files written so far rely on them.
#include "runtime/rtini.h"

#include "platform/plat_files.h"
#include "runtime/runtime.h"

#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace {

// Lines are read through a buffer of this size; longer lines are cut.
constexpr std::size_t kLineLimit = 1023;

bool is_blank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

char fold(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool same_name(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (fold(a[i]) != fold(b[i])) return false;
    return true;
}

std::size_t skip_blanks(std::string_view line, std::size_t at) {
    while (at < line.size() && is_blank(line[at]))
        ++at;
    return at;
}

// Controls and every byte from 128 up read as 31 or less when signed.
std::string_view trim_trailing_controls(std::string_view text) {
    while (!text.empty() && static_cast<signed char>(text.back()) <= 31)
        text.remove_suffix(1);
    return text;
}

// The next line of text from at: cut at the line feed, a carriage return
// before it dropped, a zero byte ending it early, and cut to the limit.
std::string_view next_line(std::string_view text, std::size_t* at) {
    const std::size_t start = *at;
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) {
        end = text.size();
        *at = end;
    } else {
        *at = end + 1;
    }
    std::string_view line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    line = line.substr(0, line.find('\0'));
    return line.substr(0, kLineLimit);
}

std::string_view header_name(std::string_view line) {
    std::size_t start = skip_blanks(line, 1);
    std::size_t stop = start;
    while (stop < line.size() && !is_blank(line[stop]) && line[stop] != '=')
        ++stop;
    std::string_view name = line.substr(start, stop - start);
    if (!name.empty() && name.back() == ']') name.remove_suffix(1);
    return name;
}

// key=value, key value; only one separator character is skipped, so
// "key = value" reads as the value "= value".
bool parse_entry(std::string_view line, IniEntry* entry) {
    std::size_t key_end = 0;
    while (key_end < line.size() && !is_blank(line[key_end]) && line[key_end] != '=')
        ++key_end;
    if (key_end == line.size()) return false;
    const std::size_t value_start = skip_blanks(line, key_end + 1);
    if (value_start == line.size()) return false;
    // A value of nothing but controls is no value, as if the line ended at
    // the separator; kept, it would be written as "key=" and vanish on reload.
    const std::string_view value = trim_trailing_controls(line.substr(value_start));
    if (value.empty()) return false;
    entry->key = RtString::from_std(line.substr(0, key_end));
    entry->value = RtString::from_std(value);
    return true;
}

} // namespace

void IniStore::load_text(std::string_view text) {
    parse(text, nullptr);
}

void IniStore::parse(std::string_view text, Layout* layout) {
    IniSection current;
    Layout::Block block;
    auto store_current = [&] {
        if (!current.entries.empty()) { // a section without entries is never stored
            IniSection next;
            next.name = current.name;
            sections_.append(std::move(current));
            current = std::move(next);
            if (layout != nullptr) layout->blocks.push_back(std::move(block));
        }
        block = Layout::Block();
    };
    std::size_t at = 0;
    for (std::size_t index = 0; at < text.size(); ++index) {
        std::string_view line = next_line(text, &at);
        line.remove_prefix(skip_blanks(line, 0));
        if (line.empty() || line[0] == ';') continue;
        if (line[0] == '[') {
            store_current();
            const std::string_view name = header_name(line);
            if (!name.empty()) {
                current.name = RtString::from_std(name);
                block.header = static_cast<long>(index);
            }
            continue;
        }
        IniEntry entry;
        if (parse_entry(line, &entry)) {
            current.entries.append(std::move(entry));
            block.entry_lines.push_back(index);
        }
    }
    store_current();
}

bool IniStore::load(const RtString& file_name) {
    std::string bytes;
    const PlatFileCheck check = plat_read_file_checked(file_name.str(), &bytes, kIniMaxBytes);
    if (check == PlatFileCheck::kOk) {
        load_text(bytes);
        return true;
    }
    // Something is there that could not be read (a directory, a pipe, a file
    // too large): what little the store comes to hold must never replace it.
    if (check != PlatFileCheck::kMissing) {
        load_refused_ = 1;
        rt_log(RtString("settings: cannot read ") + file_name + ": " + plat_file_check_text(check) +
               ", left as it is");
    }
    return false;
}

std::string IniStore::text() const {
    std::string out;
    for (std::size_t s = 0; s < sections_.size(); ++s) {
        const IniSection& section = sections_[s];
        out += "[";
        out += section.name.view();
        out += "]\r\n";
        for (std::size_t e = 0; e < section.entries.size(); ++e) {
            out += section.entries[e].key.view();
            out += "=";
            out += section.entries[e].value.view();
            out += "\r\n";
        }
    }
    return out;
}

namespace {

std::string folded_name(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        c = fold(c);
    return out;
}

// The file's own line end, from its first line; a file without one gets the
// line end new files are written with.
std::string_view line_end_of(std::string_view text) {
    const std::size_t lf = text.find('\n');
    if (lf == std::string_view::npos) return "\r\n";
    return lf > 0 && text[lf - 1] == '\r' ? "\r\n" : "\n";
}

} // namespace

std::string IniStore::text_over(std::string_view old) const {
    IniStore parsed;
    Layout layout;
    parsed.parse(old, &layout);
    // The old lines, each with its own line end (the last may have none).
    std::vector<std::string_view> lines;
    for (std::size_t at = 0; at < old.size();) {
        const std::size_t lf = old.find('\n', at);
        const std::size_t end = lf == std::string_view::npos ? old.size() : lf + 1;
        lines.push_back(old.substr(at, end - at));
        at = end;
    }
    const std::string_view eol = line_end_of(old);
    auto entry_line = [&](const IniEntry& e) {
        return std::string(e.key.view()) + "=" + std::string(e.value.view()) + std::string(eol);
    };
    std::vector<std::string> replaced(lines.size());
    std::vector<char> changed(lines.size(), 0); // 1: replaced, 2: removed
    std::vector<std::string> after(lines.size());
    std::vector<char> matched(sections_.size(), 0);
    std::unordered_map<std::string, std::vector<std::size_t>> sections_named;
    for (std::size_t s = 0; s < sections_.size(); ++s)
        sections_named[folded_name(sections_[s].name.view())].push_back(s);
    std::unordered_map<std::string, std::size_t> sections_seen;
    for (std::size_t b = 0; b < layout.blocks.size(); ++b) {
        const Layout::Block& block = layout.blocks[b];
        const IniSection& was = parsed.sections_[b];
        // The k-th old section of a name is the k-th of that name now.
        const std::string name = folded_name(was.name.view());
        const std::size_t k = sections_seen[name]++;
        const auto& same = sections_named[name];
        if (k >= same.size()) {
            if (block.header >= 0) changed[static_cast<std::size_t>(block.header)] = 2;
            for (std::size_t line : block.entry_lines)
                changed[line] = 2;
            continue;
        }
        const IniSection& now = sections_[same[k]];
        matched[same[k]] = 1;
        std::unordered_map<std::string, std::vector<std::size_t>> keys;
        for (std::size_t e = now.entries.size(); e-- > 0;)
            keys[folded_name(now.entries[e].key.view())].push_back(e);
        std::vector<char> used(now.entries.size(), 0);
        for (std::size_t e = 0; e < was.entries.size(); ++e) {
            const std::size_t line = block.entry_lines[e];
            auto& left = keys[folded_name(was.entries[e].key.view())];
            if (left.empty()) {
                changed[line] = 2;
                continue;
            }
            const IniEntry& entry = now.entries[left.back()];
            used[left.back()] = 1;
            left.pop_back();
            if (entry.value.view() == was.entries[e].value.view()) continue;
            // The line keeps its indent, separator and line end.
            std::string_view raw = lines[line];
            std::size_t end_size = 0;
            if (!raw.empty() && raw.back() == '\n')
                end_size = raw.size() > 1 && raw[raw.size() - 2] == '\r' ? 2 : 1;
            const std::string_view end = raw.substr(raw.size() - end_size);
            const std::string_view body = raw.substr(0, raw.size() - end.size());
            const std::size_t start = skip_blanks(body, 0);
            std::size_t key_end = start;
            while (key_end < body.size() && !is_blank(body[key_end]) && body[key_end] != '=')
                ++key_end;
            const std::size_t value_start = skip_blanks(body, key_end + 1);
            replaced[line] = std::string(body.substr(0, value_start)) +
                             std::string(entry.value.view()) +
                             (end.empty() ? std::string(eol) : std::string(end));
            changed[line] = 1;
        }
        std::string added;
        for (std::size_t e = 0; e < now.entries.size(); ++e)
            if (used[e] == 0) added += entry_line(now.entries[e]);
        after[block.entry_lines.back()] = std::move(added);
    }
    std::string out;
    out.reserve(old.size());
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (changed[i] == 1)
            out += replaced[i];
        else if (changed[i] == 0)
            out += lines[i];
        if (!after[i].empty()) {
            if (!out.empty() && out.back() != '\n') out += eol;
            out += after[i];
        }
    }
    for (std::size_t s = 0; s < sections_.size(); ++s) {
        if (matched[s] != 0 || sections_[s].entries.empty()) continue;
        if (!out.empty() && out.back() != '\n') out += eol;
        out += "[";
        out += sections_[s].name.view();
        out += "]";
        out += eol;
        for (std::size_t e = 0; e < sections_[s].entries.size(); ++e)
            out += entry_line(sections_[s].entries[e]);
    }
    return out;
}

namespace {

// Copy names mapped to the shipped files they were made from.
std::vector<std::pair<std::string, std::string>>& shipped_files() {
    static std::vector<std::pair<std::string, std::string>> files;
    return files;
}

const std::string* shipped_for(const RtString& copy) {
    for (const auto& [from, shipped] : shipped_files())
        if (from == copy.view()) return &shipped;
    return nullptr;
}

} // namespace

void ini_set_shipped(const RtString& copy, const RtString& shipped) {
    for (auto& entry : shipped_files())
        if (entry.first == copy.view()) {
            entry.second = shipped.str();
            return;
        }
    shipped_files().emplace_back(copy.str(), shipped.str());
}

void IniStore::add_shipped_lines() {
    const std::string* shipped_name = shipped_for(file_name_);
    if (shipped_name == nullptr) return;
    IniStore shipped, merged;
    if (!shipped.load(RtString::from_std(*shipped_name))) return;
    ini_merge_shipped(shipped, *this, &merged);
    sections_ = std::move(merged.sections_);
}

void IniStore::log_unsaved(const char* why) {
    if (unsaved_logged_ != 0) return;
    unsaved_logged_ = 1;
    rt_log(RtString("settings: cannot write ") + file_name_ + ": " + why +
           "; the changes are kept for this run only");
}

// The file as it is now with this store's changes made over it, and the
// shipped lines a copy lacks; false when it is there but cannot be read, so
// that nothing is written over it.
bool IniStore::read_current(IniStore* current, std::string* bytes) {
    current->file_name_ = file_name_;
    const PlatFileCheck check = plat_read_file_checked(file_name_.str(), bytes, kIniMaxBytes);
    if (check == PlatFileCheck::kMissing) {
        // Gone since it was read: what this store holds is all there is.
        bytes->clear();
        current->sections_ = sections_;
        return true;
    }
    if (check != PlatFileCheck::kOk) return false;
    if (cleared_ == 0) {
        current->load_text(*bytes);
        current->add_shipped_lines();
    }
    for (const Change& change : changes_)
        current->apply(change.section, change.key, change.value);
    return true;
}

void IniStore::flush() {
    if (modified_ == 0 || file_name_.empty()) return;
    if (changes_.empty() && cleared_ == 0) return; // saved already
    IniStore current;
    std::string old;
    if (load_refused_ != 0 || !read_current(&current, &old)) {
        log_unsaved("it could not be read");
        return;
    }
    // Written beside the old file and renamed over it, so a failure leaves the
    // previous settings in place rather than a truncated file.
    const char* why = nullptr;
    // The file's own lines are edited in place, so that its comments, blank
    // lines, order and line ends stay; a new or emptied file is written anew.
    const std::string text = old.empty() || cleared_ != 0 ? current.text() : current.text_over(old);
    if (!plat_write_file_atomic(file_name_.str(), text, &why)) {
        log_unsaved(why);
        return;
    }
    sections_ = std::move(current.sections_);
    changes_.clear();
    cleared_ = 0;
    unsaved_logged_ = 0;
}

void IniStore::reset() {
    sections_.clear();
    modified_ = 0;
    load_refused_ = 0;
    changes_.clear();
    cleared_ = 0;
}

void IniStore::clear() {
    reset();
    cleared_ = 1;
}

void IniStore::open(const RtString& file_name) {
    flush();
    RtString resolved;
    if (!rt_media_lookup(file_name, &resolved)) resolved = file_name;
    // What could not be saved stays with its file while the game runs.
    std::vector<Change> unsaved;
    const bool same_file = resolved.view() == file_name_.view();
    if (same_file && modified_ != 0) unsaved.swap(changes_);
    const unsigned char logged = same_file ? unsaved_logged_ : 0;
    reset();
    file_name_ = resolved;
    // A missing file leaves the store empty under the new name, so that later
    // writes create it.
    load(file_name_);
    add_shipped_lines();
    for (const Change& change : unsaved)
        put(change.section, change.key, change.value);
    unsaved_logged_ = logged;
}

const IniSection* IniStore::find_section(const RtString& name) const {
    for (std::size_t i = 0; i < sections_.size(); ++i)
        if (same_name(sections_[i].name.view(), name.view())) return &sections_[i];
    return nullptr;
}

RtString IniStore::get(const RtString& section, const RtString& key) const {
    const IniSection* found = find_section(section);
    if (found != nullptr) {
        for (std::size_t i = 0; i < found->entries.size(); ++i)
            if (same_name(found->entries[i].key.view(), key.view())) return found->entries[i].value;
    }
    return RtString("NO_DATA");
}

void IniStore::apply(const RtString& section, const RtString& key, const RtString& value) {
    std::size_t s = 0;
    while (s < sections_.size() && !same_name(sections_[s].name.view(), section.view()))
        ++s;
    if (key.empty()) {
        // Removing a section is a change like any other and must reach the disk.
        if (s < sections_.size()) {
            sections_.remove_at(s);
            modified_ = 1;
        }
        return;
    }
    if (s == sections_.size()) {
        IniSection added;
        added.name = section;
        sections_.append(std::move(added));
    }
    auto& entries = sections_[s].entries;
    std::size_t e = 0;
    while (e < entries.size() && !same_name(entries[e].key.view(), key.view()))
        ++e;
    modified_ = 1;
    if (e == entries.size())
        entries.append(IniEntry{key, value});
    else if (!value.empty())
        entries[e].value = value;
    else
        entries.remove_at(e);
}

void IniStore::put(const RtString& section, const RtString& key, const RtString& value) {
    // A value the store already holds changes nothing, so the file is not
    // rewritten for it.
    if (!key.empty() && !value.empty() && get(section, key) == value) return;
    apply(section, key, value);
    changes_.push_back(Change{section, key, value});
}

void IniStore::append_section(IniSection section) {
    sections_.append(std::move(section));
}

namespace {

// The global store writes itself back when the program's static state is torn
// down, which std::exit in rt_end does after a normal end and a fatal error.
struct GlobalIniStore {
    IniStore store;
    ~GlobalIniStore() { store.flush(); }
};

} // namespace

IniStore& ini_global_store() {
    static GlobalIniStore global;
    return global.store;
}

void ini_open(const RtString& file_name) {
    ini_global_store().open(file_name);
}

RtString ini_get(const RtString& section, const RtString& key) {
    return ini_global_store().get(section, key);
}

void ini_put(const RtString& section, const RtString& key, const RtString& value) {
    ini_global_store().put(section, key, value);
}
