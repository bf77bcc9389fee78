// Files and platform built-ins: wildcard matching, directory listing, copies
// and deletes, the current directory, dialogs through a helper program,
// processes, platform information, atomic writes and the error log.
#include "platform/plat_files.h"
#include "runtime/runtime.h"

#include "temp_dir_fixture.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <sys/stat.h>

namespace {

class FilesTest : public TempDirTest {
  protected:
    void SetUp() override {
        TempDirTest::SetUp();
        saved_cwd_ = fs::current_path();
        const char* path = std::getenv("PATH");
        saved_path_ = path != nullptr ? path : "";
    }
    void TearDown() override {
        fs::current_path(saved_cwd_);
        setenv("PATH", saved_path_.c_str(), 1);
        TempDirTest::TearDown();
    }
    fs::path saved_cwd_;
    std::string saved_path_;
};

struct WildcardCase {
    const char* pattern;
    const char* name;
    double expected;
};

void print_escaped(const char* text, std::ostream* out) {
    for (const char* p = text; *p != '\0'; ++p) {
        const unsigned char b = static_cast<unsigned char>(*p);
        if (b < 32 || b > 126)
            *out << "\\x" << std::hex << static_cast<int>(b) << std::dec;
        else
            *out << *p;
    }
}

void PrintTo(const WildcardCase& c, std::ostream* out) {
    *out << "'";
    print_escaped(c.pattern, out);
    *out << "' vs '";
    print_escaped(c.name, out);
    *out << "'";
}

class Wildcard : public ::testing::TestWithParam<WildcardCase> {};

TEST_P(Wildcard, Matches) {
    const WildcardCase& c = GetParam();
    EXPECT_EQ(rt_wildcard_match(c.pattern, c.name), c.expected)
        << "pattern " << c.pattern << " name " << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Table, Wildcard,
    ::testing::Values(WildcardCase{"*.txt", "README.TXT", 1}, WildcardCase{"*.txt", "a.txt.bak", 0},
                      WildcardCase{"*.TXT", "notes.txt", 1}, WildcardCase{"?.txt", ".txt", 0},
                      WildcardCase{"?.txt", "a.txt", 1}, WildcardCase{"?.txt", "ab.txt", 0},
                      WildcardCase{"a?c", "a.c", 0}, WildcardCase{"a*b", "ab", 1},
                      WildcardCase{"a*b", "axxb", 1}, WildcardCase{"a*b", "abx", 0},
                      WildcardCase{"a*b", "abab", 1}, WildcardCase{"*", "", 1},
                      WildcardCase{"***", "x", 1}, WildcardCase{"", "", 1},
                      WildcardCase{"", "a", 0}, WildcardCase{"abc", "ab", 0},
                      WildcardCase{"*.*", "noext", 0}, WildcardCase{"*.*", ".hidden", 1},
                      WildcardCase{"QLEV*.CMD", "qlev12.cmd", 1},
                      WildcardCase{"\xC9*", "\xE9x", 0}));

TEST_F(FilesTest, ListingPutsDirectoriesFirstAndCountsBoth) {
    write_text(dir_ / "a.txt", "a");
    write_text(dir_ / "b.png", "b");
    fs::create_directory(dir_ / "sub");
    ASSERT_EQ(rt_set_current_dir(RtString(dir_.c_str())), 1);
    RtArray<RtString> names;
    EXPECT_EQ(rt_file_list("*.txt", names), 1 + 3 * 65536);
    ASSERT_EQ(rt_bounds(names, 0), 4);
    const std::set<std::string> dirs = {rt_index(names, 0).str(), rt_index(names, 1).str(),
                                        rt_index(names, 2).str()};
    EXPECT_EQ(dirs, (std::set<std::string>{".", "..", "sub"}));
    EXPECT_EQ(rt_index(names, 3).str(), "a.txt");
}

TEST_F(FilesTest, CurrentDirectoryEndsInSlash) {
    fs::create_directory(dir_ / "sub");
    EXPECT_EQ(rt_set_current_dir(name("sub")), 1);
    EXPECT_EQ(rt_get_current_dir().str(), (dir_ / "sub").string() + "/");
    EXPECT_EQ(rt_set_current_dir(name("missing")), 0);
    EXPECT_EQ(rt_get_current_dir().str(), (dir_ / "sub").string() + "/");
}

TEST_F(FilesTest, ExistsDeleteAndBackslashNames) {
    fs::create_directory(dir_ / "sub");
    write_text(dir_ / "sub" / "f.txt", "x");
    const std::string windows_name = dir_.string() + "\\sub\\f.txt";
    EXPECT_EQ(rt_file_exists(RtString(windows_name.c_str())), 1);
    EXPECT_EQ(rt_file_exists(name("sub")), 0);
    EXPECT_EQ(rt_file_exists(name("missing")), 0);
    RtString resolved;
    EXPECT_TRUE(rt_media_lookup(name("sub/f.txt"), &resolved));
    EXPECT_EQ(resolved.str(), (dir_ / "sub/f.txt").string());
    EXPECT_FALSE(rt_media_lookup(name("missing"), &resolved));
    EXPECT_NE(rt_delete_file(RtString(windows_name.c_str())), 0);
    EXPECT_FALSE(fs::exists(dir_ / "sub" / "f.txt"));
    EXPECT_EQ(rt_delete_file(name("sub/f.txt")), 0);
    RtString slashes("a\\b\\c/d");
    rt_slashes(slashes);
    EXPECT_EQ(slashes.str(), "a/b/c/d");
}

TEST_F(FilesTest, CopiesAcrossChunksAndRefusesItself) {
    std::string data;
    for (int i = 0; i < 10000; ++i)
        data += static_cast<char>(i * 7);
    write_text(dir_ / "src.bin", data);
    write_text(dir_ / "dst.bin", std::string(20000, 'z'));
    rt_copy_file(name("src.bin"), name("dst.bin"));
    EXPECT_EQ(read_text(dir_ / "dst.bin"), data);
    rt_copy_file(name("missing"), name("none.bin"));
    EXPECT_FALSE(fs::exists(dir_ / "none.bin"));
    // Copying a file onto itself must not truncate it.
    rt_copy_file(name("src.bin"), RtString((dir_.string() + "/./src.bin").c_str()));
    EXPECT_EQ(read_text(dir_ / "src.bin"), data);
}

TEST_F(FilesTest, DialogUsesHelperOutputOrGivesNoFile) {
    setenv("PATH", dir_.c_str(), 1);
    EXPECT_EQ(rt_file_dialog(1, "Levels|*.cmd").str(), "NO_FILE");
    // A stand-in helper that reports its arguments and a Windows-style path.
    write_text(dir_ / "zenity", "#!/bin/sh\necho \"$@\" > \"" + (dir_ / "args").string() +
                                    "\"\necho 'C:\\levels\\q1.cmd'\n");
    fs::permissions(dir_ / "zenity", fs::perms::owner_all);
    EXPECT_EQ(rt_file_dialog(0, "Levels|*.cmd;*.txt|All|*.*").str(), "C:/levels/q1.cmd");
    EXPECT_EQ(read_text(dir_ / "args"), "--file-selection --save --confirm-overwrite "
                                        "--file-filter=Levels | *.cmd *.txt "
                                        "--file-filter=All | *.*\n");
    write_text(dir_ / "zenity", "#!/bin/sh\nexit 1\n");
    EXPECT_EQ(rt_file_dialog(1, "").str(), "NO_FILE");
}

TEST_F(FilesTest, RunsProgramsThroughTheShell) {
    double code = -1;
    EXPECT_EQ(rt_run_program("exit 3", 1, 0, &code), 1);
    EXPECT_EQ(code, 3);
    const std::string marker = (dir_ / "ran").string();
    EXPECT_EQ(rt_run_program(("echo yes > '" + marker + "'; exit 0").c_str(), 1, 1, &code), 1);
    EXPECT_EQ(code, 0);
    EXPECT_EQ(read_text(marker), "yes\n");
    EXPECT_EQ(rt_run_program("true", 0, 0), 1);
}

TEST(PlatformInfo, Keywords) {
    EXPECT_EQ(rt_platform_info("").str(), "LINUX");
    EXPECT_EQ(rt_platform_info("device").str(), "DESKTOP");
    EXPECT_EQ(rt_platform_info("DEVICES").str(), "NO_DATA");
    const std::string id = rt_platform_info("Id").str();
    EXPECT_TRUE(std::regex_match(id, std::regex("[0-9A-F]{8}"))) << id;
    EXPECT_EQ(rt_platform_info("ID").str(), id);
    const std::string time = rt_platform_info("time").str();
    EXPECT_TRUE(std::regex_match(time, std::regex("[0-9]{4}-[1-9][0-9]?-[1-9][0-9]? "
                                                  "([1-9]?[0-9]):([1-9]?[0-9]):([1-9]?[0-9])")))
        << time;
}

TEST(CommandLine, KeepsArgumentsAfterTheProgramName) {
    char program[] = "cropstack";
    char plain[] = "-x";
    char spaced[] = "two words";
    char* argv[] = {program, plain, spaced, nullptr};
    rt_set_command_line(3, argv);
    EXPECT_EQ(rt_command_line().str(), "-x \"two words\"");
    rt_set_command_line(1, argv);
    EXPECT_EQ(rt_command_line().str(), "");
}

TEST_F(FilesTest, AtomicWriteReplacesOrLeavesTheOldFile) {
    write_text(dir_ / "f.ini", "old");
    chmod((dir_ / "f.ini").c_str(), 0640);
    EXPECT_TRUE(plat_write_file_atomic((dir_ / "f.ini").string(), "new"));
    EXPECT_EQ(read_text(dir_ / "f.ini"), "new");
    EXPECT_EQ(fs::status(dir_ / "f.ini").permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    // Written through a link, the link stays and its target changes.
    fs::create_symlink(dir_ / "f.ini", dir_ / "link.ini");
    EXPECT_TRUE(plat_write_file_atomic((dir_ / "link.ini").string(), "linked"));
    EXPECT_TRUE(fs::is_symlink(dir_ / "link.ini"));
    EXPECT_EQ(read_text(dir_ / "f.ini"), "linked");
    write_text(dir_ / "plain", "x");
    EXPECT_FALSE(plat_write_file_atomic((dir_ / "plain" / "f.ini").string(), "new"));
    // Renaming a file over a directory fails; the directory is untouched.
    fs::create_directory(dir_ / "taken");
    EXPECT_FALSE(plat_write_file_atomic((dir_ / "taken").string(), "new"));
    EXPECT_TRUE(fs::is_directory(dir_ / "taken"));
    // No temporary files are left behind either way.
    int entries = 0;
    for (const auto& entry : fs::directory_iterator(dir_)) {
        (void)entry;
        ++entries;
    }
    EXPECT_EQ(entries, 4);
}

TEST_F(FilesTest, ErrorLogIsOwnerOnlyAndIgnoresPlantedLinks) {
    rt_delete_log();
    EXPECT_EQ(rt_log_path().str(), (dir_ / "ErrorLog.txt").string());
    rt_log("one");
    rt_log("two");
    EXPECT_EQ(read_text(dir_ / "ErrorLog.txt"), "one\r\ntwo\r\n");
    EXPECT_EQ(fs::status(dir_ / "ErrorLog.txt").permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);
    rt_delete_log();
    EXPECT_FALSE(fs::exists(dir_ / "ErrorLog.txt"));
    write_text(dir_ / "victim", "precious");
    fs::create_symlink(dir_ / "victim", dir_ / "ErrorLog.txt");
    rt_log("redirected?");
    EXPECT_EQ(read_text(dir_ / "victim"), "precious");
}

} // namespace

// Data files are read whole, so only plain files are read: a name planted on
// a pipe must not block, and a device such as /dev/zero must not read forever.
TEST_F(FilesTest, OnlyPlainFilesAreRead) {
    const fs::path pipe = dir_ / "levels.pipe";
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    std::string bytes = "stale";
    EXPECT_FALSE(plat_read_file(pipe.string(), &bytes));
    EXPECT_TRUE(bytes.empty());
    EXPECT_FALSE(plat_read_file("/dev/zero", &bytes));
    EXPECT_FALSE(plat_read_file(dir_.string(), &bytes));
    double status = -1;
    EXPECT_STREQ(lf_get_text(RtString(pipe.c_str()), 0, &status).c_str(), "NO_FILE");
    EXPECT_EQ(status, 3);
    write_text(dir_ / "plain.txt", "line\n");
    ASSERT_TRUE(plat_read_file((dir_ / "plain.txt").string(), &bytes));
    EXPECT_EQ(bytes, "line\n");
}
