// rtini.h: the settings store behind ini_open / ini_get / ini_put, for use
// inside the runtime and by readers of description files in the same format
// (which load a local store and look values up; they never write it).
#pragma once

#include "runtime/rtstring.h"

#include <cstddef>
#include <string_view>
#include <vector>

// A list that starts at a fixed capacity and grows by a fixed step, and
// removes by moving its last element into the gap (so order is not kept).
// Past eight times its first capacity (far beyond any settings file the game
// writes) it grows by half its size instead, so that reading a damaged,
// huge file takes time in proportion to its size rather than its square.
template <class T, std::size_t Initial, std::size_t Step> class IniList {
  public:
    void append(T item) {
        const std::size_t capacity = items_.capacity();
        if (items_.size() == capacity)
            items_.reserve(capacity == 0            ? Initial
                           : capacity < 8 * Initial ? capacity + Step
                                                    : capacity + capacity / 2);
        items_.push_back(std::move(item));
    }
    void remove_at(std::size_t i) {
        if (i + 1 != items_.size()) items_[i] = std::move(items_.back());
        items_.pop_back();
    }
    void clear() { std::vector<T>().swap(items_); }
    std::size_t size() const { return items_.size(); }
    bool empty() const { return items_.empty(); }
    std::size_t capacity() const { return items_.capacity(); }
    T& operator[](std::size_t i) { return items_[i]; }
    const T& operator[](std::size_t i) const { return items_[i]; }

  private:
    std::vector<T> items_;
};

struct IniEntry {
    RtString key;
    RtString value;
};

struct IniSection {
    RtString name;
    IniList<IniEntry, 512, 128> entries;
};

// The largest settings file read: the game's own is two kilobytes, and a
// file thirty times larger is damage that would only slow every start.
inline constexpr std::size_t kIniMaxBytes = 64u << 10;

class IniStore {
  public:
    // Parses the named file and appends its sections to the store; false when
    // the file cannot be read (the store is left as it was). A file that is
    // there but refused (no plain file, larger than kIniMaxBytes) is logged,
    // and flush then never writes over it.
    bool load(const RtString& file_name);
    // Parses text in the file's format and appends its sections.
    void load_text(std::string_view text);
    // Saves what this store changed since it was opened: the file is read
    // again and the changes are made over what it holds now (another copy of
    // the game may have saved meanwhile), then it is replaced in one step.
    // A write that fails or is refused is logged once and the changes stay
    // in memory; the old file stays intact.
    void flush();
    // Writes back the current file if modified, empties the store and loads
    // the named file (a missing file gives an empty store that keeps the name).
    // Changes that could not be saved stay when the same file is opened again.
    void open(const RtString& file_name);
    // Empties the store; a later flush writes the file afresh with only what
    // is put after this.
    void clear();

    // The first matching section, or null (names compare without ASCII case).
    const IniSection* find_section(const RtString& name) const;
    // The value of the first matching key in the first matching section, or
    // "NO_DATA".
    RtString get(const RtString& section, const RtString& key) const;
    // Set, add or remove in memory (an empty value removes the key, an empty
    // key removes the whole section).
    void put(const RtString& section, const RtString& key, const RtString& value);
    // Appends a whole section as it is (for builders such as the merge).
    void append_section(IniSection section);

    // The file's text as flush writes a new file.
    std::string text() const;
    // The store's contents written over old, a file's text: every line of old
    // whose entry is unchanged, and every comment and blank line, stays as it
    // is; a changed value is set on its own line, a removed entry's line goes,
    // a new key follows the last entry of its section and a new section goes
    // at the end, with the line ends old uses.
    std::string text_over(std::string_view old) const;

    std::size_t section_count() const { return sections_.size(); }
    const IniSection& section(std::size_t i) const { return sections_[i]; }
    const RtString& file_name() const { return file_name_; }
    bool modified() const { return modified_ != 0; }

  private:
    struct Change {
        RtString section, key, value;
    };
    void apply(const RtString& section, const RtString& key, const RtString& value);
    void reset();
    void add_shipped_lines();
    bool read_current(IniStore* current, std::string* bytes);
    // Where load_text found each section it stored: its header line (-1 for
    // none of its own) and its entries' lines, counted from 0.
    struct Layout {
        struct Block {
            long header = -1;
            std::vector<std::size_t> entry_lines;
        };
        std::vector<Block> blocks;
    };
    void parse(std::string_view text, Layout* layout);
    void log_unsaved(const char* why);

    IniList<IniSection, 512, 128> sections_;
    RtString file_name_;
    unsigned char modified_ = 0;
    unsigned char load_refused_ = 0;
    // What this store changed since it was opened, in order, and whether it
    // was emptied first; a save replays them over the file as it is then.
    std::vector<Change> changes_;
    unsigned char cleared_ = 0;
    unsigned char unsaved_logged_ = 0;
};

// The shipped settings file a player's copy was made from. A store opened on
// the copy reads the shipped pages and lines in memory for whatever the copy
// lacks, whatever state the copy is in (cut short, unreadable, too large).
void ini_set_shipped(const RtString& copy, const RtString& shipped);

// The global store that ini_open / ini_get / ini_put work on.
IniStore& ini_global_store();

// The shipped settings brought into the player's copy: the shipped sections
// in the shipped order, each page's lines as shipped with the player's value
// wherever the player's page has a line of the same name (and the player's
// value of every other shared key); sections only the player has are kept.
void ini_merge_shipped(const IniStore& shipped, const IniStore& player, IniStore* merged);
