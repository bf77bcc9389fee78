// mesh_read.cpp: the two mesh file forms, the packed binary form (magic
// 0x00C6B317, version 1.02, little-endian) and the "DDDA" text form, read
// into a mesh. Counts and indices are checked against the data before use,
// so a damaged file is refused instead of read past its end.
#include "runtime/runtime.h"
#include "scene3d/mesh_object.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <new>

namespace {

// Far above any real model; keeps a small damaged file from asking for
// gigabytes (every frame repeats its vertices, and each vertex grows to a
// drawable one many times its packed size).
constexpr std::size_t kMaxMeshVertices = std::size_t(1) << 22;
// The largest mesh file read at all; also ends the read of a device or pipe
// named as a model.
constexpr std::size_t kMaxMeshFileBytes = std::size_t(64) << 20;

class ByteReader {
  public:
    explicit ByteReader(const std::vector<std::uint8_t>& bytes) : bytes_(bytes) {}
    std::size_t remaining() const { return bytes_.size() - pos_; }
    bool read(void* out, std::size_t n) {
        if (remaining() < n) return false;
        std::memcpy(out, bytes_.data() + pos_, n);
        pos_ += n;
        return true;
    }
    // Little-endian fields; the build targets little-endian machines only.
    bool i32(std::int32_t& out) { return read(&out, 4); }
    bool u32(std::uint32_t& out) { return read(&out, 4); }
    bool f32(float& out) { return read(&out, 4); }
    bool f64(double& out) { return read(&out, 8); }

  private:
    const std::vector<std::uint8_t>& bytes_;
    std::size_t pos_ = 0;
};

bool fail(const char** error, const char* reason) {
    if (error) *error = reason;
    return false;
}

bool read_frame_block(MeshObject& mesh, ByteReader& in, bool decode_now, const char** error) {
    MeshFrame frame;
    std::int32_t n = 0;
    if (!in.i32(n) || n < 0) return fail(error, "bad frame vertex count");
    for (float* f : {&frame.bias[0], &frame.bias[1], &frame.bias[2], &frame.scale[0],
                     &frame.scale[1], &frame.scale[2]})
        if (!in.f32(*f)) return fail(error, "short frame header");
    if (in.remaining() / 5 < std::size_t(n)) return fail(error, "short frame");
    if (std::size_t(n) > mesh.u.size())
        return fail(error, "more vertices than texture coordinates");
    frame.packed.resize(std::size_t(n));
    for (PackedVertex& p : frame.packed) {
        std::uint8_t b[5] = {};
        in.read(b, 5);
        if (b[3] >= kNormalCount) return fail(error, "normal index outside the table");
        if (b[4] >= mesh.palette.size()) return fail(error, "colour index outside the palette");
        p.x = b[0], p.y = b[1], p.z = b[2], p.normal = b[3], p.colour = b[4];
    }
    mesh.frames.push_back(std::move(frame));
    if (decode_now) {
        MeshFrame& f = mesh.frames.back();
        for (std::size_t i = 0; i < f.packed.size(); ++i)
            f.expanded.push_back(ExpandVertex(mesh, f, i));
    }
    return true;
}

} // namespace

bool ReadPackedMesh(MeshObject& mesh, const std::vector<std::uint8_t>& bytes, bool decode_now,
                    const char** error) {
    ByteReader in(bytes);
    std::uint32_t magic = 0;
    double version = 0;
    std::int32_t frames = 0, palette = 0, vertices = 0;
    if (!in.u32(magic) || magic != kPackedMagic) return fail(error, "not a packed mesh");
    if (!in.f64(version) || version != kPackedVersion)
        return fail(error, "unsupported packed mesh version");
    if (!in.i32(frames) || !in.i32(palette) || !in.i32(vertices))
        return fail(error, "short header");
    if (frames < 0 || palette < 0 || vertices < 0) return fail(error, "negative count");
    if (in.remaining() / 4 < std::size_t(palette) ||
        (in.remaining() - 4 * std::size_t(palette)) / 8 < std::size_t(vertices))
        return fail(error, "counts exceed the file");
    mesh.palette.resize(std::size_t(palette));
    for (std::uint32_t& c : mesh.palette)
        in.u32(c);
    mesh.u.resize(std::size_t(vertices));
    mesh.v.resize(std::size_t(vertices));
    for (std::size_t i = 0; i < std::size_t(vertices); ++i)
        in.f32(mesh.u[i]), in.f32(mesh.v[i]);
    if (in.remaining() / 28 < std::size_t(frames))
        return fail(error, "frame count exceeds the file");
    std::size_t total = 0;
    for (std::int32_t f = 0; f < frames; ++f) {
        if (!read_frame_block(mesh, in, decode_now, error)) return false;
        total += mesh.frames.back().packed.size();
        if (total > kMaxMeshVertices) return fail(error, "mesh too large");
    }
    mesh.normals_valid = true;
    return true;
}

