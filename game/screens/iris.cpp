// iris.cpp: the iris wipe of level changes, a white frame with a round
// opening in its centre, drawn in 2D over the current board's frame.
#include "game/screens/screens.h"

#include "runtime/runtime.h"

namespace {

struct Point {
    double x, y;
};

// One quarter of the frame outside the circle: from a frame corner to the
// midpoint of one edge, along the circle in 5 degree steps from angle `from`
// (0 = straight up, clockwise) to from + 90, and on to the other edge's
// midpoint. Drawn as a fan from the corner, which sees the whole quarter.
void draw_quarter(Point corner, Point first_edge, Point last_edge, double from, Point centre,
                  double r) {
    PresentationCalls& call = presentation_calls();
    call.PolyBegin(-1);
    call.PolyVertex(corner.x, corner.y, 0, 0, kWhite);
    call.PolyVertex(first_edge.x, first_edge.y, 0, 0, kWhite);
    for (double a = from; a <= from + 90; a += 5)
        call.PolyVertex(centre.x + r * rt_sin(a), centre.y - r * rt_cos(a), 0, 0, kWhite);
    call.PolyVertex(last_edge.x, last_edge.y, 0, 0, kWhite);
    call.PolyEnd();
}

} // namespace

void draw_iris(double openness) {
    const double w = game_values().frame_width, h = game_values().frame_height;
    double r = openness * w - 16;
    if (r < 0) r = 0;
    const Point c{w / 2, h / 2};
    const Point top{w / 2, 0}, right{w, h / 2}, bottom{w / 2, h}, left{0, h / 2};
    draw_quarter({w, 0}, top, right, 0, c, r);
    draw_quarter({w, h}, right, bottom, 90, c, r);
    draw_quarter({0, h}, bottom, left, 180, c, r);
    draw_quarter({0, 0}, left, top, 270, c, r);
}
