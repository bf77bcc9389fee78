// shapes.h: building blocks for the generator's models: boxes, surfaces of
// revolution, cylinders and prisms, each returned as its own mesh part.
#pragma once

#include "mesh.h"

#include <functional>

// Flips every polygon whose face normal points towards `inside`, so a part
// that is star-shaped around that point ends up wound outward.
void orient_outward(Mesh& part, Vec3 inside);

// Axis-aligned box with flat faces. Each face is a frame of `border` (a
// fraction of the face) in `edge` around a panel in `face`; border 0 gives
// plain faces. `top` colours the upper face's panel.
struct BoxStyle {
    Rgb face{200, 200, 200};
    Rgb top{220, 220, 220};
    Rgb edge{150, 150, 150};
    double border = 0;
};
Mesh make_box(Vec3 lo, Vec3 hi, const BoxStyle& style);

// Surface of revolution about the vertical axis. `profile(t)` gives
// {radius, height} for t from 0 (top) to 1 (bottom); a radius of 0 at either
// end closes the surface in a single pole vertex. `bulge(angle, t)` scales
// the radius (lobes, ribs). Angle 0 faces -x, so the texture's middle
// column (u = 0.5) faces +x; v runs from v_top to v_bottom.
struct Lathe {
    std::function<std::array<double, 2>(double t)> profile;
    std::function<double(double angle, double t)> bulge = [](double, double) { return 1.0; };
    int segments = 24;
    int rings = 12;
    double v_top = 0.0, v_bottom = 1.0;
    double u_scale = 1.0;
    Rgb colour{255, 255, 255};
};
Mesh make_lathe(const Lathe& lathe);

// Closed cylinder between heights y0 and y1 around (cx, cz); smooth sides,
// flat caps. All corners use texture coordinate (u, v).
Mesh make_cylinder(Vec3 base, double radius, double height, int segments, Rgb colour, double u = 0,
                   double v = 0);

// A flat closed prism: the polygon `outline` (x, z pairs, counter-clockwise
// seen from above) extruded from y0 to y1; top texture coordinates follow
// the outline through `uv_of`.
Mesh make_prism(const std::vector<std::array<double, 2>>& outline, double y0, double y1, Rgb colour,
                const std::function<std::array<double, 2>(double x, double z)>& uv_of);
