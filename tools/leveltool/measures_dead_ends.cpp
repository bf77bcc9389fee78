// measures_dead_ends.cpp: every reachable position of a level, and which of
// them can still be finished, by a search forwards and then backwards.
#include "tools/leveltool/measures_dead_ends.h"

#include "game/rules/board.h"

#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace {

constexpr double kDx[4] = {-1, 1, 0, 0};
constexpr double kDy[4] = {0, 0, -1, 1};

int count_of(const auto& array) {
    return static_cast<int>(rt_bounds(array, 0));
}

// A position at rest as bytes: each block's cell and whether it fell, each
// door's arms, then the characters still on the board. Everything else
// (terrain, occupancy) follows from these and the level.
std::string key_of(const BoardState& b) {
    std::string k;
    for (int i = 0; i < count_of(b.blocks); ++i) {
        const Mover& m = rt_index(b.blocks, i).m;
        k += {static_cast<char>(m.x), static_cast<char>(m.y), static_cast<char>(m.height != 0)};
    }
    for (int i = 0; i < count_of(b.doors); ++i) {
        int mask = 0;
        for (int arm = 0; arm < 4; ++arm)
            mask |= rt_index(rt_index(b.doors, i).arms, arm) != 0 ? 1 << arm : 0;
        k += static_cast<char>(mask);
    }
    for (int i = 0; i < count_of(b.characters); ++i) {
        const Mover& m = rt_index(b.characters, i).m;
        k += {static_cast<char>(m.x), static_cast<char>(m.y)};
    }
    return k;
}

// The board of a key, built from the level's start: fallen blocks make their
// cells floor, characters that left are dropped from the end of the list.
void board_of(const std::string& k, const BoardState& start, BoardState& b) {
    copy_board_position(b, start);
    size_t p = 0;
    for (int i = 0; i < count_of(b.blocks); ++i, p += 3) {
        BoxRecord& box = rt_index(b.blocks, i);
        box.m.x = k[p], box.m.y = k[p + 1], box.m.height = k[p + 2] ? -1 : 0;
        for (int y = 0; k[p + 2] && y < box.depth; ++y)
            for (int x = 0; x < box.width; ++x)
                rt_index(b.terrain, static_cast<int>(box.m.x) + x, static_cast<int>(box.m.y) + y) =
                    0;
    }
    for (int i = 0; i < count_of(b.doors); ++i, ++p)
        for (int arm = 0; arm < 4; ++arm)
            rt_index(rt_index(b.doors, i).arms, arm) = (k[p] >> arm) & 1;
    int left = static_cast<int>((k.size() - p) / 2);
    while (count_of(b.characters) > left)
        rt_delete_at(b.characters, count_of(b.characters) - 1);
    for (int i = 0; i < left; ++i, p += 2) {
        Mover& m = rt_index(b.characters, i).m;
        m.x = k[p], m.y = k[p + 1];
    }
    rebuild_occupancy(b);
}

struct Graph {
    std::unordered_map<std::string, std::uint32_t> index;
    std::vector<std::string> keys;
    std::vector<std::pair<std::uint32_t, std::uint32_t>> edges; // (from, to)
    std::vector<bool> finishes;                                 // a step ends the level
};

std::uint32_t add_position(Graph& g, std::string key) {
    auto [it, fresh] = g.index.emplace(key, static_cast<std::uint32_t>(g.keys.size()));
    if (fresh) g.keys.push_back(std::move(key)), g.finishes.push_back(false);
    return it->second;
}

// Every step of every character from position `from`.
void expand(Graph& g, std::uint32_t from, const BoardState& start, BoardState& here,
            BoardState& work) {
    board_of(g.keys[from], start, here);
    for (int c = 0; c < count_of(here.characters); ++c)
        for (int d = 0; d < 4; ++d) {
            copy_board_position(work, here);
            work.current_character = c;
            if (step_character(work, kDx[d], kDy[d]) == 0) continue;
            finish_animations(work);
            if (work.fade_timer > 0) {
                g.finishes[from] = true;
                continue;
            }
            std::uint32_t to = add_position(g, key_of(work));
            if (to != from) g.edges.emplace_back(from, to);
        }
}

// Backwards from the positions one step from the end: all that can finish.
std::uint64_t count_finishing(const Graph& g) {
    size_t n = g.keys.size();
    std::vector<std::uint32_t> first(n + 1, 0), from(g.edges.size());
    for (const auto& e : g.edges)
        ++first[e.second + 1];
    for (size_t i = 0; i < n; ++i)
        first[i + 1] += first[i];
    std::vector<std::uint32_t> fill(first.begin(), first.end() - 1);
    for (const auto& e : g.edges)
        from[fill[e.second]++] = e.first;
    std::vector<bool> can(g.finishes);
    std::vector<std::uint32_t> queue;
    for (std::uint32_t i = 0; i < n; ++i)
        if (can[i]) queue.push_back(i);
    for (size_t q = 0; q < queue.size(); ++q)
        for (std::uint32_t e = first[queue[q]]; e < first[queue[q] + 1]; ++e)
            if (!can[from[e]]) can[from[e]] = true, queue.push_back(from[e]);
    return queue.size();
}

} // namespace

DeadEndCount count_dead_ends(const BoardState& start, std::uint64_t max_positions) {
    BoardState base = start, here = start, work = start;
    base.record_undo = here.record_undo = work.record_undo = 0;
    rebuild_occupancy(base);
    Graph g;
    add_position(g, key_of(base));
    DeadEndCount r;
    for (std::uint32_t next = 0; next < g.keys.size(); ++next) {
        if (g.keys.size() > max_positions) return r.reachable = g.keys.size(), r;
        expand(g, next, base, here, work);
    }
    r.complete = true;
    r.reachable = g.keys.size();
    r.dead_ends = r.reachable - count_finishing(g);
    return r;
}
