// Where the settings are kept: beside the program while that directory can be
// written, else in the player's configuration directory, seeded from the
// shipped file once and kept from then on.
//
// The unwritable cases run in a child process: a 0555 directory stops an
// ordinary user but not root, so under root the child becomes "nobody" first.
#include "runtime/rtini.h"
#include "runtime/runtime.h"

#include "temp_dir_fixture.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <ostream>
#include <string>
#include <unistd.h>

namespace {

constexpr const char* kShipped = "[root]\n1name=Quit\n1type=button\n1value=-1\n";

class SettingsPathTest : public TempDirTest {
  protected:
    void SetUp() override {
        TempDirTest::SetUp();
        saved_cwd_ = fs::current_path();
        save_env("XDG_CONFIG_HOME", &saved_xdg_);
        save_env("HOME", &saved_home_);
        // Everything below must be reachable for the unprivileged child.
        fs::permissions(dir_, fs::perms::all);
        for (const char* sub : {"game", "config", "home", "log"}) {
            fs::create_directory(dir_ / sub);
            fs::permissions(dir_ / sub, fs::perms::all);
        }
        write_text(dir_ / "game" / "cropstack.ini", kShipped);
        setenv("XDG_CONFIG_HOME", (dir_ / "config").c_str(), 1);
        setenv("HOME", (dir_ / "home").c_str(), 1);
    }
    void TearDown() override {
        fs::permissions(dir_ / "game", fs::perms::owner_all);
        fs::current_path(saved_cwd_);
        restore_env("XDG_CONFIG_HOME", saved_xdg_);
        restore_env("HOME", saved_home_);
        TempDirTest::TearDown();
    }

    std::string shipped() const { return (dir_ / "game" / "cropstack.ini").string(); }
    fs::path user_copy() const { return dir_ / "config" / "cropstack" / "cropstack.ini"; }
    void lock_game_dir() {
        fs::permissions(dir_ / "game", fs::perms::owner_read | fs::perms::owner_exec |
                                           fs::perms::group_read | fs::perms::group_exec |
                                           fs::perms::others_read | fs::perms::others_exec);
    }

  private:
    static void save_env(const char* name, std::string* out) {
        const char* value = std::getenv(name);
        *out = value != nullptr ? value : "\x01";
    }
    static void restore_env(const char* name, const std::string& value) {
        if (value == "\x01")
            unsetenv(name);
        else
            setenv(name, value.c_str(), 1);
    }
    fs::path saved_cwd_;
    std::string saved_xdg_, saved_home_;
};

// In the child: give up root so directory modes hold, log into a directory
// the child may write, and print the chosen file for the parent to match.
[[noreturn]] void choose_as_player(const std::string& name, const fs::path& log_dir) {
    if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) std::_Exit(3);
    setenv("TMPDIR", log_dir.c_str(), 1);
    const RtString chosen = rt_settings_file(RtString(name.c_str()));
    std::fprintf(stderr, "chosen=%s;\n", chosen.c_str());
    std::_Exit(0);
}

std::string matching(const std::string& path) {
    std::string pattern = "chosen=";
    for (char c : path) {
        if (std::string("\\^$.|?*+()[]{}").find(c) != std::string::npos) pattern += '\\';
        pattern += c;
    }
    return pattern + ";";
}

TEST_F(SettingsPathTest, WritableDirectoryKeepsTheNameAndLeavesNothingBehind) {
    fs::current_path(dir_ / "game");
    const std::string names[] = {"cropstack.ini", shipped(),
                                 (dir_ / "game\\cropstack.ini").string()};
    for (const std::string& name : names) {
        EXPECT_EQ(rt_settings_file(RtString(name.c_str())).str(), name);
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_ / "game"), fs::directory_iterator()), 1)
        << "the write probe was left behind";
    EXPECT_FALSE(fs::exists(dir_ / "config" / "cropstack"));
}

TEST_F(SettingsPathTest, UnwritableDirectorySeedsThePlayersCopy) {
    lock_game_dir();
    EXPECT_EXIT(choose_as_player(shipped(), dir_ / "log"), testing::ExitedWithCode(0),
                matching(user_copy().string()));
    EXPECT_EQ(read_text(user_copy()), kShipped);
    EXPECT_EQ(read_text(shipped()), kShipped);
    EXPECT_NE(read_text(dir_ / "log" / "ErrorLog.txt").find("settings: kept in "),
              std::string::npos);
}

