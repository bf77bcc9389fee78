// models_board.cpp: the board pieces: floor, block, wall, revolving door and exit flag.
//
// Heights follow the board drawing: the floor's top is at model height 0
// (it is placed half a cell down), blocks are unit cubes centred on their
// origin, and walls are drawn squashed to 0.8 and must still reach the floor.
#include "models.h"
#include "shapes.h"

#include <cmath>

namespace {

constexpr Rgb kFloor{0, 200, 0};
constexpr Rgb kFloorSide{0, 140, 0};
constexpr Rgb kDoor{80, 120, 220};
constexpr Rgb kDoorEdge{40, 70, 160};

// A ball made as a lathe, centred at `centre`.
Mesh ball(Vec3 centre, double radius, Rgb colour, int segments = 12) {
    Lathe l;
    l.segments = segments;
    l.rings = segments / 2;
    l.colour = colour;
    l.profile = [radius](double t) {
        const double a = t * 3.14159265358979;
        return std::array<double, 2>{radius * std::sin(a), radius * std::cos(a)};
    };
    Mesh m = make_lathe(l);
    transform(m, centre, {1, 1, 1});
    return m;
}

} // namespace

Mesh build_ground() {
    // Only a stand-in: each level start replaces it with the level's own floor.
    return make_box({0, -1, 0}, {20, 0, 18}, {kFloorSide, kFloor, kFloorSide, 0});
}

Mesh build_block() {
    return make_box({-0.5, -0.5, -0.5}, {0.5, 0.5, 0.5},
                    {{200, 135, 65}, {225, 165, 90}, {140, 88, 40}, 0.12});
}

Mesh build_wall() {
    // Drawn scaled by 0.8 vertically at height 0: -0.625 becomes -0.5, the floor.
    return make_box({-0.5, -0.625, -0.5}, {0.5, 0.375, 0.5},
                    {{125, 110, 100}, {170, 150, 125}, {125, 110, 100}, 0});
}

Mesh build_door_pivot() {
    Mesh m = make_cylinder({0, -0.5, 0}, 0.18, 0.9, 16, kDoorEdge);
    m.append(ball({0, 0.45, 0}, 0.2, kDoor, 16));
    return m;
}

Mesh build_door_arm() {
    // Drawn at the neighbouring cell's centre; the pivot sits one cell towards -x.
    return make_box({-0.84, -0.45, -0.07}, {0.45, 0.3, 0.07},
                    {kDoor, {120, 160, 240}, kDoorEdge, 0.1});
}

namespace {

using Grid = std::vector<std::vector<int>>;
constexpr int kClothCols = 6, kClothRows = 3;

// One flat quad of the cloth's edge, with vertices of its own so the thin
// edge does not bend the faces' smooth normals.
void add_rim(Mesh& m, std::array<int, 4> q, int uv) {
    const Vec3 a = m.positions[q[0]], b = m.positions[q[1]], c = m.positions[q[2]];
    const Vec3 n = normalised(cross(b - a, c - a));
    std::vector<Corner> corners;
    for (int v : q)
        corners.push_back({m.add_vertex(m.positions[v], n), uv});
    m.add_polygon({200, 200, 200}, corners);
}

// Rims round the four sides close the slab, so it casts a proper shadow.
void close_cloth(Mesh& m, const Grid& front, const Grid& back, int uv) {
    constexpr int R = kClothRows, C = kClothCols;
    for (int c = 0; c < C; ++c) {
        add_rim(m, {front[0][c], back[0][c], back[0][c + 1], front[0][c + 1]}, uv);
        add_rim(m, {front[R][c], front[R][c + 1], back[R][c + 1], back[R][c]}, uv);
    }
    for (int r = 0; r < R; ++r) {
        add_rim(m, {front[r][0], front[r + 1][0], back[r + 1][0], back[r][0]}, uv);
        add_rim(m, {front[r][C], back[r][C], back[r + 1][C], front[r + 1][C]}, uv);
    }
}

// The flag's cloth: a thin wavy slab in checks, both sides drawn.
Mesh flag_cloth() {
    constexpr double x0 = 0.03, x1 = 0.88, y0 = 0.8, y1 = 1.3, half = 0.015;
    Mesh m;
    const int uv = m.add_uv(0, 0);
    auto wave = [](double x) { return 0.07 * std::sin(x * 7.5); };
    Grid front(kClothRows + 1), back(kClothRows + 1);
    for (int r = 0; r <= kClothRows; ++r) {
        for (int c = 0; c <= kClothCols; ++c) {
            const double x = x0 + (x1 - x0) * c / kClothCols, y = y0 + (y1 - y0) * r / kClothRows;
            const double droop = -0.05 * (x - x0); // the free end hangs a little
            front[r].push_back(m.add_vertex({x, y + droop, wave(x) + half}));
            back[r].push_back(m.add_vertex({x, y + droop, wave(x) - half}));
        }
    }
    for (int r = 0; r < kClothRows; ++r) {
        for (int c = 0; c < kClothCols; ++c) {
            const Rgb col = (r + c) % 2 ? Rgb{30, 30, 30} : Rgb{250, 250, 250};
            m.add_polygon(col, {{front[r][c], uv},
                                {front[r][c + 1], uv},
                                {front[r + 1][c + 1], uv},
                                {front[r + 1][c], uv}});
            m.add_polygon(col, {{back[r][c], uv},
                                {back[r + 1][c], uv},
                                {back[r + 1][c + 1], uv},
                                {back[r][c + 1], uv}});
        }
    }
    smooth_normals(m);
    close_cloth(m, front, back, uv);
    return m;
}

} // namespace

Mesh build_flag() {
    // Stands on its origin and spins about the pole.
    Mesh m = make_cylinder({0, 0, 0}, 0.26, 0.06, 20, {230, 180, 40});
    m.append(make_cylinder({0, 0.06, 0}, 0.035, 1.28, 10, {220, 220, 225}));
    m.append(ball({0, 1.36, 0}, 0.07, {240, 200, 40}, 10));
    m.append(flag_cloth());
    return m;
}
