// ini.cpp (fuzz): settings text through the parser. A store written out and
// read back must write the same text again, or saving the settings would
// change them; and the merge of a shipped file into a player's copy.
#include "fuzz_support.h"
#include "runtime/rtini.h"

#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    IniStore store;
    store.load_text(std::string_view(reinterpret_cast<const char*>(data), size));
    for (std::size_t s = 0; s < store.section_count(); ++s) {
        const IniSection& section = store.section(s);
        for (std::size_t e = 0; e < section.entries.size(); ++e)
            (void)store.get(section.name, section.entries[e].key);
    }
    const std::string written = store.text();
    IniStore again;
    again.load_text(written);
    if (again.text() != written) __builtin_trap();
    // Changing every value and removing every key keeps the store consistent.
    for (std::size_t s = 0; s < again.section_count() && s < 8; ++s) {
        const RtString name = again.section(s).name;
        if (again.section(s).entries.size() == 0) continue;
        const RtString key = again.section(s).entries[0].key;
        again.put(name, key, RtString("1"));
        again.put(name, key, RtString());
    }
    // The same changes written over the input, as a save edits the file in
    // place.
    {
        const std::string_view input(reinterpret_cast<const char*>(data), size);
        IniStore edited;
        edited.load_text(input);
        for (std::size_t s = 0; s < edited.section_count() && s < 8; ++s) {
            const RtString name = edited.section(s).name;
            const std::size_t count = edited.section(s).entries.size();
            if (count == 0) continue;
            const RtString first = edited.section(s).entries[0].key;
            const RtString last = edited.section(s).entries[count - 1].key;
            edited.put(name, last, RtString());
            if (count > 1) edited.put(name, first, RtString("2"));
            if (s % 3 == 2) edited.put(name, RtString(), RtString());
        }
        edited.put(RtString("added"), RtString("k"), RtString("1"));
        // Read back, the edited file holds what a file written afresh holds
        // (which cannot hold entries before the first header: it names their
        // section "[]", which reads as the section before).
        bool unnamed = false;
        for (std::size_t s = 0; s < edited.section_count(); ++s)
            unnamed = unnamed || edited.section(s).name.empty();
        IniStore reread, afresh;
        reread.load_text(edited.text_over(input));
        afresh.load_text(edited.text());
        for (const IniStore* keys : {&reread, &afresh})
            if (!unnamed)
                for (std::size_t s = 0; s < keys->section_count(); ++s) {
                    const IniSection& section = keys->section(s);
                    for (std::size_t e = 0; e < section.entries.size(); ++e)
                        if (reread.get(section.name, section.entries[e].key) !=
                            afresh.get(section.name, section.entries[e].key))
                            __builtin_trap();
                }
    }
    // The first half as a shipped file merged into the second as a player's
    // copy: merging again changes nothing, or the copy would be rewritten at
    // every start.
    IniStore shipped, player, merged, twice;
    shipped.load_text(std::string_view(reinterpret_cast<const char*>(data), size / 2));
    player.load_text(
        std::string_view(reinterpret_cast<const char*>(data) + size / 2, size - size / 2));
    ini_merge_shipped(shipped, player, &merged);
    ini_merge_shipped(shipped, merged, &twice);
    if (twice.text() != merged.text()) __builtin_trap();
    return 0;
}
