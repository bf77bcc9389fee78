// Files the game must never overwrite: a settings or line file its owner made
// read-only, and a name whose file could not be read (a directory, a pipe, a
// file too large); and the guard on every reader: pipes and directories are
// refused at once with a log entry.
#include "platform/plat_files.h"
#include "runtime/rtini.h"
#include "runtime/runtime.h"

#include "temp_dir_fixture.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr const char* kOriginal = "[a]\r\nk=old\r\n";

// Writes through the settings store or the line-file cache.
void write_settings(const RtString& file) {
    ini_open(file);
    ini_put("a", "k", "new");
    ini_open(RtString(""));
}

void write_lines(const RtString& file) {
    lf_put_text(file, 1, "new");
    lf_flush();
    lf_get_text("", 0); // selects no file: nothing pending is left behind
}

using Writer = void (*)(const RtString&);

struct WriterCase {
    const char* label;
    Writer write;
    const char* logged; // the log entry a refused write leaves
};

void PrintTo(const WriterCase& c, std::ostream* out) {
    *out << c.label;
}

const WriterCase kWriters[] = {
    {"settings", write_settings, "settings: cannot write "},
    {"linefile", write_lines, "linefile: cannot write "},
};

class ProtectedFiles : public TempDirTest, public testing::WithParamInterface<WriterCase> {
  protected:
    void SetUp() override {
        TempDirTest::SetUp();
        // Everything must be reachable and the directory writable for the
        // unprivileged child below.
        fs::permissions(dir_, fs::perms::all);
    }
    std::string log() const { return read_text(dir_ / "ErrorLog.txt"); }
};

// In the child: give up root (root ignores file modes), write, and end.
[[noreturn]] void write_as_player(Writer write, const std::string& file) {
    if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) std::_Exit(3);
    write(RtString(file.c_str()));
    std::_Exit(0);
}

// The directory could take a new entry, so a rename would replace the file;
// its mode says the player may not write it, and it is kept.
TEST_P(ProtectedFiles, ReadOnlyFileIsKeptAndLogged) {
    struct ModeCase {
        fs::perms mode;
        bool replaced;
    };
    const ModeCase modes[] = {
        {fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read, false},
        {fs::perms::all, true},
    };
    for (const ModeCase& m : modes) {
        const fs::path file = dir_ / "player.ini";
        write_text(file, kOriginal);
        fs::permissions(file, m.mode);
        EXPECT_EXIT(write_as_player(GetParam().write, file.string()), testing::ExitedWithCode(0),
                    "");
        EXPECT_EQ(read_text(file) == kOriginal, !m.replaced) << read_text(file);
        EXPECT_EQ(log().find(GetParam().logged + file.string()) != std::string::npos, !m.replaced)
            << log();
        fs::remove(file);
        fs::remove(dir_ / "ErrorLog.txt");
    }
}

// What could not be read is never replaced by the little the store holds.
TEST_P(ProtectedFiles, UnreadableFileIsNeverReplaced) {
    struct Shape {
        const char* label;
        void (*make)(const fs::path&);
        bool (*intact)(const fs::path&);
    };
    const Shape shapes[] = {
        {"directory", [](const fs::path& p) { fs::create_directory(p); },
         [](const fs::path& p) { return fs::is_directory(p); }},
        {"pipe", [](const fs::path& p) { ASSERT_EQ(mkfifo(p.c_str(), 0600), 0); },
         [](const fs::path& p) { return fs::is_fifo(p); }},
        {"too_large",
         [](const fs::path& p) {
             write_text(p, kOriginal);
             fs::resize_file(p, kPlatMaxReadBytes + 1); // sparse: no disk used
         },
         [](const fs::path& p) { return fs::file_size(p) == kPlatMaxReadBytes + 1; }},
    };
    for (const Shape& shape : shapes) {
        const fs::path file = dir_ / (std::string(shape.label) + ".ini");
        shape.make(file);
        GetParam().write(RtString(file.c_str()));
        EXPECT_TRUE(shape.intact(file)) << shape.label;
        EXPECT_NE(log().find(GetParam().logged + file.string()), std::string::npos)
            << shape.label << ": " << log();
    }
    // A missing file is made, as before.
    GetParam().write(name("missing.ini"));
    EXPECT_NE(read_text(dir_ / "missing.ini").find("new"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Writers, ProtectedFiles, testing::ValuesIn(kWriters),
                         [](const auto& info) { return std::string(info.param.label); });

class GuardedReaders : public TempDirTest {};

// Each way into a file meets a pipe and a directory: refused at once (a
// blocking open would hang the test), and logged where a reader names it.
TEST_F(GuardedReaders, PipesAndDirectoriesAreRefused) {
    ASSERT_EQ(mkfifo((dir_ / "pipe.dat").c_str(), 0600), 0);
    fs::create_directory(dir_ / "folder.dat");
    for (const char* file : {"pipe.dat", "folder.dat"}) {
        fs::remove(dir_ / "ErrorLog.txt");
        const RtString name_here = name(file);
        EXPECT_EQ(rt_file_exists(name_here), 0) << file;
        EXPECT_FALSE(rt_media_lookup(name_here, nullptr)) << file;
        rt_copy_file(name_here, name("copy.dat"));
        EXPECT_FALSE(fs::exists(dir_ / "copy.dat")) << file;
        std::string bytes = "stale";
        EXPECT_FALSE(rt_read_data_file(name_here, "test", &bytes)) << file;
        EXPECT_TRUE(bytes.empty()) << file;
        const std::string log = read_text(dir_ / "ErrorLog.txt");
        const std::string why = name_here.str() + ": not a plain file";
        EXPECT_NE(log.find("file: cannot read " + why), std::string::npos) << log;
        EXPECT_NE(log.find("test: cannot read " + why), std::string::npos) << log;
    }
    // Nor is a pipe ever written into as a copy's destination.
    write_text(dir_ / "plain.dat", "data");
    rt_copy_file(name("plain.dat"), name("pipe.dat"));
    EXPECT_TRUE(fs::is_fifo(dir_ / "pipe.dat"));
}

// A name with "\" reaches the same file, and is handed on with "/".
TEST_F(GuardedReaders, BackslashNamesAreHandedOnWithSlashes) {
    fs::create_directory(dir_ / "sfx");
    write_text(dir_ / "sfx" / "block.wav", "x");
    RtString resolved;
    ASSERT_TRUE(rt_media_lookup(RtString((dir_.string() + "\\sfx\\block.wav").c_str()), &resolved));
    EXPECT_EQ(resolved.str(), (dir_ / "sfx" / "block.wav").string());
}

} // namespace
