// hint.cpp: the hint a player asks for: the next move of a shortest way to
// finish the level from the board's position, found by the solver on a thread
// of its own so that the frames go on while it thinks.
#include "game/screens/screens.h"

#include "graphics/graphics.h"

#include <condition_variable>
#include <mutex>
#include <string>
#include <system_error>
#include <thread>

namespace {

// A search gives up after this long or this many positions (about 60 bytes
// each): the player gets "no hint" rather than a long wait.
constexpr double kHintSeconds = 5;
constexpr std::uint64_t kHintStates = 2'000'000;

// Everything a move can change, with movements still under way taken as
// done. The current character is left out: choosing another character is no
// move, and the hint names the character it is for.
std::vector<double> position_key(const BoardState& board) {
    std::vector<double> key;
    key.push_back(count(board.characters));
    for (int i = 0; i < count(board.characters); ++i) {
        const Mover& m = rt_index(board.characters, i).m;
        key.insert(key.end(), {m.x + m.pending_dx, m.y + m.pending_dy});
    }
    for (int i = 0; i < count(board.blocks); ++i) {
        const Mover& m = rt_index(board.blocks, i).m;
        key.insert(key.end(),
                   {m.x + m.pending_dx, m.y + m.pending_dy, m.height + m.pending_height});
    }
    for (int i = 0; i < count(board.doors); ++i)
        for (int k = 0; k < 4; ++k)
            key.push_back(rt_index(rt_index(board.doors, i).arms, k));
    for (int y = 0; y < kBoardHeight; ++y)
        for (int x = 0; x < kBoardWidth; ++x)
            key.push_back(rt_index(board.terrain, x, y));
    return key;
}

const char* direction_word(double dx, double dy) {
    if (dx < 0) return "left";
    if (dx > 0) return "right";
    return dy < 0 ? "up" : "down";
}

// The text in lines of at most `width` characters, broken at spaces (a word
// longer than a line has a line of its own).
std::vector<std::string> wrap_words(const std::string& text, std::size_t width) {
    std::vector<std::string> lines;
    std::string line, word;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        if (i < text.size() && text[i] != ' ') {
            word += text[i];
            continue;
        }
        if (word.empty()) continue;
        if (!line.empty() && line.size() + 1 + word.size() > width) {
            lines.push_back(line);
            line.clear();
        }
        line += (line.empty() ? "" : " ") + word;
        word.clear();
    }
    if (!line.empty()) lines.push_back(line);
    return lines;
}

// What the last play frame showed, for shown_hint.
RtString g_shown[2];

} // namespace

// What the search thread and the worker share; the thread keeps it alive
// after the worker is gone.
struct HintWorker::Job {
    std::vector<double> key; // the position searched
    double current_character = 0;
    int characters = 0;
    mutable std::mutex mutex;
    mutable std::condition_variable ended;
    bool done = false;
    solver::SolveResult result;
};

solver::SolveLimits hint_limits() {
    solver::SolveLimits limits;
    limits.max_states = kHintStates;
    limits.max_seconds = kHintSeconds;
    return limits;
}

Hint hint_from_result(const solver::SolveResult& result, double current_character, int characters) {
    Hint hint;
    hint.state = result.outcome == solver::SolveOutcome::kImpossible ? HintState::kCannotFinish
                                                                     : HintState::kNoHint;
    if (result.outcome != solver::SolveOutcome::kSolved || characters <= 0) return hint;
    int next = 0;
    for (char letter : result.solution) {
        static constexpr const char* kLetters = "LRUD";
        static constexpr double kDx[4] = {-1, 1, 0, 0}, kDy[4] = {0, 0, -1, 1};
        if (letter == 'N') {
            ++next;
            continue;
        }
        for (int d = 0; d < 4; ++d) {
            if (letter != kLetters[d]) continue;
            hint.state = HintState::kMove;
            hint.character = (static_cast<int>(current_character) + next) % characters;
            hint.dx = kDx[d];
            hint.dy = kDy[d];
        }
        break;
    }
    return hint;
}