namespace {

// Tokens of the text form: blanks separate them, "#" comments to the line end.
class TokenReader {
  public:
    explicit TokenReader(const std::vector<std::uint8_t>& bytes)
        : text_(reinterpret_cast<const char*>(bytes.data()), bytes.size()) {}
    bool next(std::string_view& token) {
        for (;;) {
            while (pos_ < text_.size() && is_blank(text_[pos_]))
                ++pos_;
            if (pos_ < text_.size() && text_[pos_] == '#') {
                while (pos_ < text_.size() && text_[pos_] != '\n')
                    ++pos_;
                continue;
            }
            break;
        }
        const std::size_t start = pos_;
        while (pos_ < text_.size() && !is_blank(text_[pos_]) && text_[pos_] != '#')
            ++pos_;
        token = text_.substr(start, pos_ - start);
        return !token.empty();
    }
    // A decimal number filling the whole token.
    bool number(double& out) {
        std::string_view t;
        if (!next(t)) return false;
        if (t.front() == '+') t.remove_prefix(1);
        const auto result = std::from_chars(t.data(), t.data() + t.size(), out);
        return result.ec == std::errc() && result.ptr == t.data() + t.size() && std::isfinite(out);
    }
    bool count(std::size_t& out) {
        double d = 0;
        if (!number(d) || d < 0 || d > 2147483647.0) return false;
        out = std::size_t(d);
        return true;
    }

  private:
    static bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
    std::string_view text_;
    std::size_t pos_ = 0;
};

struct TextPolygon {
    std::uint32_t colour = 0;
    std::vector<std::size_t> vertex, texcoord;
};

bool read_polygon(TokenReader& in, TextPolygon& poly) {
    double rgb[3];
    std::size_t corners = 0;
    for (double& c : rgb)
        if (!in.number(c)) return false;
    if (!in.count(corners)) return false;
    for (int k = 0; k < 3; ++k)
        // Clamped as a double: a huge component has no int to convert to.
        poly.colour |= std::uint32_t(std::clamp(rgb[k], 0.0, 255.0)) << (8 * k);
    for (std::size_t i = 0; i < corners; ++i) {
        std::size_t a = 0, b = 0;
        if (!in.count(a) || !in.count(b)) return false;
        poly.vertex.push_back(a);
        poly.texcoord.push_back(b);
    }
    return true;
}

struct TextVertex {
    float position[3];
    float normal[3];
};

// One frame of the text form turned into expanded vertices: per polygon a
// fan marker, then its corners.
bool convert_frame(const std::vector<TextPolygon>& polygons, const std::vector<TextVertex>& verts,
                   const std::vector<float>& tex, MeshFrame& frame, const char** error) {
    for (const TextPolygon& poly : polygons) {
        ExpandedVertex marker;
        marker.colour_index = kMarkerFan;
        frame.expanded.push_back(marker);
        for (std::size_t c = 0; c < poly.vertex.size(); ++c) {
            if (poly.vertex[c] >= verts.size()) return fail(error, "vertex index past the frame");
            ExpandedVertex e;
            const TextVertex& src = verts[poly.vertex[c]];
            std::memcpy(e.position, src.position, sizeof e.position);
            std::memcpy(e.normal, src.normal, sizeof e.normal);
            if (!tex.empty()) {
                if (poly.texcoord[c] >= tex.size() / 2)
                    return fail(error, "texture coordinate index past the list");
                e.u = tex[2 * poly.texcoord[c]];
                e.v = tex[2 * poly.texcoord[c] + 1];
            }
            for (int k = 0; k < 3; ++k)
                e.colour[k] = float((poly.colour >> (8 * k)) & 0xFF) / 255.0f;
            e.colour_index = poly.colour;
            frame.expanded.push_back(e);
        }
    }
    return true;
}

// The table search compares directions, so a normal written at another
// length is made a unit one first; a zero normal stays zero (entry 0).
void normalise(float n[3]) {
    const double length =
        std::sqrt(double(n[0]) * n[0] + double(n[1]) * n[1] + double(n[2]) * n[2]);
    if (!(length > 0) || !std::isfinite(length)) return;
    for (int k = 0; k < 3; ++k)
        n[k] = float(n[k] / length);
}

bool read_text_vertices(TokenReader& in, bool with_normals, std::vector<TextVertex>& verts) {
    std::size_t n = 0;
    if (!in.count(n)) return false;
    for (std::size_t i = 0; i < n; ++i) {
        TextVertex v{};
        double d = 0;
        for (int k = 0; k < (with_normals ? 6 : 3); ++k) {
            if (!in.number(d)) return false;
            (k < 3 ? v.position[k] : v.normal[k - 3]) = float(d);
        }
        normalise(v.normal);
        verts.push_back(v);
    }
    return true;
}

} // namespace

