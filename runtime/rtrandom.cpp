// rtrandom.cpp: the runtime's random generator, Bob Jenkins' ISAAC (32-bit
// words, 256-word state, golden-ratio initialisation), behind rt_seed and
// rt_rnd. Every draw runs one full generation round and takes its first word.
#include "runtime/rtstring.h"

#include <cstdint>

namespace {

constexpr int kWords = 256;
constexpr std::uint32_t kGoldenRatio = 0x9e3779b9u;

struct Isaac {
    std::uint32_t memory[kWords];
    std::uint32_t results[kWords];
    std::uint32_t a, b, c;
    bool seeded;
};

Isaac g_isaac{};

// One round: refreshes the whole state and fills results with 256 new words.
void generate(Isaac& s) {
    s.c += 1;
    s.b += s.c;
    for (int i = 0; i < kWords; ++i) {
        std::uint32_t x = s.memory[i];
        switch (i & 3) {
        case 0:
            s.a ^= s.a << 13;
            break;
        case 1:
            s.a ^= s.a >> 6;
            break;
        case 2:
            s.a ^= s.a << 2;
            break;
        default:
            s.a ^= s.a >> 16;
            break;
        }
        s.a += s.memory[(i + 128) & 255];
        std::uint32_t y = s.memory[(x >> 2) & 255] + s.a + s.b;
        s.memory[i] = y;
        s.b = s.memory[(y >> 10) & 255] + x;
        s.results[i] = s.b;
    }
}

void mix(std::uint32_t (&v)[8]) {
    v[0] ^= v[1] << 11;
    v[3] += v[0];
    v[1] += v[2];
    v[1] ^= v[2] >> 2;
    v[4] += v[1];
    v[2] += v[3];
    v[2] ^= v[3] << 8;
    v[5] += v[2];
    v[3] += v[4];
    v[3] ^= v[4] >> 16;
    v[6] += v[3];
    v[4] += v[5];
    v[4] ^= v[5] << 10;
    v[7] += v[4];
    v[5] += v[6];
    v[5] ^= v[6] >> 4;
    v[0] += v[5];
    v[6] += v[7];
    v[6] ^= v[7] << 8;
    v[1] += v[6];
    v[7] += v[0];
    v[7] ^= v[0] >> 9;
    v[2] += v[7];
    v[0] += v[1];
}

// Spreads every word of source through the state, eight words at a time.
void scramble_pass(Isaac& s, std::uint32_t (&v)[8], const std::uint32_t* source) {
    for (int i = 0; i < kWords; i += 8) {
        for (int k = 0; k < 8; ++k)
            v[k] += source[i + k];
        mix(v);
        for (int k = 0; k < 8; ++k)
            s.memory[i + k] = v[k];
    }
}

// The standard initialisation with the seed words in results: golden-ratio
// start, four warm-up mixes, two passes (seed, then the state itself), and
// one round so that results holds fresh output.
void initialise(Isaac& s) {
    s.a = s.b = s.c = 0;
    std::uint32_t v[8];
    for (auto& word : v)
        word = kGoldenRatio;
    for (int i = 0; i < 4; ++i)
        mix(v);
    scramble_pass(s, v, s.results);
    std::uint32_t copy[kWords];
    for (int i = 0; i < kWords; ++i)
        copy[i] = s.memory[i];
    scramble_pass(s, v, copy);
    generate(s);
    s.seeded = true;
}

} // namespace

void rt_seed(std::uint32_t seed) {
    for (auto& word : g_isaac.results)
        word = 0;
    g_isaac.results[0] = seed;
    initialise(g_isaac);
}

// A generator that nobody seeded starts from seed 0.
std::uint32_t rt_random_word() {
    if (!g_isaac.seeded) rt_seed(0);
    generate(g_isaac);
    return g_isaac.results[0];
}
