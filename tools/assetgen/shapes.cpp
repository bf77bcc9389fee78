// shapes.cpp: box, lathe, cylinder and prism builders.
#include "shapes.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kPi = 3.14159265358979323846;

Vec3 face_normal(const Mesh& m, const Polygon& poly) {
    Vec3 sum;
    const Vec3 p0 = m.positions[poly.corners[0].vertex];
    for (size_t i = 1; i + 1 < poly.corners.size(); ++i)
        sum = sum + cross(m.positions[poly.corners[i].vertex] - p0,
                          m.positions[poly.corners[i + 1].vertex] - p0);
    return sum;
}

Vec3 centroid(const Mesh& m, const Polygon& poly) {
    Vec3 sum;
    for (const Corner& c : poly.corners)
        sum = sum + m.positions[c.vertex];
    return sum * (1.0 / static_cast<double>(poly.corners.size()));
}

// One flat quad with its own four vertices (so its normal stays flat).
void flat_quad(Mesh& m, const std::array<Vec3, 4>& p, Vec3 normal, Rgb colour, int uv) {
    std::vector<Corner> corners;
    for (const Vec3& q : p)
        corners.push_back({m.add_vertex(q, normal), uv});
    m.add_polygon(colour, corners);
}

// A box face as a panel inside a frame. `o` is a corner, `a` and `b` span the face.
void framed_face(Mesh& m, Vec3 o, Vec3 a, Vec3 b, Vec3 normal, Rgb panel, Rgb edge, double border,
                 int uv) {
    auto at = [&](double s, double t) { return o + a * s + b * t; };
    if (border <= 0) {
        flat_quad(m, {at(0, 0), at(1, 0), at(1, 1), at(0, 1)}, normal, panel, uv);
        return;
    }
    const double lo = border, hi = 1 - border;
    flat_quad(m, {at(lo, lo), at(hi, lo), at(hi, hi), at(lo, hi)}, normal, panel, uv);
    flat_quad(m, {at(0, 0), at(1, 0), at(hi, lo), at(lo, lo)}, normal, edge, uv);
    flat_quad(m, {at(1, 0), at(1, 1), at(hi, hi), at(hi, lo)}, normal, edge, uv);
    flat_quad(m, {at(1, 1), at(0, 1), at(lo, hi), at(hi, hi)}, normal, edge, uv);
    flat_quad(m, {at(0, 1), at(0, 0), at(lo, lo), at(lo, hi)}, normal, edge, uv);
}

} // namespace

void orient_outward(Mesh& part, Vec3 inside) {
    for (Polygon& poly : part.polygons) {
        if (dot(face_normal(part, poly), centroid(part, poly) - inside) < 0)
            std::reverse(poly.corners.begin(), poly.corners.end());
    }
}

Mesh make_box(Vec3 lo, Vec3 hi, const BoxStyle& s) {
    Mesh m;
    int uv = m.add_uv(0, 0);
    const Vec3 d = hi - lo;
    const Vec3 dx{d.x, 0, 0}, dy{0, d.y, 0}, dz{0, 0, d.z};
    framed_face(m, lo + dy, dx, dz, {0, 1, 0}, s.top, s.edge, s.border, uv);
    framed_face(m, lo, dx, dz, {0, -1, 0}, s.face, s.edge, s.border, uv);
    framed_face(m, lo, dx, dy, {0, 0, -1}, s.face, s.edge, s.border, uv);
    framed_face(m, lo + dz, dx, dy, {0, 0, 1}, s.face, s.edge, s.border, uv);
    framed_face(m, lo, dz, dy, {-1, 0, 0}, s.face, s.edge, s.border, uv);
    framed_face(m, lo + dx, dz, dy, {1, 0, 0}, s.face, s.edge, s.border, uv);
    orient_outward(m, (lo + hi) * 0.5);
    return m;
}

