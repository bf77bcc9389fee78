// rule_moves.cpp: single steps of packed positions through step_character,
// copying back only what a step changed.
#include "game/solver/rule_moves.h"

namespace solver {

namespace {

bool same_mover(const Mover& a, const Mover& b) {
    return a.x == b.x && a.y == b.y && a.height == b.height && a.angle == b.angle &&
           a.pending_dx == b.pending_dx && a.pending_dy == b.pending_dy &&
           a.pending_height == b.pending_height && a.pending_angle == b.pending_angle;
}

bool same_door(const DoorRecord& a, const DoorRecord& b) {
    for (int k = 0; k < 4; ++k)
        if (rt_index(a.arms, k) != rt_index(b.arms, k)) return false;
    return same_mover(a.m, b.m);
}

void copy_door(DoorRecord& to, const DoorRecord& from) {
    for (int k = 0; k < 4; ++k)
        rt_index(to.arms, k) = rt_index(from.arms, k);
    to.m = from.m;
}

// Makes `work` the position `base` again after one step, copying only what
// the step changed: mostly a walk, which moves one character and nothing
// else. The grids are derived from blocks and doors (the terrain changes only
// when a block falls), so they are copied only when one of those changed.
void restore(BoardState& work, const BoardState& base) {
    int n = count(base.characters);
    if (count(work.characters) != n || !same_mover(work.exit, base.exit)) {
        copy_board_position(work, base);
        return;
    }
    for (int i = 0; i < n; ++i)
        rt_index(work.characters, i).m = rt_index(base.characters, i).m;
    bool grids = false;
    for (int i = 0; i < count(base.blocks); ++i) {
        BoxRecord& b = rt_index(work.blocks, i);
        const BoxRecord& from = rt_index(base.blocks, i);
        if (same_mover(b.m, from.m)) continue;
        b.m = from.m;
        grids = true;
    }
    for (int i = 0; i < count(base.doors); ++i) {
        DoorRecord& d = rt_index(work.doors, i);
        const DoorRecord& from = rt_index(base.doors, i);
        if (same_door(d, from)) continue;
        copy_door(d, from);
        grids = true;
    }
    if (grids) {
        rt_array_assign(work.terrain, base.terrain);
        rt_array_assign(work.occupancy, base.occupancy);
    }
    work.current_character = base.current_character;
    work.fade_timer = base.fade_timer;
}

} // namespace

RuleMoves::RuleMoves(const BoardState& start)
    : layout_(start), base_(start), child_(static_cast<std::size_t>(layout_.words())) {
    base_.record_undo = 0; // the search keeps its own history
    base_.fade_timer = 0;
    rt_dim(base_.undo_stack, 0);
    work_ = base_;
}

void RuleMoves::start_key(std::uint64_t* key) const {
    layout_.encode(base_, key);
}

void RuleMoves::load(const std::uint64_t* key) {
    // The grids of the position loaded before still hold when only the
    // characters differ.
    layout_.decode(key, base_, loaded_.empty() ? nullptr : loaded_.data());
    loaded_.assign(key, key + layout_.words());
    characters_ = layout_.characters_in(key);
    restore(work_, base_);
    dirty_ = false;
}

StepResult RuleMoves::step(int character, int direction) {
    // A refused step leaves the board as it was, so the position is only
    // restored after an accepted one.
    if (dirty_) restore(work_, base_);
    dirty_ = false;
    work_.current_character = character;
    if (step_character(work_, kDirectionDx[direction], kDirectionDy[direction]) == 0)
        return StepResult::kRefused;
    finish_animations(work_);
    dirty_ = true;
    if (work_.fade_timer > 0) return StepResult::kFinished;
    layout_.encode(work_, child_.data());
    return StepResult::kMoved;
}

} // namespace solver
