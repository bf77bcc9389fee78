// state_table.cpp: packing positions into keys and back, and the hash set of
// keys the search has seen.
#include "game/solver/state_table.h"

#include <cstring>

namespace solver {

namespace {

constexpr std::uint16_t kFallen = 0x8000;

void put16(unsigned char* bytes, int at, int value) {
    bytes[at] = static_cast<unsigned char>(value & 0xff);
    bytes[at + 1] = static_cast<unsigned char>(value >> 8);
}

int get16(const unsigned char* bytes, int at) {
    return bytes[at] | (bytes[at + 1] << 8);
}

int cell_index(const Mover& m) {
    return cell(m.x) + kBoardWidth * cell(m.y);
}

void place(Mover& m, int index) {
    m = Mover{};
    m.x = index % kBoardWidth;
    m.y = index / kBoardWidth;
}

// A fallen block's cells are floor.
void fill_holes(RtArray<double>& terrain, const BoxRecord& b) {
    for (int y = cell(b.m.y); y < cell(b.m.y) + cell(b.depth); ++y)
        for (int x = cell(b.m.x); x < cell(b.m.x) + cell(b.width); ++x)
            rt_index(terrain, x, y) = 0;
}

// One round of a 64-bit mixer (the finaliser of splitmix64).
std::uint64_t mix(std::uint64_t h) {
    h ^= h >> 30;
    h *= 0xbf58476d1ce4e5b9ull;
    h ^= h >> 27;
    h *= 0x94d049bb133111ebull;
    return h ^ (h >> 31);
}

} // namespace

KeyLayout::KeyLayout(const BoardState& start)
    : characters_(count(start.characters)), blocks_(count(start.blocks)),
      doors_(count(start.doors)) {
    block_offset_ = 1 + 2 * characters_;
    door_offset_ = block_offset_ + 2 * blocks_;
    int bytes = door_offset_ + (doors_ + 1) / 2;
    words_ = (bytes + 7) / 8;
    rt_array_assign(terrain_, start.terrain);
}

void KeyLayout::encode(const BoardState& board, std::uint64_t* key) const {
    std::memset(key, 0, static_cast<std::size_t>(words_) * 8);
    auto* bytes = reinterpret_cast<unsigned char*>(key);
    int n = count(board.characters);
    bytes[0] = static_cast<unsigned char>(n);
    for (int i = 0; i < n; ++i)
        put16(bytes, 1 + 2 * i, cell_index(rt_index(board.characters, i).m));
    for (int i = 0; i < blocks_; ++i) {
        const Mover& m = rt_index(board.blocks, i).m;
        put16(bytes, block_offset_ + 2 * i, cell_index(m) | (m.height != 0 ? kFallen : 0));
    }
    for (int i = 0; i < doors_; ++i) {
        const DoorRecord& d = rt_index(board.doors, i);
        int mask = 0;
        for (int k = 0; k < 4; ++k)
            mask |= rt_index(d.arms, k) != 0 ? 1 << k : 0;
        bytes[door_offset_ + i / 2] |= static_cast<unsigned char>(mask << (4 * (i % 2)));
    }
}

void KeyLayout::decode(const std::uint64_t* key, BoardState& board,
                       const std::uint64_t* previous) const {
    const auto* bytes = reinterpret_cast<const unsigned char*>(key);
    int n = bytes[0];
    if (count(board.characters) != n) rt_dim(board.characters, n);
    for (int i = 0; i < n; ++i)
        place(rt_index(board.characters, i).m, get16(bytes, 1 + 2 * i));
    board.current_character = 0;
    board.fade_timer = 0;
    // Blocks and doors as before: the grids still hold.
    const auto* before = reinterpret_cast<const unsigned char*>(previous);
    std::size_t bytes_after = static_cast<std::size_t>(words_) * 8 - block_offset_;
    if (before != nullptr &&
        std::memcmp(bytes + block_offset_, before + block_offset_, bytes_after) == 0)
        return;
    rt_array_assign(board.terrain, terrain_);
    for (int i = 0; i < blocks_; ++i) {
        BoxRecord& b = rt_index(board.blocks, i);
        int packed = get16(bytes, block_offset_ + 2 * i);
        place(b.m, packed & ~kFallen);
        if ((packed & kFallen) != 0) {
            b.m.height = -1;
            fill_holes(board.terrain, b);
        }
    }
    for (int i = 0; i < doors_; ++i) {
        DoorRecord& d = rt_index(board.doors, i);
        int mask = bytes[door_offset_ + i / 2] >> (4 * (i % 2));
        for (int k = 0; k < 4; ++k)
            rt_index(d.arms, k) = (mask >> k) & 1;
        d.m.angle = 0;
        d.m.pending_angle = 0;
    }
    rebuild_occupancy(board);
}

int KeyLayout::characters_in(const std::uint64_t* key) const {
    return reinterpret_cast<const unsigned char*>(key)[0];
}

StateTable::StateTable(int words) : words_(words) {
    slots_.assign(1024, 0);
    mask_ = slots_.size() - 1;
}

std::uint64_t StateTable::hash(const std::uint64_t* key) const {
    std::uint64_t h = 0x9e3779b97f4a7c15ull;
    for (int i = 0; i < words_; ++i)
        h = mix(h ^ key[i]);
    return h;
}

std::size_t StateTable::find_slot(const std::uint64_t* key, std::uint64_t h) const {
    std::uint64_t tag = h >> 32;
    std::size_t bytes = static_cast<std::size_t>(words_) * 8;
    for (std::size_t s = h & mask_;; s = (s + 1) & mask_) {
        std::uint64_t slot = slots_[s];
        if (slot == 0) return s;
        if ((slot >> 32) == tag &&
            std::memcmp(this->key(static_cast<std::uint32_t>(slot) - 1), key, bytes) == 0)
            return s;
    }
}

std::uint32_t StateTable::find_or_insert(const std::uint64_t* key, std::uint64_t h,
                                         std::uint32_t parent, std::uint8_t step, bool& fresh) {
    std::size_t s = find_slot(key, h);
    fresh = slots_[s] == 0;
    if (!fresh) return static_cast<std::uint32_t>(slots_[s]) - 1;
    std::uint32_t index = size();
    keys_.insert(keys_.end(), key, key + words_);
    parents_.push_back(parent);
    steps_.push_back(step);
    slots_[s] = (h >> 32) << 32 | (static_cast<std::uint64_t>(index) + 1);
    // Kept at most half full so that probe runs stay short.
    if (static_cast<std::size_t>(size()) * 2 > slots_.size()) grow();
    return index;
}

void StateTable::grow() {
    slots_.assign(slots_.size() * 2, 0);
    mask_ = slots_.size() - 1;
    for (std::uint32_t i = 0; i < size(); ++i) {
        std::uint64_t h = hash(key(i));
        std::size_t s = h & mask_;
        while (slots_[s] != 0)
            s = (s + 1) & mask_;
        slots_[s] = (h >> 32) << 32 | (static_cast<std::uint64_t>(i) + 1);
    }
}

} // namespace solver