Mesh make_lathe(const Lathe& L) {
    Mesh m;
    const int S = L.segments;
    std::vector<std::vector<int>> ring(L.rings + 1);
    double y_mid = 0;
    for (int i = 0; i <= L.rings; ++i) {
        const double t = static_cast<double>(i) / L.rings;
        const auto [radius, y] = L.profile(t);
        y_mid += y / (L.rings + 1);
        const int count = radius <= 1e-9 ? 1 : S;
        for (int j = 0; j < count; ++j) {
            const double a = 2 * kPi * j / S;
            const double r = radius * L.bulge(a, t);
            ring[i].push_back(m.add_vertex({-r * std::cos(a), y, r * std::sin(a)}));
        }
    }
    auto uv_at = [&](int i, double j) {
        const double t = static_cast<double>(i) / L.rings;
        return m.add_uv(j / S * L.u_scale, L.v_top + (L.v_bottom - L.v_top) * t);
    };
    auto vertex = [&](int i, int j) { return ring[i].size() == 1 ? ring[i][0] : ring[i][j % S]; };
    for (int i = 0; i < L.rings; ++i) {
        for (int j = 0; j < S; ++j) {
            // Pole rings give triangles; the texture column is the segment's middle there.
            std::vector<Corner> c;
            const bool top_pole = ring[i].size() == 1, bottom_pole = ring[i + 1].size() == 1;
            if (top_pole)
                c.push_back({vertex(i, j), uv_at(i, j + 0.5)});
            else {
                c.push_back({vertex(i, j), uv_at(i, j)});
                c.push_back({vertex(i, j + 1), uv_at(i, j + 1)});
            }
            if (bottom_pole)
                c.push_back({vertex(i + 1, j), uv_at(i + 1, j + 0.5)});
            else {
                c.push_back({vertex(i + 1, j + 1), uv_at(i + 1, j + 1)});
                c.push_back({vertex(i + 1, j), uv_at(i + 1, j)});
            }
            if (c.size() >= 3) m.add_polygon(L.colour, c);
        }
    }
    orient_outward(m, {0, y_mid, 0});
    smooth_normals(m);
    return m;
}

Mesh make_cylinder(Vec3 base, double radius, double height, int segments, Rgb colour, double u,
                   double v) {
    Mesh m;
    const int uv = m.add_uv(u, v);
    std::vector<int> side_lo, side_hi, cap_lo, cap_hi;
    for (int j = 0; j < segments; ++j) {
        const double a = 2 * kPi * j / segments;
        const Vec3 dir{std::cos(a), 0, std::sin(a)};
        const Vec3 lo = base + dir * radius, hi = lo + Vec3{0, height, 0};
        side_lo.push_back(m.add_vertex(lo, dir));
        side_hi.push_back(m.add_vertex(hi, dir));
        cap_lo.push_back(m.add_vertex(lo, {0, -1, 0}));
        cap_hi.push_back(m.add_vertex(hi, {0, 1, 0}));
    }
    std::vector<Corner> bottom, top;
    for (int j = 0; j < segments; ++j) {
        const int k = (j + 1) % segments;
        m.add_polygon(colour,
                      {{side_lo[j], uv}, {side_lo[k], uv}, {side_hi[k], uv}, {side_hi[j], uv}});
        bottom.push_back({cap_lo[j], uv});
        top.push_back({cap_hi[j], uv});
    }
    m.add_polygon(colour, bottom);
    m.add_polygon(colour, top);
    orient_outward(m, base + Vec3{0, height * 0.5, 0});
    return m;
}

Mesh make_prism(const std::vector<std::array<double, 2>>& outline, double y0, double y1, Rgb colour,
                const std::function<std::array<double, 2>(double x, double z)>& uv_of) {
    Mesh m;
    const int n = static_cast<int>(outline.size());
    std::vector<Corner> top, bottom;
    Vec3 centre;
    for (const auto& p : outline) {
        const auto [u, v] = uv_of(p[0], p[1]);
        const int uv = m.add_uv(u, v);
        top.push_back({m.add_vertex({p[0], y1, p[1]}, {0, 1, 0}), uv});
        bottom.push_back({m.add_vertex({p[0], y0, p[1]}, {0, -1, 0}), uv});
        centre = centre + Vec3{p[0], (y0 + y1) * 0.5, p[1]} * (1.0 / n);
    }
    // Star outlines are not convex, so caps are fans from an added centre vertex.
    const auto [cu, cv] = uv_of(centre.x, centre.z);
    const int cuv = m.add_uv(cu, cv);
    const int ct = m.add_vertex({centre.x, y1, centre.z}, {0, 1, 0});
    const int cb = m.add_vertex({centre.x, y0, centre.z}, {0, -1, 0});
    for (int j = 0; j < n; ++j) {
        const int k = (j + 1) % n;
        m.add_polygon(colour, {{ct, cuv}, top[j], top[k]});
        m.add_polygon(colour, {{cb, cuv}, bottom[k], bottom[j]});
        const Vec3 edge = m.positions[top[k].vertex] - m.positions[top[j].vertex];
        const Vec3 out = normalised(cross(edge, {0, 1, 0}));
        std::vector<Corner> side;
        for (const Corner& c : {top[j], top[k], bottom[k], bottom[j]})
            side.push_back({m.add_vertex(m.positions[c.vertex], out), c.uv});
        m.add_polygon(colour, side);
    }
    orient_outward(m, centre);
    // Side normals: flip any that ended up facing inwards.
    for (Polygon& poly : m.polygons) {
        const Vec3 n = face_normal(m, poly);
        for (const Corner& c : poly.corners)
            if (dot(m.normals[c.vertex], n) < 0) m.normals[c.vertex] = m.normals[c.vertex] * -1;
    }
    return m;
}
