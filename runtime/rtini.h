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
template <class T, std::size_t Initial, std::size_t Step> class IniList {
  public:
    void append(T item) {
        if (items_.size() == items_.capacity())
            items_.reserve(items_.capacity() == 0 ? Initial : items_.capacity() + Step);
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

class IniStore {
  public:
    // Parses the named file and appends its sections to the store; false when
    // the file cannot be read (the store is left as it was). A file that is
    // there but refused (no plain file, too large) is logged, and flush then
    // never writes over it.
    bool load(const RtString& file_name);
    // Parses text in the file's format and appends its sections.
    void load_text(std::string_view text);
    // Writes the whole store back to file_name when modified; the old file
    // stays intact when the write fails.
    void flush();
    // Writes back the current file if modified, empties the store and loads
    // the named file (a missing file gives an empty store that keeps the name).
    void open(const RtString& file_name);
    void clear();

    // The first matching section, or null (names compare without ASCII case).
    const IniSection* find_section(const RtString& name) const;
    // The value of the first matching key in the first matching section, or
    // "NO_DATA".
    RtString get(const RtString& section, const RtString& key) const;
    // Set, add or remove in memory (an empty value removes the key, an empty
    // key removes the whole section).
    void put(const RtString& section, const RtString& key, const RtString& value);

    // The file's text as flush writes it.
    std::string text() const;

    std::size_t section_count() const { return sections_.size(); }
    const IniSection& section(std::size_t i) const { return sections_[i]; }
    const RtString& file_name() const { return file_name_; }
    bool modified() const { return modified_ != 0; }

  private:
    IniList<IniSection, 512, 128> sections_;
    RtString file_name_;
    unsigned char modified_ = 0;
    unsigned char load_refused_ = 0;
};

// The global store that ini_open / ini_get / ini_put work on.
IniStore& ini_global_store();

// The shipped settings brought into the player's copy: the shipped sections
// in the shipped order, each page's lines as shipped with the player's value
// wherever the player's page has a line of the same name (and the player's
// value of every other shared key); sections only the player has are kept.
void ini_merge_shipped(const IniStore& shipped, const IniStore& player, IniStore* merged);
