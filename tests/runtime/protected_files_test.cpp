// Files the game must never overwrite: a settings or line file its owner made
// read-only, and a name whose file could not be read (a directory, a pipe, a
// file too large); and the guard on every reader: pipes and directories are
// refused at once with a log entry.
#include "platform/plat_files.h"
#include "runtime/rtini.h"
#include "runtime/runtime.h"

#include "temp_dir_fixture.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <ostream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

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

// A symbolic link in place of a settings or line file is followed only to a
// plain file of the writer's own in a folder of the writer's own, and root
// follows none that sits in a folder of another user. Every folder here is
// open to all, so only ownership can tell the cases apart.
constexpr uid_t kRoot = 0;
constexpr uid_t kPlayer = 65534;

enum class Target { kFile, kFolder, kNothing };

struct LinkCase {
    const char* label;
    uid_t writer;
    uid_t link_folder;   // owner of the folder holding the link
    uid_t target_folder; // owner of the folder holding the target
    uid_t target_owner;
    Target target;
    bool followed;
};

const LinkCase kLinks[] = {
    {"PlayerOwnFile", kPlayer, kPlayer, kPlayer, kPlayer, Target::kFile, true},
    {"PlayerFileOfRoot", kPlayer, kPlayer, kPlayer, kRoot, Target::kFile, false},
    {"PlayerOwnFileInRootsFolder", kPlayer, kPlayer, kRoot, kPlayer, Target::kFile, false},
    {"PlayerDangling", kPlayer, kPlayer, kPlayer, kPlayer, Target::kNothing, false},
    {"PlayerFolder", kPlayer, kPlayer, kPlayer, kPlayer, Target::kFolder, false},
    {"RootOwnFile", kRoot, kRoot, kRoot, kRoot, Target::kFile, true},
    {"RootFromPlayersFolder", kRoot, kPlayer, kRoot, kRoot, Target::kFile, false},
    {"RootPlayersFile", kRoot, kRoot, kPlayer, kPlayer, Target::kFile, false},
    {"RootDangling", kRoot, kRoot, kRoot, kRoot, Target::kNothing, false},
};

// In the child: become the writer, write, open the file again and print what
// the game now holds (a refused change stays in memory), and end.
[[noreturn]] void write_through_link(const char* writer_label, uid_t writer,
                                     const std::string& file) {
    if (writer != geteuid() && (setgid(writer) != 0 || setuid(writer) != 0)) std::_Exit(3);
    const RtString name_here(file.c_str());
    std::string held;
    if (std::string(writer_label) == "settings") {
        ini_open(name_here);
        ini_put("a", "k", "new");
        ini_open(name_here);
        held = ini_get("a", "k").str();
    } else {
        lf_put_text(name_here, 1, "new");
        lf_flush();
        held = lf_get_text(name_here, 1).str();
    }
    std::fprintf(stderr, "held=%s;\n", held.c_str());
    std::_Exit(0);
}

TEST_P(ProtectedFiles, LinksAreFollowedOnlyToTheWritersOwnFiles) {
    if (geteuid() != 0) GTEST_SKIP() << "making files of two users needs root";
    for (const LinkCase& c : kLinks) {
        const fs::path base = dir_ / c.label;
        const fs::path link = base / "links" / "settings.ini";
        const fs::path target = base / "targets" / "real.ini";
        for (const auto& [folder, owner] : {std::pair{base, kRoot},
                                            {base / "links", c.link_folder},
                                            {base / "targets", c.target_folder}}) {
            fs::create_directory(folder);
            fs::permissions(folder, fs::perms::all);
            ASSERT_EQ(chown(folder.c_str(), owner, owner), 0);
        }
        if (c.target == Target::kFile) write_text(target, kOriginal);
        if (c.target == Target::kFolder) fs::create_directory(target);
        if (c.target != Target::kNothing) {
            fs::permissions(target, fs::perms::all);
            ASSERT_EQ(chown(target.c_str(), c.target_owner, c.target_owner), 0);
        }
        fs::create_symlink(target, link);
        fs::remove(dir_ / "ErrorLog.txt");
        EXPECT_EXIT(write_through_link(GetParam().label, c.writer, link.string()),
                    testing::ExitedWithCode(0), "held=new;")
            << c.label;
        EXPECT_TRUE(fs::is_symlink(link)) << c.label << ": the link was replaced";
        const bool changed = c.target == Target::kFile && read_text(target) != kOriginal;
        EXPECT_EQ(changed, c.followed) << c.label << ": " << read_text(target);
        if (c.followed) {
            EXPECT_NE(read_text(target).find("new"), std::string::npos) << c.label;
        }
        if (c.target == Target::kNothing) {
            EXPECT_FALSE(fs::exists(fs::symlink_status(target))) << c.label << ": target made";
        }
        if (c.target == Target::kFolder) {
            EXPECT_TRUE(fs::is_directory(target)) << c.label;
        }
        EXPECT_EQ(log().find(GetParam().logged + link.string()) != std::string::npos, !c.followed)
            << c.label << ": " << log();
    }
}

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
