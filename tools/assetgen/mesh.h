// mesh.h: a small polygon mesh for the generator and its writer to the text
// model form ("DDDA" 1.1, one frame, per-vertex normals).
//
// Builders wind every polygon counter-clockwise seen from outside; the writer
// reverses the corners, because the renderer treats clockwise faces as front
// faces and derives outward normals from that order.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

struct Vec3 {
    double x = 0, y = 0, z = 0;
};

inline Vec3 operator+(Vec3 a, Vec3 b) {
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}
inline Vec3 operator-(Vec3 a, Vec3 b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
inline Vec3 operator*(Vec3 a, double s) {
    return {a.x * s, a.y * s, a.z * s};
}
double dot(Vec3 a, Vec3 b);
Vec3 cross(Vec3 a, Vec3 b);
Vec3 normalised(Vec3 a);

struct Rgb {
    int r = 255, g = 255, b = 255;
};

struct Corner {
    int vertex = 0;
    int uv = 0;
};

struct Polygon {
    Rgb colour;
    std::vector<Corner> corners; // counter-clockwise seen from outside
};

struct Mesh {
    std::vector<Vec3> positions;
    std::vector<Vec3> normals; // one per position; filled by smooth_normals or by hand
    std::vector<std::array<double, 2>> uvs;
    std::vector<Polygon> polygons;

    int add_vertex(Vec3 p, Vec3 n = {});
    int add_uv(double u, double v);
    void add_polygon(Rgb colour, std::vector<Corner> corners);
    // Appends another mesh, renumbering its vertices and texture coordinates.
    void append(const Mesh& other);
};

// Per-vertex normals as the area-weighted sum of the faces around each vertex.
void smooth_normals(Mesh& mesh);

// Moves and scales every position (normals are left alone: uniform use only).
void transform(Mesh& mesh, Vec3 offset, Vec3 scale);

// Writes the mesh as a "DDDA" 1.1 text model; false when the file cannot be written.
bool write_ddda(const Mesh& mesh, const std::string& path, const std::string& title);
