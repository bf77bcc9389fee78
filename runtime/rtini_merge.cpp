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
#include "runtime/rtini.h"

#include <string>
#include <string_view>

namespace {

// Keys compare without ASCII case, as the store looks them up.
bool same_key(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const char x = a[i] >= 'A' && a[i] <= 'Z' ? static_cast<char>(a[i] + 32) : a[i];
        const char y = b[i] >= 'A' && b[i] <= 'Z' ? static_cast<char>(b[i] + 32) : b[i];
        if (x != y) return false;
    }
    return true;
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

const IniEntry* find_entry(const IniSection& section, std::string_view key) {
    for (std::size_t i = 0; i < section.entries.size(); ++i) {
        const IniEntry& e = section.entries[i];
        if (same_key(e.key.view(), key)) return &e;
    }
    return nullptr;
}

// How many lines before line `number` of the section have the same name: a
// page may repeat a name, and the k-th line of a name matches the k-th.
int occurrence(const IniSection& section, std::string_view number, const RtString& name) {
    int seen = 0;
    for (std::size_t i = 0; i < section.entries.size(); ++i) {
        std::string_view n, field;
        const IniEntry& e = section.entries[i];
        if (!split_line_key(e.key.view(), &n, &field) || !same_key(field, "name")) continue;
        if (n == number) return seen;
        if (e.value.view() == name.view()) ++seen;
    }
    return seen;
}

// The number of the player's line of this name and occurrence, or empty.
std::string player_line(const IniSection& player, const RtString& name, int wanted) {
    for (std::size_t i = 0; i < player.entries.size(); ++i) {
        std::string_view number, field;
        const IniEntry& e = player.entries[i];
        if (split_line_key(e.key.view(), &number, &field) && same_key(field, "name") &&
            e.value.view() == name.view() && wanted-- == 0)
            return std::string(number);
    }
    return std::string();
}

// The name and type of a line belong to the shipped menu; every other field
// of it is a value the player may have chosen.
bool player_field(std::string_view field) {
    return !same_key(field, "name") && !same_key(field, "type");
}

// One shipped entry with the player's value where the player has one.
RtString merged_value(const IniSection& shipped, const IniSection& player, const IniEntry& entry) {
    std::string_view number, field;
    if (!split_line_key(entry.key.view(), &number, &field)) {
        const IniEntry* own = find_entry(player, entry.key.view());
        return own != nullptr ? own->value : entry.value;
    }
    if (!player_field(field)) return entry.value;
    const IniEntry* name = find_entry(shipped, std::string(number) + "name");
    if (name == nullptr) return entry.value;
    const std::string own_number =
        player_line(player, name->value, occurrence(shipped, number, name->value));
    const IniEntry* own =
        own_number.empty() ? nullptr : find_entry(player, own_number + std::string(field));
    return own != nullptr ? own->value : entry.value;
}

// An entry without a key (a line "=x") cannot be put: an empty key would
// remove the whole section.
void merge_section(const IniSection& shipped, const IniSection& player, IniStore* out) {
    for (std::size_t i = 0; i < shipped.entries.size(); ++i) {
        const IniEntry& entry = shipped.entries[i];
        if (!entry.key.empty())
            out->put(shipped.name, entry.key, merged_value(shipped, player, entry));
    }
    // Keys of the player's own that are not lines stay as they are.
    std::string_view number, field;
    for (std::size_t i = 0; i < player.entries.size(); ++i) {
        const IniEntry& e = player.entries[i];
        if (!e.key.empty() && !split_line_key(e.key.view(), &number, &field) &&
            find_entry(shipped, e.key.view()) == nullptr)
            out->put(shipped.name, e.key, e.value);
    }
}

void copy_section(const IniSection& section, IniStore* out) {
    for (std::size_t i = 0; i < section.entries.size(); ++i)
        if (!section.entries[i].key.empty())
            out->put(section.name, section.entries[i].key, section.entries[i].value);
}

} // namespace

void ini_merge_shipped(const IniStore& shipped_file, const IniStore& player_file,
                       IniStore* merged) {
    // Both as the store keeps them once written: one section per name, one
    // entry per key; merging the result again then changes nothing.
    IniStore shipped, player;
    for (std::size_t s = 0; s < shipped_file.section_count(); ++s)
        copy_section(shipped_file.section(s), &shipped);
    for (std::size_t s = 0; s < player_file.section_count(); ++s)
        copy_section(player_file.section(s), &player);
    merged->clear();
    for (std::size_t s = 0; s < shipped.section_count(); ++s) {
        const IniSection& section = shipped.section(s);
        const IniSection* own = player.find_section(section.name);
        if (own != nullptr)
            merge_section(section, *own, merged);
        else
            copy_section(section, merged);
    }
    // Sections the shipped file does not have (a progress record, say) stay.
    for (std::size_t s = 0; s < player.section_count(); ++s)
        if (shipped.find_section(player.section(s).name) == nullptr)
            copy_section(player.section(s), merged);
}
