// mat4.cpp: 4x4 matrix helpers for the transform stack and shadow volumes.
#include "scene3d/mat4.h"

#include <cmath>
#include <cstring>
#include <utility>

namespace mat4 {

void identity(float m[16]) {
    static const float id[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    std::memcpy(m, id, sizeof id);
}

void multiply(const float a[16], const float b[16], float out[16]) {
    for (int c = 0; c < 4; ++c)
        for (int r = 0; r < 4; ++r) {
            float s = 0;
            for (int k = 0; k < 4; ++k)
                s += a[k * 4 + r] * b[c * 4 + k];
            out[c * 4 + r] = s;
        }
}

static void apply(float m[16], const float b[16]) {
    float out[16];
    multiply(m, b, out);
    std::memcpy(m, out, sizeof out);
}

void translate(float m[16], float x, float y, float z) {
    const float t[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, x, y, z, 1};
    apply(m, t);
}

void scale(float m[16], float x, float y, float z) {
    const float s[16] = {x, 0, 0, 0, 0, y, 0, 0, 0, 0, z, 0, 0, 0, 0, 1};
    apply(m, s);
}

void rotate(float m[16], float degrees, float x, float y, float z) {
    const float len = std::sqrt(x * x + y * y + z * z);
    if (len == 0) return;
    x /= len, y /= len, z /= len;
    const float a = degrees * float(M_PI / 180.0);
    const float c = std::cos(a), s = std::sin(a), t = 1 - c;
    const float r[16] = {t * x * x + c,
                         t * x * y + s * z,
                         t * x * z - s * y,
                         0,
                         t * x * y - s * z,
                         t * y * y + c,
                         t * y * z + s * x,
                         0,
                         t * x * z + s * y,
                         t * y * z - s * x,
                         t * z * z + c,
                         0,
                         0,
                         0,
                         0,
                         1};
    apply(m, r);
}

bool invert(const float m[16], float out[16]) {
    // Gauss-Jordan elimination with partial pivoting, in doubles.
    double a[4][8];
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) {
            a[r][c] = m[c * 4 + r];
            a[r][c + 4] = r == c ? 1 : 0;
        }
    for (int col = 0; col < 4; ++col) {
        int pivot = col;
        for (int r = col + 1; r < 4; ++r)
            if (std::fabs(a[r][col]) > std::fabs(a[pivot][col])) pivot = r;
        if (std::fabs(a[pivot][col]) < 1e-12) return false;
        for (int c = 0; c < 8; ++c)
            std::swap(a[col][c], a[pivot][c]);
        const double p = a[col][col];
        for (int c = 0; c < 8; ++c)
            a[col][c] /= p;
        for (int r = 0; r < 4; ++r)
            if (r != col) {
                const double f = a[r][col];
                for (int c = 0; c < 8; ++c)
                    a[r][c] -= f * a[col][c];
            }
    }
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            out[c * 4 + r] = float(a[r][c + 4]);
    return true;
}

void transform(const float m[16], const float in[4], float out[4]) {
    for (int r = 0; r < 4; ++r)
        out[r] = m[r] * in[0] + m[4 + r] * in[1] + m[8 + r] * in[2] + m[12 + r] * in[3];
}

} // namespace mat4
