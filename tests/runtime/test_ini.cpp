// Settings store: the INI grammar with its quirks, the written format, the
// set/add/remove rules of ini_put, and write-back that never loses the old file.
#include "runtime/rtini.h"
#include "runtime/runtime.h"

#include "temp_dir_fixture.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/resource.h>

namespace {

// Flushes the global store while no file may grow beyond 16 bytes, then
// exits with 0 when the file still holds its original text.
[[noreturn]] void flush_under_size_limit(const fs::path& file, const std::string& original) {
    std::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{16, 16};
    setrlimit(RLIMIT_FSIZE, &limit);
    ini_global_store().flush();
    std::_Exit(read_text(file) == original ? 0 : 1);
}

class IniFileTest : public TempDirTest {
  protected:
    void TearDown() override {
        // Leave the global store clean for the next test in this process.
        ini_open(name("unused.ini"));
        ini_open(RtString(""));
        TempDirTest::TearDown();
    }
};

struct GrammarCase {
    const char* text;
    const char* section;
    const char* key;
    const char* expected;
};

// Short, printable test names: the file text with its controls escaped.
void PrintTo(const GrammarCase& c, std::ostream* out) {
    for (const char* p = c.text; *p != '\0'; ++p) {
        const unsigned char b = static_cast<unsigned char>(*p);
        if (b < 32 || b > 126)
            *out << "\\x" << std::hex << static_cast<int>(b) << std::dec;
        else
            *out << *p;
    }
    *out << " -> " << c.section << "/" << c.key;
}

class IniGrammar : public ::testing::TestWithParam<GrammarCase> {};

TEST_P(IniGrammar, ReadsValue) {
    const GrammarCase& c = GetParam();
    IniStore store;
    store.load_text(c.text);
    EXPECT_EQ(store.get(c.section, c.key).str(), c.expected) << "file text: " << c.text;
}

INSTANTIATE_TEST_SUITE_P(
    Quirks, IniGrammar,
    ::testing::Values(GrammarCase{"[a]\nname=Bob\n", "a", "name", "Bob"},
                      GrammarCase{"[a]\nname Bob\n", "a", "name", "Bob"},
                      GrammarCase{"[a]\nname = Bob\n", "a", "name", "= Bob"},
                      GrammarCase{"[a]\nname\tBob\n", "a", "name", "Bob"},
                      GrammarCase{"[a]\nname=  \t Bob\n", "a", "name", "Bob"},
                      GrammarCase{"[a]\n  \t name=Bob\n", "a", "name", "Bob"},
                      GrammarCase{"[a]\r\nname=Bob\r\n", "a", "name", "Bob"},
                      GrammarCase{"[a]\nname=Bob", "a", "name", "Bob"},
                      GrammarCase{"[a]\n;name=Bob\n", "a", "name", "NO_DATA"},
                      GrammarCase{"[a]\n  ;name=Bob\n", "a", "name", "NO_DATA"},
                      GrammarCase{"[a]\nname=Bob ; not a comment\n", "a", "name",
                                  "Bob ; not a comment"},
                      GrammarCase{"[a]\nname=\n", "a", "name", "NO_DATA"},
                      GrammarCase{"[a]\nname=   \n", "a", "name", "NO_DATA"},
                      GrammarCase{"[a]\nname\n", "a", "name", "NO_DATA"},
                      GrammarCase{"[a]\nname=\x04\n", "a", "name", "NO_DATA"},
                      GrammarCase{"s \x04", "", "s", "NO_DATA"},
                      GrammarCase{"[a]\nname=Bob  \n", "a", "name", "Bob  "},
                      GrammarCase{"[a]\nname=Bob\t\n", "a", "name", "Bob"},
                      GrammarCase{"[a]\nname=Bob\xC3\xA9\n", "a", "name", "Bob"},
                      GrammarCase{"[a]\nname=Bob\x01\x1F \x02\n", "a", "name", "Bob\x01\x1F "},
                      GrammarCase{"[Key Config]\nup=200\n", "Key", "up", "200"},
                      GrammarCase{"[Key Config]\nup=200\n", "Key Config", "up", "NO_DATA"},
                      GrammarCase{"[ Options ] tail\nmode=1\n", "Options", "mode", "1"},
                      GrammarCase{"[Options\nmode=1\n", "Options", "mode", "1"},
                      GrammarCase{"[OPTIONS]\nMode=3\n", "options", "MODE", "3"},
                      GrammarCase{"[a]\nk=1\nk=2\n", "a", "k", "1"},
                      GrammarCase{"[a]\nx=1\n[A]\nx=2\ny=3\n", "a", "x", "1"},
                      GrammarCase{"[a]\nx=1\n[A]\nx=2\ny=3\n", "A", "y", "NO_DATA"},
                      GrammarCase{"x=1\n[b]\ny=2\n", "", "x", "1"},
                      GrammarCase{"[a]\nk=1\n", "a", "missing", "NO_DATA"},
                      GrammarCase{"", "a", "k", "NO_DATA"}));

TEST(IniStoreShape, HeaderWithoutEntriesMakesNoSection) {
    IniStore store;
    store.load_text("[a]\n[b]\nk=1\n[c]\n; only a comment\n");
    ASSERT_EQ(store.section_count(), 1u);
    EXPECT_EQ(store.section(0).name.str(), "b");
}

TEST(IniStoreShape, EmptyHeaderKeepsTheCurrentName) {
    IniStore store;
    store.load_text("[a]\nk=1\n[]\nj=2\n");
    ASSERT_EQ(store.section_count(), 2u);
    EXPECT_EQ(store.section(1).name.str(), "a");
    // Only the first section of a name is ever searched.
    EXPECT_EQ(store.get("a", "j").str(), "NO_DATA");
}

TEST(IniStoreShape, OverlongLineIsCut) {
    IniStore store;
    store.load_text("[a]\nk=" + std::string(3000, 'x') + "\nnext=1\n");
    EXPECT_EQ(store.get("a", "k").length(), 1021u);
    EXPECT_EQ(store.get("a", "next").str(), "1");
}

TEST_F(IniFileTest, WritesSectionsAndEntriesWithCrLfAndNoSpaces) {
    ini_open(name("new.ini"));
    EXPECT_EQ(ini_get("Options", "mode").str(), "NO_DATA");
    ini_put("Options", "mode", "2");
    ini_put("keyconfig1", "up", "200");
    ini_put("OPTIONS", "Repeat", "1 2 ");
    ini_open(name("other.ini"));
    EXPECT_EQ(read_text(dir_ / "new.ini"),
              "[Options]\r\nmode=2\r\nRepeat=1 2 \r\n[keyconfig1]\r\nup=200\r\n");
}

TEST_F(IniFileTest, HandEditedFileRoundTrips) {
    write_text(dir_ / "hand.ini", "; settings\n\n[options]\nmode = 2\nrepeat 5\n"
                                  "empty=\n[keys]\n  up=200\r\nname=A;B  \n");
    ini_open(name("hand.ini"));
    ini_put("options", "camera", "1");
    ini_open(name("hand.ini")); // writes first, then reads back
    // The hand-made lines stay as written; the new key follows the last entry.
    EXPECT_EQ(read_text(dir_ / "hand.ini"),
              "; settings\n\n[options]\nmode = 2\nrepeat 5\ncamera=1\n"
              "empty=\n[keys]\n  up=200\r\nname=A;B  \n");
    EXPECT_EQ(ini_get("options", "mode").str(), "= 2");
    EXPECT_EQ(ini_get("keys", "name").str(), "A;B  ");
    EXPECT_EQ(ini_get("options", "camera").str(), "1");
}

TEST_F(IniFileTest, UnchangedStoreIsNotWritten) {
    write_text(dir_ / "keep.ini", "[a]\nk = v\n");
    ini_open(name("keep.ini"));
    EXPECT_EQ(ini_get("a", "k").str(), "= v");
    ini_open(name("other.ini"));
    EXPECT_EQ(read_text(dir_ / "keep.ini"), "[a]\nk = v\n");
}

TEST_F(IniFileTest, EmptyValueRemovesKeyAndItsLine) {
    write_text(dir_ / "s.ini", "[a]\nk1=1\nk2=2\nk3=3\n");
    ini_open(name("s.ini"));
    ini_put("a", "K1", "");
    EXPECT_EQ(ini_get("a", "k1").str(), "NO_DATA");
    ini_open(name("other.ini"));
    EXPECT_EQ(read_text(dir_ / "s.ini"), "[a]\nk2=2\nk3=3\n");
}

TEST_F(IniFileTest, EmptyValueForMissingKeyIsKeptUntilReload) {
    ini_open(name("s.ini"));
    ini_put("a", "k", "1");
    ini_put("a", "blank", "");
    EXPECT_EQ(ini_get("a", "blank").str(), "");
    ini_open(name("s.ini"));
    EXPECT_EQ(ini_get("a", "blank").str(), "NO_DATA");
    EXPECT_EQ(ini_get("a", "k").str(), "1");
}

TEST_F(IniFileTest, SetReplacesValueAndKeepsFirstSeenName) {
    ini_open(name("s.ini"));
    ini_put("Options", "Mode", "1");
    ini_put("options", "MODE", "4");
    EXPECT_EQ(ini_get("OPTIONS", "mode").str(), "4");
    ini_open(name("other.ini"));
    EXPECT_EQ(read_text(dir_ / "s.ini"), "[Options]\r\nMode=4\r\n");
}

TEST_F(IniFileTest, EmptyKeyRemovesWholeSectionAndReachesDisk) {
    write_text(dir_ / "s.ini", "[a]\nk=1\n[b]\nk=2\n[c]\nk=3\n");
    ini_open(name("s.ini"));
    ini_put("A", "", "");
    ini_put("missing", "", "");
    ini_open(name("other.ini"));
    // The removal alone marks the store changed; the others keep their order.
    EXPECT_EQ(read_text(dir_ / "s.ini"), "[b]\nk=2\n[c]\nk=3\n");
}

TEST_F(IniFileTest, RemovingMissingSectionChangesNothing) {
    write_text(dir_ / "s.ini", "[a]\nk = 1\n");
    ini_open(name("s.ini"));
    ini_put("b", "", "");
    ini_open(name("other.ini"));
    EXPECT_EQ(read_text(dir_ / "s.ini"), "[a]\nk = 1\n");
}

TEST_F(IniFileTest, FailedWriteBackKeepsTheOldFileAndLogs) {
    const std::string original = "[a]\r\nk=" + std::string(200, 'o') + "\r\n";
    write_text(dir_ / "s.ini", original);
    ini_open(name("s.ini"));
    ini_put("a", "k", "changed");
    ini_put("a", "more", std::string(300, 'n').c_str());
    // A file-size limit makes every write beyond 16 bytes fail, also for root.
    EXPECT_EXIT(flush_under_size_limit(dir_ / "s.ini", original), ::testing::ExitedWithCode(0), "");
    EXPECT_EQ(read_text(dir_ / "s.ini"), original);
    // A target whose directory is a plain file cannot be written either; the
    // failure is logged with the subsystem named.
    write_text(dir_ / "plain", "x");
    ini_open(name("plain/s.ini"));
    ini_put("a", "k", "1");
    ini_global_store().flush();
    EXPECT_NE(read_text(dir_ / "ErrorLog.txt").find("settings: cannot write"), std::string::npos);
    EXPECT_EQ(read_text(dir_ / "plain"), "x");
}

// Two copies of the game on one settings file: each save makes only its own
// changes, over what the file holds at that moment.
TEST_F(IniFileTest, TwoStoresOnOneFileKeepBothChanges) {
    write_text(dir_ / "s.ini", "[keyconfig1]\n1value=K200\n2value=K208\n[options]\n3value=0\n");
    IniStore a, b;
    a.open(name("s.ini"));
    b.open(name("s.ini"));
    a.put("keyconfig1", "1value", "K17");
    b.put("options", "3value", "1");
    b.put("keyconfig1", "2value", "");
    a.flush();
    b.flush();
    IniStore file;
    file.load(name("s.ini"));
    EXPECT_EQ(file.text(), "[keyconfig1]\r\n1value=K17\r\n[options]\r\n3value=1\r\n");
    // A save with nothing new leaves the other copy's later change alone.
    a.put("options", "4value", "2");
    a.flush();
    b.flush();
    file.clear();
    file.load(name("s.ini"));
    EXPECT_EQ(file.get("options", "4value").str(), "2");
}

// A save edits the file's own lines: comments, blank lines, order and the
// file's line ends stay, whatever else changes.
struct EditCase {
    const char* before;
    const char* section;
    const char* key;
    const char* value;
    const char* after;
};

class IniEditInPlace : public TempDirTest, public ::testing::WithParamInterface<EditCase> {};

TEST_P(IniEditInPlace, WritesExactly) {
    const EditCase& c = GetParam();
    write_text(dir_ / "s.ini", c.before);
    IniStore store;
    store.open(name("s.ini"));
    store.put(c.section, c.key, c.value);
    store.flush();
    EXPECT_EQ(read_text(dir_ / "s.ini"), c.after);
}

INSTANTIATE_TEST_SUITE_P(
    Edits, IniEditInPlace,
    ::testing::Values(
        // A changed value keeps its line's place, indent and separator.
        EditCase{"; top\n\n[a]\n#note\n  K=1\n\nm = x\n[b]\nk=2\n", "a", "k", "5",
                 "; top\n\n[a]\n#note\n  K=5\n\nm = x\n[b]\nk=2\n"},
        EditCase{"; top\r\n\r\n[a]\r\nk=1\r\nm = x\r\n\r\n[b]\r\nk=2\r\n", "A", "m", "7",
                 "; top\r\n\r\n[a]\r\nk=1\r\nm 7\r\n\r\n[b]\r\nk=2\r\n"},
        // A new key follows its section's last entry, in the file's line end.
        EditCase{"[a]\r\nk=1\r\n\r\n; b next\r\n[b]\r\nj=2\r\n", "a", "new", "3",
                 "[a]\r\nk=1\r\nnew=3\r\n\r\n; b next\r\n[b]\r\nj=2\r\n"},
        EditCase{"[a]\nk=1\n\n[b]\nj=2\n", "b", "new", "3", "[a]\nk=1\n\n[b]\nj=2\nnew=3\n"},
        // A new section goes at the end, after the last line is ended.
        EditCase{"; mine\n[a]\nk=1", "c", "x", "1", "; mine\n[a]\nk=1\n[c]\nx=1\n"},
        EditCase{"[a]\r\nk=1\r\n; end\r\n", "c", "x", "1", "[a]\r\nk=1\r\n; end\r\n[c]\r\nx=1\r\n"},
        // A removed key's line goes, and a removed section's header with it;
        // the comments stay.
        EditCase{"[a]\n; keep\nk=1\nj=2\n", "a", "k", "", "[a]\n; keep\nj=2\n"},
        EditCase{"[a]\r\n; about a\r\nk=1\r\n\r\n[b]\r\nj=2\r\n", "a", "", "",
                 "; about a\r\n\r\n[b]\r\nj=2\r\n"}));

} // namespace
