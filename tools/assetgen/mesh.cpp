// mesh.cpp: mesh helpers and the text model writer.
#include "mesh.h"

#include <cmath>
#include <cstdio>

double dot(Vec3 a, Vec3 b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

Vec3 cross(Vec3 a, Vec3 b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

Vec3 normalised(Vec3 a) {
    double len = std::sqrt(dot(a, a));
    return len > 1e-12 ? a * (1.0 / len) : Vec3{0, 1, 0};
}

int Mesh::add_vertex(Vec3 p, Vec3 n) {
    positions.push_back(p);
    normals.push_back(n);
    return static_cast<int>(positions.size()) - 1;
}

int Mesh::add_uv(double u, double v) {
    uvs.push_back({u, v});
    return static_cast<int>(uvs.size()) - 1;
}

void Mesh::add_polygon(Rgb colour, std::vector<Corner> corners) {
    polygons.push_back({colour, std::move(corners)});
}

void Mesh::append(const Mesh& other) {
    int vbase = static_cast<int>(positions.size());
    int tbase = static_cast<int>(uvs.size());
    positions.insert(positions.end(), other.positions.begin(), other.positions.end());
    normals.insert(normals.end(), other.normals.begin(), other.normals.end());
    uvs.insert(uvs.end(), other.uvs.begin(), other.uvs.end());
    for (Polygon poly : other.polygons) {
        for (Corner& c : poly.corners) {
            c.vertex += vbase;
            c.uv += tbase;
        }
        polygons.push_back(std::move(poly));
    }
}

void smooth_normals(Mesh& mesh) {
    std::vector<Vec3> sum(mesh.positions.size());
    for (const Polygon& poly : mesh.polygons) {
        // Fan triangles from the first corner; the cross product's length
        // weights each face by its area.
        const Vec3 p0 = mesh.positions[poly.corners[0].vertex];
        for (size_t i = 1; i + 1 < poly.corners.size(); ++i) {
            Vec3 p1 = mesh.positions[poly.corners[i].vertex];
            Vec3 p2 = mesh.positions[poly.corners[i + 1].vertex];
            Vec3 n = cross(p1 - p0, p2 - p0);
            for (const Corner& c : poly.corners)
                sum[c.vertex] = sum[c.vertex] + n;
        }
    }
    for (size_t i = 0; i < sum.size(); ++i)
        mesh.normals[i] = normalised(sum[i]);
}

void transform(Mesh& mesh, Vec3 offset, Vec3 scale) {
    for (Vec3& p : mesh.positions)
        p = {p.x * scale.x + offset.x, p.y * scale.y + offset.y, p.z * scale.z + offset.z};
}

namespace {

// Short decimal text: enough precision for byte-packed positions, and
// "-0" never appears.
void put_number(std::FILE* f, double v) {
    if (std::fabs(v) < 5e-7) v = 0;
    std::fprintf(f, " %.6g", v);
}

} // namespace

bool write_ddda(const Mesh& mesh, const std::string& path, const std::string& title) {
    std::FILE* f = std::fopen(path.c_str(), "w");
    if (!f) return false;
    std::fprintf(f, "DDDA 1.1\n# %s\n# texture coordinates\n%zu\n", title.c_str(), mesh.uvs.size());
    for (const auto& uv : mesh.uvs) {
        put_number(f, uv[0]);
        put_number(f, uv[1]);
        std::fputc('\n', f);
    }
    std::fprintf(f, "# polygons: red green blue corners (vertex uv)...\n%zu\n",
                 mesh.polygons.size());
    for (const Polygon& poly : mesh.polygons) {
        std::fprintf(f, "%d %d %d %zu", poly.colour.r, poly.colour.g, poly.colour.b,
                     poly.corners.size());
        // Reversed: the renderer's front faces are the clockwise ones.
        for (size_t i = poly.corners.size(); i-- > 0;)
            std::fprintf(f, " %d %d", poly.corners[i].vertex, poly.corners[i].uv);
        std::fputc('\n', f);
    }
    std::fprintf(f, "# frames\n1\n%zu\n", mesh.positions.size());
    for (size_t i = 0; i < mesh.positions.size(); ++i) {
        const Vec3 p = mesh.positions[i], n = mesh.normals[i];
        for (double v : {p.x, p.y, p.z, n.x, n.y, n.z})
            put_number(f, v);
        std::fputc('\n', f);
    }
    return std::fclose(f) == 0;
}
