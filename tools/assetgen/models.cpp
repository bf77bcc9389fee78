// models.cpp: rotation helpers and the list of model files.
#include "models.h"

#include <cmath>
#include <cstdio>
#include <functional>

namespace {

void rotate(Mesh& m, double degrees, const std::function<Vec3(Vec3, double, double)>& turn) {
    const double a = degrees * 3.14159265358979323846 / 180.0;
    const double c = std::cos(a), s = std::sin(a);
    for (Vec3& p : m.positions)
        p = turn(p, c, s);
    for (Vec3& n : m.normals)
        n = turn(n, c, s);
}

} // namespace

void rotate_y(Mesh& m, double degrees) {
    rotate(m, degrees, [](Vec3 p, double c, double s) {
        return Vec3{p.x * c + p.z * s, p.y, -p.x * s + p.z * c};
    });
}

void rotate_x(Mesh& m, double degrees) {
    rotate(m, degrees, [](Vec3 p, double c, double s) {
        return Vec3{p.x, p.y * c - p.z * s, p.y * s + p.z * c};
    });
}

void rotate_z(Mesh& m, double degrees) {
    rotate(m, degrees, [](Vec3 p, double c, double s) {
        return Vec3{p.x * c - p.y * s, p.x * s + p.y * c, p.z};
    });
}

bool write_models(const std::string& dir) {
    struct Entry {
        const char* file;
        Mesh (*build)();
    };
    const Entry entries[] = {
        {"ground.ddd", build_ground},   {"block.ddd", build_block},
        {"door.ddd", build_door_pivot}, {"doorswing.ddd", build_door_arm},
        {"wall.ddd", build_wall},       {"flag.ddd", build_flag},
        {"pepper.ddd", build_pepper},   {"tomato.ddd", build_tomato},
        {"corn.ddd", build_corn},
    };
    bool ok = true;
    for (const Entry& e : entries) {
        if (!write_ddda(e.build(), dir + "/" + e.file, e.file)) {
            std::fprintf(stderr, "assetgen: cannot write %s\n", e.file);
            ok = false;
        }
    }
    return ok;
}