namespace {

bool read_texcoords(TokenReader& in, std::vector<float>& tex) {
    std::size_t count = 0;
    if (!in.count(count)) return false;
    for (std::size_t i = 0; i < 2 * count; ++i) {
        double d = 0;
        if (!in.number(d)) return false;
        tex.push_back(float(d));
    }
    return true;
}

bool read_polygons(TokenReader& in, std::vector<TextPolygon>& polygons) {
    std::size_t count = 0;
    if (!in.count(count)) return false;
    for (std::size_t i = 0; i < count; ++i) {
        polygons.emplace_back();
        if (!read_polygon(in, polygons.back())) return false;
    }
    return true;
}

bool read_frames(TokenReader& in, bool with_normals, const std::vector<TextPolygon>& polygons,
                 const std::vector<float>& tex, MeshObject& mesh, const char** error) {
    std::size_t count = 0;
    if (!in.count(count)) return fail(error, "bad frame count");
    std::size_t per_frame = polygons.size();
    for (const TextPolygon& poly : polygons)
        per_frame += poly.vertex.size();
    // Every frame repeats all polygons, so a short file could otherwise ask
    // for more memory than any model needs.
    if (count > 0 && per_frame > kMaxMeshVertices / count) return fail(error, "mesh too large");
    for (std::size_t f = 0; f < count; ++f) {
        std::vector<TextVertex> verts;
        if (!read_text_vertices(in, with_normals, verts)) return fail(error, "short frame");
        mesh.frames.emplace_back();
        if (!convert_frame(polygons, verts, tex, mesh.frames.back(), error)) return false;
    }
    return true;
}

} // namespace

bool ReadTextMesh(MeshObject& mesh, const std::vector<std::uint8_t>& bytes, const char** error) {
    TokenReader in(bytes);
    std::string_view token;
    double version = 0;
    if (!in.next(token) || token != "DDDA") return fail(error, "not a text mesh");
    if (!in.number(version) || version > 1.1) return fail(error, "unsupported text mesh version");
    std::vector<float> tex;
    if (!read_texcoords(in, tex)) return fail(error, "bad texture coordinates");
    std::vector<TextPolygon> polygons;
    if (!read_polygons(in, polygons)) return fail(error, "bad polygons");
    // Normals follow each vertex position from version 1.1 on.
    if (!read_frames(in, version >= 1.1, polygons, tex, mesh, error)) return false;
    PackMesh(mesh);
    mesh.normals_valid = version >= 1.1;
    return true;
}

static void log_read_failure(const char* what, const char* file) {
    rt_log(RtString(what));
    rt_log(RtString(file && *file ? file : "null"));
}

bool LoadMesh(MeshObject& mesh, const char* file, bool decode_now, const char** reason) {
    mesh.Clear();
    bool ok = false;
    const char* error = "";
    try {
        RtString name(file ? file : "");
        rt_slashes(name);
        // Through the runtime's guard: a pipe, a directory or a device named
        // as a model is refused at once instead of read (or waited on).
        std::string text;
        const bool whole = rt_read_data_file(name, "scene3d", &text, kMaxMeshFileBytes, &error);
        std::vector<std::uint8_t> bytes(text.begin(), text.end());
        std::uint32_t magic = 0;
        if (bytes.size() >= 4) std::memcpy(&magic, bytes.data(), 4);
        if (whole)
            ok = magic == kPackedMagic ? ReadPackedMesh(mesh, bytes, decode_now, &error)
                                       : ReadTextMesh(mesh, bytes, &error);
    } catch (const std::bad_alloc&) {
        mesh.Clear();
        if (reason) *reason = "out of memory";
        log_read_failure("# malloc error", file);
        return false;
    }
    if (!ok) {
        mesh.Clear();
        if (reason) *reason = error;
        log_read_failure("# read error", file);
    }
    return ok;
}
