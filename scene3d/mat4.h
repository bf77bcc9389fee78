// mat4.h: the few 4x4 matrix operations the scene needs, in OpenGL's
// column-major layout (element [column * 4 + row]).
#pragma once

namespace mat4 {

void identity(float m[16]);
// out = a * b (b acts first on a vector); out may alias neither input.
void multiply(const float a[16], const float b[16], float out[16]);
void translate(float m[16], float x, float y, float z); // m = m * T
void scale(float m[16], float x, float y, float z);     // m = m * S
// m = m * R, R the rotation by `degrees` about (x, y, z); a zero axis does nothing.
void rotate(float m[16], float degrees, float x, float y, float z);
// False when m has no inverse.
bool invert(const float m[16], float out[16]);
// out = m * (x, y, z, w)
void transform(const float m[16], const float in[4], float out[4]);

} // namespace mat4
