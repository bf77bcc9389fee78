// models_crops.cpp: the characters (pepper, tomato) and the corn cob.
//
// Each stands on its origin, faces +x (where its texture's middle column,
// the face, is wrapped) and uses one texture for body, stem and leaves; the
// polygons are white so the texture shows its own colours. The green parts
// take their texture coordinates from a green area of the same texture.
#include "models.h"
#include "shapes.h"
#include "textures.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr Rgb kWhite{255, 255, 255};

double bump(double x, double width) {
    return std::exp(-(x / width) * (x / width));
}

// Lifts the part so its lowest point rests on height 0.
void stand_on_origin(Mesh& m) {
    double low = 1e9;
    for (const Vec3& p : m.positions)
        low = std::min(low, p.y);
    transform(m, {0, -low, 0}, {1, 1, 1});
}

double top_of(const Mesh& m) {
    double high = -1e9;
    for (const Vec3& p : m.positions)
        high = std::max(high, p.y);
    return high;
}

// A star of `points` leaves lying on a dome at height `y`, drooping outwards.
Mesh leaf_star(int points, double outer, double inner, double y, std::array<double, 2> uv) {
    std::vector<std::array<double, 2>> outline;
    for (int i = 0; i < points * 2; ++i) {
        const double a = kPi * i / points, r = i % 2 ? inner : outer;
        outline.push_back({r * std::cos(a), -r * std::sin(a)});
    }
    Mesh m = make_prism(outline, y - 0.012, y + 0.012, kWhite, [uv](double, double) { return uv; });
    for (Vec3& p : m.positions)
        p.y -= 1.1 * (p.x * p.x + p.z * p.z);
    return m;
}

} // namespace

Mesh build_pepper() {
    Lathe body;
    body.segments = 28;
    body.rings = 16;
    body.v_top = 0.01;
    body.v_bottom = 0.99;
    body.profile = [](double t) {
        const double a = t * kPi;
        double r = 0.42 * std::sin(a) * (1.08 - 0.2 * t);
        // Sunken round the stem at the top, and a little between the lobes below.
        double y = 0.48 + 0.48 * std::cos(a) - 0.13 * bump(a, 0.45) + 0.07 * bump(kPi - a, 0.35);
        return std::array<double, 2>{r, y};
    };
    // Four lobes, strongest towards the bottom.
    body.bulge = [](double a, double t) {
        return 1 + 0.08 * std::cos(4 * a + kPi / 4) * (0.3 + t);
    };
    Mesh m = make_lathe(body);
    stand_on_origin(m);
    const double top = top_of(m);
    Mesh stem =
        make_cylinder({0, top - 0.12, 0}, 0.05, 0.28, 10, kWhite, kGreenSwatchU, kGreenSwatchV);
    rotate_z(stem, 8);
    m.append(stem);
    m.append(leaf_star(5, 0.15, 0.06, top - 0.1, {kGreenSwatchU, kGreenSwatchV}));
    return m;
}

Mesh build_tomato() {
    Lathe body;
    body.segments = 28;
    body.rings = 14;
    body.v_top = 0.01;
    body.v_bottom = 0.99;
    body.profile = [](double t) {
        const double a = t * kPi;
        double y = 0.37 + 0.35 * std::cos(a) - 0.035 * bump(a, 0.5) + 0.03 * bump(kPi - a, 0.4);
        return std::array<double, 2>{0.45 * std::sin(a), y};
    };
    body.bulge = [](double a, double t) { return 1 + 0.04 * std::cos(6 * a) * std::sin(t * kPi); };
    Mesh m = make_lathe(body);
    stand_on_origin(m);
    // The lathe's first vertex is its top pole, the bottom of the little dip
    // the leaves sit in; they must clear the rim around it to be seen.
    const double pole = m.positions[0].y;
    m.append(leaf_star(6, 0.27, 0.08, pole + 0.05, {kGreenSwatchU, kGreenSwatchV}));
    m.append(make_cylinder({0, pole, 0}, 0.03, 0.13, 8, kWhite, kGreenSwatchU, kGreenSwatchV));
    return m;
}

namespace {

// One husk leaf: a thin pointed blade standing up from the base, bent outwards.
Mesh husk(double angle) {
    std::vector<std::array<double, 2>> outline;
    constexpr int kSteps = 6;
    for (int i = 0; i <= kSteps; ++i) {
        const double s = static_cast<double>(i) / kSteps;
        outline.push_back({0.13 * std::sin(s * kPi * 0.9 + 0.1), s * 0.62});
    }
    for (int i = kSteps; i >= 0; --i) {
        const double s = static_cast<double>(i) / kSteps;
        outline.push_back({-0.13 * std::sin(s * kPi * 0.9 + 0.1), s * 0.62});
    }
    Mesh m = make_prism(outline, -0.012, 0.012, kWhite, [](double, double) {
        return std::array<double, 2>{kGreenSwatchU, kGreenSwatchV};
    });
    // The blade lies in the x-z plane; stand it up, lean it out and bend its tip.
    rotate_x(m, -90);
    for (Vec3& p : m.positions)
        p.z += 0.5 * p.y * p.y;
    transform(m, {0, 0, 0.14}, {1, 1, 1});
    rotate_y(m, angle);
    return m;
}

} // namespace

Mesh build_corn() {
    Lathe cob;
    cob.segments = 24;
    cob.rings = 16;
    cob.v_top = 0.01;
    cob.v_bottom = 0.9;
    cob.profile = [](double t) {
        const double a = t * kPi;
        // Fuller at the bottom, rounded at the tip.
        return std::array<double, 2>{0.2 * std::sin(a) * (0.8 + 0.25 * t),
                                     0.55 + 0.5 * std::cos(a)};
    };
    cob.bulge = [](double a, double t) { return 1 + 0.03 * std::cos(14 * a) * std::sin(t * kPi); };
    Mesh m = make_lathe(cob);
    transform(m, {0, 0.06, 0}, {1, 1, 1});
    for (double a : {30.0, 150.0, 270.0})
        m.append(husk(a));
    stand_on_origin(m);
    return m;
}