TEST_F(SettingsPathTest, ThePlayersCopyIsKeptOnceMade) {
    lock_game_dir();
    fs::create_directories(user_copy().parent_path());
    fs::permissions(user_copy().parent_path(), fs::perms::all);
    write_text(user_copy(), "[options]\n3value=1\n");
    EXPECT_EXIT(choose_as_player(shipped(), dir_ / "log"), testing::ExitedWithCode(0),
                matching(user_copy().string()));
    EXPECT_EQ(read_text(user_copy()), "[options]\n3value=1\n");
}

// A newer game ships two more key lines and moves "Back" to stay last; the
// player's old copy has rebound keys, a toggle choice, "Back" at 8 and a
// section of its own.
constexpr const char* kOldCopy = "[options]\r\n"
                                 "1name=Screen\r\n1type=toggle:a,b\r\n1value=1\r\n"
                                 "[keyconfig1]\r\n"
                                 "1name=Up\r\n1type=key\r\n1value=K17\r\n"
                                 "7name=Restart level\r\n7type=key\r\n7value=K19\r\n"
                                 "8name=Back\r\n8type=dir\r\n8value=root\r\n"
                                 "[progress]\r\nlevel=12\r\n";
constexpr const char* kNewShipped = "[options]\n"
                                    "1name=Screen\n1type=toggle:a,b,c\n1value=0\n"
                                    "[keyconfig1]\n"
                                    "1name=Up\n1type=key\n1value=K200\n"
                                    "7name=Restart level\n7type=key\n7value=K211\n"
                                    "8name=Hint\n8type=key\n8value=K35\n"
                                    "9name=Redo\n9type=key\n9value=K21\n"
                                    "10name=Back\n10type=dir\n10value=root\n"
                                    "[keyconfig2]\n1name=Up\n1type=key\n1value=K72\n";
constexpr const char* kMerged = "[options]\r\n"
                                "1name=Screen\r\n1type=toggle:a,b,c\r\n1value=1\r\n"
                                "[keyconfig1]\r\n"
                                "1name=Up\r\n1type=key\r\n1value=K17\r\n"
                                "7name=Restart level\r\n7type=key\r\n7value=K19\r\n"
                                "8name=Hint\r\n8type=key\r\n8value=K35\r\n"
                                "9name=Redo\r\n9type=key\r\n9value=K21\r\n"
                                "10name=Back\r\n10type=dir\r\n10value=root\r\n"
                                "[keyconfig2]\r\n1name=Up\r\n1type=key\r\n1value=K72\r\n"
                                "[progress]\r\nlevel=12\r\n";

TEST(SettingsMerge, NewLinesArriveAndThePlayersValuesStay) {
    IniStore shipped, player, merged;
    shipped.load_text(kNewShipped);
    player.load_text(kOldCopy);
    merged.put("stale", "k", "v"); // the result replaces whatever was there
    ini_merge_shipped(shipped, player, &merged);
    EXPECT_EQ(merged.text(), kMerged);
    // Merging again changes nothing, so the copy is not rewritten every start.
    IniStore again;
    ini_merge_shipped(shipped, merged, &again);
    EXPECT_EQ(again.text(), kMerged);
}

// A key line gains the pad binding a newer game ships beside the key; the
// player's own key, and a pad binding the player chose, stay.
TEST(SettingsMerge, KeyLinesGainPadBindingsAndKeepThePlayersOwn) {
    IniStore shipped, player, merged;
    shipped.load_text("[keyconfig1]\n"
                      "1name=Up\n1type=key\n1value=K200\n1pad=P0-11\n"
                      "2name=Down\n2type=key\n2value=K208\n2pad=P0-12\n");
    player.load_text("[keyconfig1]\n"
                     "1name=Up\n1type=key\n1value=K17\n"
                     "2name=Down\n2type=KEY\n2value=K31\n2pad=P0-1\n");
    const char* expected = "[keyconfig1]\r\n"
                           "1name=Up\r\n1type=key\r\n1value=K17\r\n1pad=P0-11\r\n"
                           "2name=Down\r\n2type=key\r\n2value=K31\r\n2pad=P0-1\r\n";
    ini_merge_shipped(shipped, player, &merged);
    EXPECT_EQ(merged.text(), expected);
    IniStore again;
    ini_merge_shipped(shipped, merged, &again);
    EXPECT_EQ(again.text(), expected);
}

