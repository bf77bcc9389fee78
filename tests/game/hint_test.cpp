// hint_test.cpp: hints from the solver on the worker's thread: the move it
// gives, what it says when there is none, and that one board never has two
// searches at once or shows an answer for a position it no longer has.
#include "game/screens/screens.h"

#include "game_fixture.h"
#include "screen_test_support.h"

#include "graphics/graphics.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <mutex>

using namespace game_test;

namespace {

// Asks and waits for the answer, as many frames would.
Hint hint_for(HintWorker& worker, const BoardState& board) {
    worker.request(board);
    worker.update(board);
    worker.wait();
    return worker.update(board);
}

std::string text_of(const Hint& hint, const BoardState& board) {
    return hint_text(hint, board).str();
}

struct OneMoveCase {
    const char* picture;
    double dx, dy;
    const char* text;
};

void PrintTo(const OneMoveCase& c, std::ostream* os) {
    *os << c.picture;
}

class HintOneMoveFromTheEnd : public ::testing::TestWithParam<OneMoveCase> {};

TEST_P(HintOneMoveFromTheEnd, GivesThatMove) {
    const OneMoveCase& c = GetParam();
    BoardState board = board_from_picture(c.picture);
    HintWorker worker;
    Hint hint = hint_for(worker, board);
    ASSERT_EQ(hint.state, HintState::kMove) << c.picture;
    EXPECT_EQ(hint.character, 0);
    EXPECT_EQ(hint.dx, c.dx) << c.picture;
    EXPECT_EQ(hint.dy, c.dy) << c.picture;
    EXPECT_EQ(text_of(hint, board), c.text);
    // Taking the hinted step finishes the level.
    EXPECT_EQ(step_character(board, hint.dx, hint.dy), 1);
    EXPECT_GT(board.fade_timer, 0);
}

INSTANTIATE_TEST_SUITE_P(Hints, HintOneMoveFromTheEnd,
                         ::testing::Values(OneMoveCase{"#####/#1E.#/#####", 1, 0, "Hint: right"},
                                           OneMoveCase{"#####/#.E1#/#####", -1, 0, "Hint: left"},
                                           OneMoveCase{"###/#E#/#1#/###", 0, -1, "Hint: up"},
                                           OneMoveCase{"###/#1#/#E#/#.#/###", 0, 1, "Hint: down"}));

// The second character stands between the first and the flag: it has to go
// first, so the hint sends the player to it before naming the step.
TEST(Hints, NameTheNextCharacterWhenAnotherMovesFirst) {
    BoardState board = board_from_picture("######/#12E.#/######");
    HintWorker worker;
    Hint hint = hint_for(worker, board);
    ASSERT_EQ(hint.state, HintState::kMove);
    EXPECT_EQ(hint.character, 1);
    EXPECT_EQ(text_of(hint, board), "Hint: next character");
    next_character(board);
    EXPECT_EQ(worker.update(board).state, HintState::kMove) << "choosing a character is no move";
    EXPECT_EQ(text_of(worker.hint(), board), "Hint: right");
    EXPECT_EQ(worker.searches_started(), 1);
}

// A step still being animated counts as taken: the hint is for where the
// character is going, which here turns the way.
TEST(Hints, ComeFromThePositionTheMovesLeadTo) {
    BoardState board = board_from_picture("####/#1.#/##E#/####");
    Player player(board);
    player.frame({kRight});
    ASSERT_NE(board_moving(board), 0);
    HintWorker worker;
    Hint hint = hint_for(worker, board);
    ASSERT_EQ(hint.state, HintState::kMove);
    EXPECT_EQ(text_of(hint, board), "Hint: down");
}

struct NoMoveCase {
    const char* picture;
    std::uint64_t max_states;
    HintState state;
    const char* text;
};

void PrintTo(const NoMoveCase& c, std::ostream* os) {
    *os << c.picture;
}

class HintWithoutAMove : public ::testing::TestWithParam<NoMoveCase> {};

TEST_P(HintWithoutAMove, SaysWhy) {
    const NoMoveCase& c = GetParam();
    BoardState board = board_from_picture(c.picture);
    solver::SolveLimits limits = hint_limits();
    limits.max_states = c.max_states;
    HintWorker worker(solver::solve_board, limits);
    Hint hint = hint_for(worker, board);
    EXPECT_EQ(hint.state, c.state) << c.picture;
    EXPECT_EQ(text_of(hint, board), c.text);
}

INSTANTIATE_TEST_SUITE_P(Hints, HintWithoutAMove,
                         ::testing::Values(
                             // The block cannot go onto the flag and nothing gets past it.
                             NoMoveCase{"######/#1BE#/######", 1000, HintState::kCannotFinish,
                                        "This position cannot be finished: undo or restart"},
                             // Two holes and one block: the second hole can never be crossed.
                             NoMoveCase{"########/#1B~~E#/########", 1000, HintState::kCannotFinish,
                                        "This position cannot be finished: undo or restart"},
                             // Solvable, but not within two positions.
                             NoMoveCase{"#########/#1.....E#/#########", 2, HintState::kNoHint,
                                        "No hint: the search took too long"}));

TEST(Hints, FromSearchResults) {
    using solver::SolveOutcome;
    const struct {
        SolveOutcome outcome;
        const char* solution;
        double current;
        int characters;
        HintState state;
        int character;
        double dx, dy;
    } cases[] = {
        {SolveOutcome::kSolved, "R", 0, 1, HintState::kMove, 0, 1, 0},
        {SolveOutcome::kSolved, "DLL", 0, 1, HintState::kMove, 0, 0, 1},
        {SolveOutcome::kSolved, "NU", 0, 2, HintState::kMove, 1, 0, -1},
        {SolveOutcome::kSolved, "NNL", 1, 3, HintState::kMove, 0, -1, 0},
        {SolveOutcome::kSolved, "N", 0, 2, HintState::kNoHint, 0, 0, 0},
        {SolveOutcome::kSolved, "", 0, 1, HintState::kNoHint, 0, 0, 0},
        {SolveOutcome::kImpossible, "", 0, 1, HintState::kCannotFinish, 0, 0, 0},
        {SolveOutcome::kStateLimit, "", 0, 1, HintState::kNoHint, 0, 0, 0},
        {SolveOutcome::kTimeLimit, "", 0, 1, HintState::kNoHint, 0, 0, 0},
    };
    for (const auto& c : cases) {
        solver::SolveResult result;
        result.outcome = c.outcome;
        result.solution = c.solution;
        Hint hint = hint_from_result(result, c.current, c.characters);
        EXPECT_EQ(hint.state, c.state) << c.solution;
        if (c.state != HintState::kMove) continue;
        EXPECT_EQ(hint.character, c.character) << c.solution;
        EXPECT_EQ(hint.dx, c.dx) << c.solution;
        EXPECT_EQ(hint.dy, c.dy) << c.solution;
    }
}

// The search runs with the rules' devices left alone: no sounds from the
// positions it tries, and no keys read.
TEST(Hints, SearchPlaysNoSounds) {
    BoardState board = board_from_picture("########/#1B~.E.#/########");
    SoundRecorder sounds;
    HintWorker worker;
    Hint hint = hint_for(worker, board);
    EXPECT_EQ(hint.state, HintState::kMove);
    EXPECT_EQ(sounds.slots, std::vector<int>{});
}

// A search that holds until the test opens its gate, counting how many run
// at once.
struct Gate {
    std::mutex mutex;
    std::condition_variable opened;
    bool open = false;
    std::atomic<int> calls{0}, running{0}, most_at_once{0};