RtString hint_text(const Hint& hint, const BoardState& board) {
    switch (hint.state) {
    case HintState::kNone:
        return RtString();
    case HintState::kThinking:
        return "thinking...";
    case HintState::kNoHint:
        return "No hint: the search took too long";
    case HintState::kCannotFinish:
        return "This position cannot be finished: undo or restart";
    case HintState::kMove:
        break;
    }
    if (hint.character != static_cast<int>(board.current_character)) return "Hint: next character";
    return RtString("Hint: ") + direction_word(hint.dx, hint.dy);
}

HintWorker::HintWorker(HintSearch search, solver::SolveLimits limits)
    : search_(std::move(search)), limits_(limits) {}

HintWorker::~HintWorker() = default;

void HintWorker::request(const BoardState& board) {
    if (board.fade_timer > 0 || count(board.characters) == 0) return;
    std::vector<double> key = position_key(board);
    // Asked again for the same position: the answer is coming or shown.
    if (asked_ && key == asked_key_) return;
    asked_ = true;
    asked_key_ = std::move(key);
    hint_ = Hint{HintState::kThinking};
    if (!job_) start(board);
}

const Hint& HintWorker::update(const BoardState& board) {
    take_finished();
    if (asked_ && position_key(board) != asked_key_) {
        asked_ = false;
        hint_ = Hint{};
    }
    if (asked_ && hint_.state == HintState::kThinking && !job_) start(board);
    return hint_;
}

void HintWorker::wait() const {
    if (!job_) return;
    const Job& job = *job_;
    std::unique_lock lock(job.mutex);
    job.ended.wait(lock, [&job] { return job.done; });
}

void HintWorker::start(const BoardState& board) {
    auto job = std::make_shared<Job>();
    job->key = position_key(board);
    job->current_character = board.current_character;
    job->characters = count(board.characters);
    // The search gets a board of its own, at rest: neither the controls nor
    // the undo history travel with it.
    BoardState position;
    copy_board_position(position, board);
    settle_board(position);
    rebuild_occupancy(position);
    position.fade_timer = 0;
    try {
        std::thread([job, position = std::move(position), search = search_, limits = limits_] {
            quiet_rules_devices_on_this_thread();
            solver::SolveResult result = search(position, limits);
            std::lock_guard lock(job->mutex);
            job->result = std::move(result);
            job->done = true;
            job->ended.notify_all();
        }).detach();
    } catch (const std::system_error&) {
        rt_log("hint: cannot start the search thread");
        hint_ = Hint{HintState::kNoHint};
        return;
    }
    job_ = std::move(job);
    ++started_;
}

void HintWorker::take_finished() {
    if (!job_) return;
    {
        std::lock_guard lock(job_->mutex);
        if (!job_->done) return;
    }
    if (asked_ && hint_.state == HintState::kThinking && job_->key == asked_key_)
        hint_ = hint_from_result(job_->result, job_->current_character, job_->characters);
    job_.reset();
}

PlayHints::PlayHints() {
    for (RtString& shown : g_shown)
        shown = RtString();
}

void PlayHints::step(BoardState& board, int index) {
    HintWorker& worker = workers_[index & 1];
    if (ActionPressed(board.controls, kActionHint) != 0) worker.request(board);
    worker.update(board);
}

void PlayHints::draw(const BoardState& board, int index) {
    RtString text = hint_text(workers_[index & 1].hint(), board);
    g_shown[index & 1] = text;
    draw_hint_line(text);
}

void draw_hint_line(const RtString& text) {
    if (text.empty()) return;
    double cw = 0, ch = 0;
    GetFontSize(&cw, &ch);
    const GameValues& g = game_values();
    double columns = cw > 0 ? g.frame_width / cw - 2 : text.length();
    std::size_t fits = columns < 1 ? 1 : static_cast<std::size_t>(columns);
    std::vector<std::string> lines = wrap_words(text.str(), fits);
    // Centred a few lines below the top of the board's frame, on a dark strip
    // so that it reads over the floor and the sky alike.
    double y = 2.5 * ch;
    for (const std::string& line : lines) {
        double width = static_cast<double>(line.size()) * cw;
        double x = (g.frame_width - width) / 2;
        SetAlphaMode(-0.5);
        FillRect(x - cw / 2, y - 2, x + width + cw / 2, y + ch + 2, 0);
        SetAlphaMode(0);
        Print(RtString::from_std(line), x, y);
        y += ch + 4;
    }
}

RtString shown_hint(int index) {
    return g_shown[index & 1];
}