TEST_F(SettingsPathTest, AnOldCopyGainsTheNewLinesAtStart) {
    write_text(dir_ / "game" / "cropstack.ini", kNewShipped);
    lock_game_dir();
    fs::create_directories(user_copy().parent_path());
    fs::permissions(user_copy().parent_path(), fs::perms::all);
    write_text(user_copy(), kOldCopy);
    fs::permissions(user_copy(), fs::perms::all);
    EXPECT_EXIT(choose_as_player(shipped(), dir_ / "log"), testing::ExitedWithCode(0),
                matching(user_copy().string()));
    EXPECT_EQ(read_text(user_copy()), kMerged);
    EXPECT_EQ(read_text(shipped()), kNewShipped);
}

// Changes made through the settings store reach the player's copy and are
// there again at the next start, which is the point of the whole exercise.
[[noreturn]] void change_and_reopen(const std::string& name, const fs::path& log_dir) {
    if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) std::_Exit(3);
    setenv("TMPDIR", log_dir.c_str(), 1);
    ini_open(rt_settings_file(RtString(name.c_str())));
    ini_put("options", "3value", "1");
    ini_open(RtString("")); // writes the change back
    ini_open(rt_settings_file(RtString(name.c_str())));
    std::fprintf(stderr, "repeat=%s button=%s;\n", ini_get("options", "3value").c_str(),
                 ini_get("root", "1value").c_str());
    std::_Exit(0);
}

TEST_F(SettingsPathTest, ChangesSurviveTheNextStartInAnInstalledCopy) {
    lock_game_dir();
    EXPECT_EXIT(change_and_reopen(shipped(), dir_ / "log"), testing::ExitedWithCode(0),
                "repeat=1 button=-1;");
    EXPECT_EQ(read_text(shipped()), kShipped);
}

struct ConfigHomeCase {
    const char* label;
    const char* xdg;  // nullptr: unset
    const char* home; // nullptr: unset
    const char* expected_dir;
};

void PrintTo(const ConfigHomeCase& c, std::ostream* out) {
    *out << c.label;
}

class ConfigHomeTest : public SettingsPathTest,
                       public testing::WithParamInterface<ConfigHomeCase> {};

// $XDG_CONFIG_HOME only counts when absolute; $HOME/.config stands in for it.
// A settings file with no home at all stays where it is.
TEST_P(ConfigHomeTest, PicksTheConfigurationDirectory) {
    const ConfigHomeCase& c = GetParam();
    auto set = [this](const char* name, const char* value) {
        if (value == nullptr)
            unsetenv(name);
        else
            setenv(name, value[0] == '/' ? (dir_.string() + value).c_str() : value, 1);
    };
    set("XDG_CONFIG_HOME", c.xdg);
    set("HOME", c.home);
    // A directory that does not exist cannot take the file either.
    const std::string name = (dir_ / "missing" / "cropstack.ini").string();
    const std::string expected =
        c.expected_dir == nullptr ? name : dir_.string() + c.expected_dir + "/cropstack.ini";
    EXPECT_EQ(rt_settings_file(RtString(name.c_str())).str(), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Environment, ConfigHomeTest,
    testing::Values(ConfigHomeCase{"Xdg", "/config", "/home", "/config/cropstack"},
                    ConfigHomeCase{"XdgUnset", nullptr, "/home", "/home/.config/cropstack"},
                    ConfigHomeCase{"XdgEmpty", "", "/home", "/home/.config/cropstack"},
                    ConfigHomeCase{"XdgRelative", "relative/config", "/home",
                                   "/home/.config/cropstack"},
                    ConfigHomeCase{"HomeUnset", "/config", nullptr, "/config/cropstack"},
                    ConfigHomeCase{"NeitherSet", nullptr, nullptr, nullptr},
                    ConfigHomeCase{"BothRelative", "relative", "relative", nullptr}),
    [](const testing::TestParamInfo<ConfigHomeCase>& info) { return info.param.label; });

} // namespace
