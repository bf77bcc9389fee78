// lights.cpp: the eight GL lights (fixed to the viewer, directional, point
// and spot) and the shadow light used by the stencil-shadow pass.
#include "graphics/gl_ext.h"
#include "scene3d/scene3d.h"

#include <cmath>

namespace {

// Truncates toward zero, held at the int range; NaN gives 0.
int to_int(double v) {
    if (!(v == v)) return 0;
    if (v >= 2147483647.0) return 2147483647;
    if (v <= -2147483648.0) return -2147483647 - 1;
    return int(v);
}

// Colours are whole numbers of 32 bits; anything else (NaN, out of range)
// is converted with the range checks of the drawing commands.
void colour_of(double colour, float out[4]) {
    const auto c = colour >= 0 && colour <= 4294967295.0 ? std::uint32_t(colour)
                                                         : std::uint32_t(to_int(colour));
    out[0] = float(c & 0xFF) / 255.0f;
    out[1] = float((c >> 8) & 0xFF) / 255.0f;
    out[2] = float((c >> 16) & 0xFF) / 255.0f;
    out[3] = 1;
}

void normalise(float v[3]) {
    const float len = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    if (len > 0) v[0] /= len, v[1] /= len, v[2] /= len;
}

// Positions and directions are given in world coordinates, so they are set
// under the camera matrix alone.
void set_in_world(GLenum light, GLenum what, const float* value, const float* modelview) {
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadMatrixf(modelview);
    glLightfv(light, what, value);
    glPopMatrix();
}

void draw_light_marker(const float pos[3], const float dir[3], bool spot) {
    const float* cam = scene3d().camera_matrix;
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadMatrixf(cam);
    glPushAttrib(GL_ENABLE_BIT | GL_POINT_BIT | GL_LINE_BIT | GL_CURRENT_BIT);
    glDisable(GL_LIGHTING);
    glDisable(GL_TEXTURE_2D);
    glPointSize(40);
    glColor3ub(0xff, 0xc8, 0x80);
    glBegin(GL_POINTS);
    glVertex3fv(pos);
    glEnd();
    if (spot) {
        glLineWidth(3);
        glColor3ub(0xe1, 0xaa, 0x6c);
        glBegin(GL_LINES);
        glVertex3fv(pos);
        glVertex3f(pos[0] + 500 * dir[0], pos[1] + 500 * dir[1], pos[2] + 500 * dir[2]);
        glEnd();
    }
    glPopAttrib();
    glPopMatrix();
}

void set_shadow_light(double index, const float pos[3], const float colour[4], double angle) {
    ShadowLight& shadow = scene3d().shadow;
    shadow.enabled = angle != 0;
    for (int k = 0; k < 3; ++k)
        shadow.position[k] = pos[k], shadow.colour[k] = colour[k];
    shadow.mode = index > -2 ? 1 : index > -3 ? 2 : 3;
    if (shadow.mode == 3) ShadowPass(shadow.enabled);
}

void turn_off(int n) {
    Dedazoza3Z& scene = scene3d();
    glDisable(GLenum(GL_LIGHT0 + n));
    scene.light_mask &= std::uint8_t(~(1u << n));
    if (scene.light_mask == 0) glDisable(GL_LIGHTING);
}

// Lighting on, the light on with its mask bit, colour material for the
// diffuse colour of both sides.
void turn_on(int n) {
    Dedazoza3Z& scene = scene3d();
    glEnable(GL_LIGHTING);
    glEnable(GLenum(GL_LIGHT0 + n));
    scene.light_mask |= std::uint8_t(1u << n);
    glEnable(GL_COLOR_MATERIAL);
    glColorMaterial(GL_FRONT_AND_BACK, GL_DIFFUSE);
}

// Position, direction and colours by the kind of light the arguments ask for.
void place_light(GLenum light, const float c[4], float pos[4], float dir[3], double angle,
                 bool at_viewer, bool spot) {
    const float no_specular[4] = {0, 0, 0, 1};
    const float identity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    const float* camera = scene3d().camera_matrix;
    glLightfv(light, GL_DIFFUSE, c);
    glLightf(light, GL_SPOT_CUTOFF, spot ? float(angle) : 180.0f);
    if (at_viewer) {
        const float eye_axis[4] = {0, 0, 1, 0};
        set_in_world(light, GL_POSITION, eye_axis, identity);
        glLightfv(light, GL_SPECULAR, no_specular);
    } else if (angle == 180) {
        float from[4] = {-dir[0], -dir[1], -dir[2], 0};
        normalise(from);
        set_in_world(light, GL_POSITION, from, camera);
        glLightfv(light, GL_SPECULAR, no_specular);
    } else {
        set_in_world(light, GL_POSITION, pos, camera);
        glLightfv(light, GL_SPECULAR, c);
        if (spot) {
            normalise(dir);
            set_in_world(light, GL_SPOT_DIRECTION, dir, camera);
        }
    }
}

} // namespace

void SetLight(double index, double colour, double x, double y, double z, double dx, double dy,
              double dz, double angle) {
    float c[4];
    colour_of(colour, c);
    float pos[4] = {float(x), float(y), float(z), 1};
    float dir[3] = {float(dx), float(dy), float(dz)};
    if (index < 0) {
        set_shadow_light(index, pos, c, angle);
        return;
    }
    const int n = to_int(std::fmod(index, 8.0)); // NaN names light 0
    if (angle == 0) {
        turn_off(n);
        return;
    }
    turn_on(n);
    const bool at_viewer = x == 0 && y == 0 && z == 0 && dx == 0 && dy == 0 && dz == 0;
    const bool spot = !at_viewer && angle > 0 && angle <= 90;
    place_light(GLenum(GL_LIGHT0 + n), c, pos, dir, angle, at_viewer, spot);
    if (engine().debug_flag) draw_light_marker(pos, dir, spot);
}

void SetAmbient(double index, double colour) {
    SetLight(index, colour, 0, 0, 0, 0, 0, 0, 180);
}
