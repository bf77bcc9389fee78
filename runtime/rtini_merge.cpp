// rtini_merge.cpp: bringing what a newer shipped settings file has into the
// player's own copy, keeping every value the player chose.
//
// A page's lines are the keys "<n>name", "<n>type", "<n>value" (and more
// values, such as a key line's "<n>pad"). The merged page has the shipped
// page's lines in the shipped order and numbering; a line keeps the player's
// values when the player's page has a line of the same name, so new lines
// appear where the shipped file puts them, a line that moved (such as "Back"
// staying last) keeps the player's choice, and a value new to a line (a pad
// binding beside a key) arrives without touching the player's others.
//
// Every lookup goes through a hash index, so the merge takes time in
// proportion to the files' size: it runs at every start and every opening of
// the settings, and a damaged copy may be large.
#include "runtime/rtini.h"

#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace {

// Keys compare without ASCII case, as the store looks them up.
std::string folded(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
    return out;
}

bool same_key(std::string_view a, std::string_view b) {
    return a.size() == b.size() && folded(a) == folded(b);
}

// The number and the field of a line key ("12value" is 12 and "value");
// false for keys that do not start with a digit.
bool split_line_key(std::string_view key, std::string_view* number, std::string_view* field) {
    std::size_t digits = 0;
    while (digits < key.size() && key[digits] >= '0' && key[digits] <= '9')
        ++digits;
    if (digits == 0 || digits == key.size()) return false;
    *number = key.substr(0, digits);
    *field = key.substr(digits);
    return true;
}

// One entry of an indexed section: the key as first written, the value as
// last written, both left where the input store holds them (every copy of a
// text costs an allocation, and a damaged file may hold many).
struct EntryRef {
    const RtString* key;
    const RtString* value;
};

// One section as the store keeps it once written (one entry per key, later
// writes of a key replacing or removing it), with its keys indexed.
struct IndexedSection {
    const RtString* name = nullptr;
    std::vector<EntryRef> entries;
    std::unordered_map<std::string, std::size_t> keys; // folded key -> entry

    // The store's rules for a write, in constant time.
    void put(const IniEntry& entry) {
        const std::string key = folded(entry.key.view());
        const auto found = keys.find(key);
        if (found == keys.end()) {
            keys.emplace(key, entries.size());
            entries.push_back(EntryRef{&entry.key, &entry.value});
        } else if (!entry.value.empty()) {
            entries[found->second].value = &entry.value;
        } else {
            // The last entry moves into the gap, as the store removes.
            const std::size_t gap = found->second;
            keys.erase(found);
            if (gap + 1 != entries.size()) {
                entries[gap] = entries.back();
                keys[folded(entries[gap].key->view())] = gap;
            }
            entries.pop_back();
        }
    }
    const RtString* find(std::string_view key) const {
        const auto found = keys.find(folded(key));
        return found == keys.end() ? nullptr : entries[found->second].value;
    }
    IniSection copy() const {
        IniSection out;
        out.name = *name;
        for (const EntryRef& e : entries)
            out.entries.append(IniEntry{*e.key, *e.value});
        return out;
    }
};

// A whole file the same way, its sections indexed by name.
struct IndexedStore {
    std::vector<IndexedSection> sections;
    std::unordered_map<std::string, std::size_t> names; // folded name -> section

    explicit IndexedStore(const IniStore& store) {
        for (std::size_t s = 0; s < store.section_count(); ++s) {
            const IniSection& from = store.section(s);
            // An entry without a key (a line "=x") cannot be put: an empty key
            // would remove the whole section.
            for (std::size_t e = 0; e < from.entries.size(); ++e)
                if (!from.entries[e].key.empty()) section_named(from.name).put(from.entries[e]);
        }
    }
    IndexedSection& section_named(const RtString& name) {
        const auto [at, added] = names.emplace(folded(name.view()), sections.size());
        if (added) {
            sections.emplace_back();
            sections.back().name = &name;
        }
        return sections[at->second];
    }
    const IndexedSection* find(const RtString& name) const {
        const auto found = names.find(folded(name.view()));
        return found == names.end() ? nullptr : &sections[found->second];
    }
};

// Where each line of a page stands among the lines of the same name: a page
// may repeat a name, and the k-th line of a name matches the k-th.
struct PageLines {
    std::unordered_map<std::string, int> occurrence;                   // number -> k
    std::unordered_map<std::string, std::vector<std::string>> numbers; // name -> numbers

    explicit PageLines(const IndexedSection& page) {
        for (const EntryRef& e : page.entries) {
            std::string_view number, field;
            if (!split_line_key(e.key->view(), &number, &field) || !same_key(field, "name"))
                continue;
            auto& same_name = numbers[e.value->str()];
            occurrence.emplace(std::string(number), static_cast<int>(same_name.size()));
            same_name.emplace_back(number);
        }
    }
};

struct PageView {
    const IndexedSection& section;
    const PageLines& lines;
};

// The name and type of a line belong to the shipped menu; every other field
// of it is a value the player may have chosen.
bool player_field(std::string_view field) {
    return !same_key(field, "name") && !same_key(field, "type");
}

// One shipped entry with the player's value where the player has one.
const RtString& merged_value(const PageView& shipped, const PageView& player,
                             const EntryRef& entry) {
    std::string_view number, field;
    if (!split_line_key(entry.key->view(), &number, &field)) {
        const RtString* own = player.section.find(entry.key->view());
        return own != nullptr ? *own : *entry.value;
    }
    if (!player_field(field)) return *entry.value;
    const RtString* name = shipped.section.find(std::string(number) + "name");
    if (name == nullptr) return *entry.value;
    const auto at = shipped.lines.occurrence.find(std::string(number));
    const auto own_lines = player.lines.numbers.find(name->str());
    if (at == shipped.lines.occurrence.end() || own_lines == player.lines.numbers.end() ||
        at->second >= static_cast<int>(own_lines->second.size()))
        return *entry.value;
    const RtString* own = player.section.find(own_lines->second[at->second] + std::string(field));
    return own != nullptr ? *own : *entry.value;
}

IniSection merge_section(const IndexedSection& shipped, const IndexedSection& player) {
    const PageLines shipped_lines(shipped), player_lines(player);
    const PageView shipped_view{shipped, shipped_lines}, player_view{player, player_lines};
    IniSection out;
    out.name = *shipped.name;
    for (const EntryRef& e : shipped.entries)
        out.entries.append(IniEntry{*e.key, merged_value(shipped_view, player_view, e)});
    // Keys of the player's own that are not lines stay as they are.
    std::string_view number, field;
    for (const EntryRef& e : player.entries)
        if (!split_line_key(e.key->view(), &number, &field) &&
            shipped.find(e.key->view()) == nullptr)
            out.entries.append(IniEntry{*e.key, *e.value});
    return out;
}

} // namespace

void ini_merge_shipped(const IniStore& shipped_file, const IniStore& player_file,
                       IniStore* merged) {
    // Both as the store keeps them once written: one section per name, one
    // entry per key; merging the result again then changes nothing.
    const IndexedStore shipped(shipped_file), player(player_file);
    merged->clear();
    for (const IndexedSection& section : shipped.sections) {
        const IndexedSection* own = player.find(*section.name);
        merged->append_section(own != nullptr ? merge_section(section, *own) : section.copy());
    }
    // Sections the shipped file does not have (a progress record, say) stay.
    for (const IndexedSection& section : player.sections)
        if (shipped.find(*section.name) == nullptr) merged->append_section(section.copy());
}
