// rtini_merge.cpp: bringing what a newer shipped settings file has into the
// player's own copy, keeping every value the player chose.
//
// A page's lines are the keys "<n>name", "<n>type", "<n>value". The merged
// page has the shipped page's lines in the shipped order and numbering; a
// line keeps the player's value when the player's page has a line of the
// same name, so new lines appear where the shipped file puts them and a line
// that moved (such as "Back" staying last) keeps the player's choice.
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

// One section as the store keeps it once written (one entry per key, later
// writes of a key replacing or removing it), with its keys indexed.
struct IndexedSection {
    IniSection section;
    std::unordered_map<std::string, std::size_t> keys; // folded key -> entry

    // The store's rules for a write, in constant time.
    void put(const IniEntry& entry) {
        auto& entries = section.entries;
        const std::string key = folded(entry.key.view());
        const auto found = keys.find(key);
        if (found == keys.end()) {
            keys.emplace(key, entries.size());
            entries.append(entry);
        } else if (!entry.value.empty()) {
            entries[found->second].value = entry.value;
        } else {
            // The last entry moves into the gap, as the store removes.
            const std::size_t gap = found->second;
            keys.erase(found);
            if (gap + 1 != entries.size())
                keys[folded(entries[entries.size() - 1].key.view())] = gap;
            entries.remove_at(gap);
        }
    }
    const IniEntry* find(std::string_view key) const {
        const auto found = keys.find(folded(key));
        return found == keys.end() ? nullptr : &section.entries[found->second];
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
            sections.back().section.name = name;
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

    explicit PageLines(const IniSection& page) {
        for (std::size_t i = 0; i < page.entries.size(); ++i) {
            std::string_view number, field;
            const IniEntry& e = page.entries[i];
            if (!split_line_key(e.key.view(), &number, &field) || !same_key(field, "name"))
                continue;
            auto& same_name = numbers[e.value.str()];
            occurrence.emplace(std::string(number), static_cast<int>(same_name.size()));
            same_name.emplace_back(number);
        }
    }
};

struct PageView {
    const IndexedSection& section;
    const PageLines& lines;
};

// One shipped entry with the player's value where the player has one.
RtString merged_value(const PageView& shipped, const PageView& player, const IniEntry& entry) {
    std::string_view number, field;
    if (!split_line_key(entry.key.view(), &number, &field)) {
        const IniEntry* own = player.section.find(entry.key.view());
        return own != nullptr ? own->value : entry.value;
    }
    if (!same_key(field, "value")) return entry.value;
    const IniEntry* name = shipped.section.find(std::string(number) + "name");
    if (name == nullptr) return entry.value;
    const auto at = shipped.lines.occurrence.find(std::string(number));
    const auto own_lines = player.lines.numbers.find(name->value.str());
    if (at == shipped.lines.occurrence.end() || own_lines == player.lines.numbers.end() ||
        at->second >= static_cast<int>(own_lines->second.size()))
        return entry.value;
    const IniEntry* own = player.section.find(own_lines->second[at->second] + "value");
    return own != nullptr ? own->value : entry.value;
}

IniSection merge_section(const IndexedSection& shipped, const IndexedSection& player) {
    const PageLines shipped_lines(shipped.section), player_lines(player.section);
    const PageView shipped_view{shipped, shipped_lines}, player_view{player, player_lines};
    IniSection out;
    out.name = shipped.section.name;
    const auto& entries = shipped.section.entries;
    for (std::size_t i = 0; i < entries.size(); ++i)
        out.entries.append(
            IniEntry{entries[i].key, merged_value(shipped_view, player_view, entries[i])});
    // Keys of the player's own that are not lines stay as they are.
    std::string_view number, field;
    for (std::size_t i = 0; i < player.section.entries.size(); ++i) {
        const IniEntry& e = player.section.entries[i];
        if (!split_line_key(e.key.view(), &number, &field) && shipped.find(e.key.view()) == nullptr)
            out.entries.append(e);
    }
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
        const IndexedSection* own = player.find(section.section.name);
        merged->append_section(own != nullptr ? merge_section(section, *own) : section.section);
    }
    // Sections the shipped file does not have (a progress record, say) stay.
    for (const IndexedSection& section : player.sections)
        if (shipped.find(section.section.name) == nullptr) merged->append_section(section.section);
}