    HintSearch search() {
        return [this](const BoardState&, const solver::SolveLimits&) {
            ++calls;
            int now = ++running;
            int most = most_at_once.load();
            while (now > most && !most_at_once.compare_exchange_weak(most, now)) {
            }
            {
                std::unique_lock lock(mutex);
                opened.wait(lock, [this] { return open; });
            }
            --running;
            solver::SolveResult result;
            result.outcome = solver::SolveOutcome::kSolved;
            result.solution = "R";
            return result;
        };
    }
    void release() {
        std::lock_guard lock(mutex);
        open = true;
        opened.notify_all();
    }
};

TEST(HintWorker, NeverRunsTwoSearchesForOneBoard) {
    auto gate = std::make_shared<Gate>();
    BoardState board = board_from_picture("#########/#1......#/#.....E.#/#########");
    HintWorker worker(gate->search());
    worker.request(board);
    worker.request(board);
    worker.update(board);
    EXPECT_EQ(worker.searches_started(), 1) << "asked twice for one position";
    EXPECT_EQ(worker.hint().state, HintState::kThinking);
    // A move while it thinks; the player asks again for the new position.
    ASSERT_EQ(step_character(board, 1, 0), 1);
    finish_animations(board);
    EXPECT_EQ(worker.update(board).state, HintState::kNone) << "the question is stale";
    worker.request(board);
    for (int frame = 0; frame < 5; ++frame)
        worker.update(board);
    EXPECT_EQ(worker.searches_started(), 1) << "the new question waits for the running search";
    EXPECT_EQ(worker.hint().state, HintState::kThinking);
    gate->release();
    worker.wait();
    worker.update(board);
    EXPECT_EQ(worker.searches_started(), 2);
    worker.wait();
    EXPECT_EQ(worker.update(board).state, HintState::kMove);
    EXPECT_EQ(gate->calls.load(), 2);
    EXPECT_EQ(gate->most_at_once.load(), 1);
}

TEST(HintWorker, DropsTheAnswerForAPositionLeftBehind) {
    auto gate = std::make_shared<Gate>();
    BoardState board = board_from_picture("#########/#1......#/#.....E.#/#########");
    HintWorker worker(gate->search());
    worker.request(board);
    ASSERT_EQ(step_character(board, 0, 1), 1);
    worker.update(board);
    gate->release();
    worker.wait();
    EXPECT_EQ(worker.update(board).state, HintState::kNone);
    EXPECT_EQ(text_of(worker.hint(), board), "");
    EXPECT_FALSE(worker.searching());
    EXPECT_EQ(worker.searches_started(), 1) << "nobody asked about the new position";
}

// An answered question is not searched again, and a completed level asks
// nothing.
TEST(HintWorker, SearchesOnlyWhatIsAsked) {
    auto gate = std::make_shared<Gate>();
    gate->release();
    BoardState board = board_from_picture("#####/#1E.#/#####");
    HintWorker worker(gate->search());
    hint_for(worker, board);
    hint_for(worker, board);
    EXPECT_EQ(worker.searches_started(), 1);
    ASSERT_EQ(step_character(board, 1, 0), 1);
    worker.request(board);
    EXPECT_EQ(worker.searches_started(), 1) << "the iris closes on a finished level";
    EXPECT_EQ(worker.update(board).state, HintState::kNone);
}

// The line is drawn on a dark strip near the top of the frame, broken into
// lines that fit it: the longest message takes two lines at 320 pixels.
TEST(HintLine, FitsTheFrameInAsManyLinesAsItNeeds) {
    screen_test::open_window(320, 240);
    GameValues& g = game_values();
    g.screen_width = g.frame_width = 320;
    g.screen_height = g.frame_height = 240;
    LoadFont("", 0);
    double cw = 0, ch = 0;
    GetFontSize(&cw, &ch);
    ASSERT_GT(cw, 0);
    ASSERT_GT(49 * cw, 320) << "the long message must need two lines at this font";
    const struct {
        const char* text;
        int lines;
    } cases[] = {
        {"", 0},
        {"Hint: left", 1},
        {"This position cannot be finished: undo or restart", 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        FillRect(0, 0, 320, 240, 0xFFFFFF);
        draw_hint_line(c.text);
        // Each line's strip reaches a pixel above its text, where no glyph is.
        for (int line = 0; line < 3; ++line) {
            const int y = static_cast<int>(2.5 * ch + line * (ch + 4)) - 1;
            EXPECT_EQ(screen_test::grey(160, y) < 200, line < c.lines) << "line " << line;
            EXPECT_EQ(screen_test::grey(1, y), 255) << "the strip stays inside the frame";
        }
        ShowScreen();
    }
}

} // namespace
