// scene3d.h: the 3D scene for everything outside this folder.
//
// One scene object (Dedazoza3Z) holds the numbered model slots, the camera
// and projection, eight hardware lights and the shadow light, the culling
// mode, the object transform stack, the stencil-shadow pass and the shader
// table. It draws through the graphics layer's GL context and texture slots.
// A frame is set up with Make3D, drawn, and left with End3D; 2D drawing then
// continues on top. The game's commands at the bottom take doubles.
#pragma once

#include "graphics/graphics.h"
#include "scene3d/mesh_object.h"

#include <cstdint>
#include <memory>
#include <vector>

inline constexpr int kModelSlotCount = 1024;
inline constexpr int kMaxRotations = 16;     // per transform level; more are dropped
inline constexpr int kTransformLevels = 32;  // depth of the object transform stack
inline constexpr int kShaderTableSize = 256; // index 255 and above means no program

struct ModelSlot {
    bool loaded = false;
    bool scene_list = false; // textures per mesh from `textures` instead of the current binding
    std::vector<std::unique_ptr<MeshObjectX>> meshes;
    std::vector<std::uint32_t> textures; // GL names of a scene list's textures (0 = failed)
};

struct TransformLevel {
    float rotation[kMaxRotations][4] = {}; // angle in degrees, axis x, y, z
    int rotation_count = 0;
    float translation[3] = {0, 0, 0};
    float scale[3] = {1, 1, 1};
};

struct ShadowLight {
    bool enabled = false;
    float position[3] = {0, 0, 0};
    float colour[3] = {0, 0, 0};
    int mode = 3; // 1, 2 or 3; only mode 3 (stencil volumes) draws anything
};

class Dedazoza3Z {
  public:
    Dedazoza3Z();
    virtual ~Dedazoza3Z();

    ZiriZUDoriravu* renderer = nullptr;
    std::vector<ModelSlot> slots; // kModelSlotCount
    int building_slot = -1;       // slot between ObjStart and ObjEnd
    float near_plane = 1, far_plane = 100;
    float view_cone = 0; // tan of the half-angle the view test accepts
    float eye[3] = {0, 0, 0};
    float target[3] = {0, 0, -1};
    float up[3] = {0, 1, 0};
    float camera_matrix[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    // The projection Make3D loaded, kept so the shadow pass can tell where on
    // the screen its volumes fall without reading it back from GL.
    float projection_matrix[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    int pushed = 0; // depth of the object transform stack
    TransformLevel levels[kTransformLevels];
    std::int8_t culling = 0;
    std::uint8_t light_mask = 0;
    ShadowLight shadow;
    bool shadow_pass = false;
    int normal_mode = 0;
    std::uint32_t shaders[kShaderTableSize] = {};
    int shader_index = -1;

    TransformLevel& current_level() { return levels[pushed]; }
    // Empties a slot: every mesh with its GL data, and the slot's textures.
    void EmptySlot(int slot);
    // The slot for a game slot number, or null when it is outside the table.
    ModelSlot* Slot(double number);
};

// The one scene object, created on first use.
Dedazoza3Z& scene3d();

// Enters or leaves the stencil-shadow pass; nothing happens when the state
// does not change. Leaving darkens every pixel whose stencil value is set.
void ShadowPass(bool on);
// The drawing core: key frames a and b blended by t (t = 0 draws frame b).
void DrawModelFrames(int slot, int frame_a, int frame_b, float t);
// The 4x4 column-major matrix of the object transform levels 0..current
// (without the camera).
void ObjectTransform(float out[16]);
// Whether a sphere (world coordinates) passes the view-cone test.
bool SphereInView(const float centre[3], float radius);

// ---------------------------------------------------------------- game commands

// 1 when the model was loaded, 0 when not (a missing file leaves the slot as it was).
double LoadModel(const RtString& file, double slot);
void DrawModel(double slot, double frame);

void Make3D(double near_plane, double far_plane, double fov);
void End3D();
void SetCamera(double eye_x, double eye_y, double eye_z, double target_x, double target_y,
               double target_z);
void SetCameraUp(double x, double y, double z);
// index >= 0: GL light (index mod 8); angle 0 turns it off, 180 with a
// direction is directional, above 90 a point light, up to 90 a spot light,
// position and direction all 0 a light fixed to the viewer. index < 0: the
// shadow light (-3 also enters or leaves the shadow pass).
void SetLight(double index, double colour, double x, double y, double z, double dx, double dy,
              double dz, double angle);
void SetAmbient(double index, double colour);
// Sign of mode: 0 no culling, -1 counter-clockwise front faces, 1 clockwise.
void SetCulling(double mode);
void SetTexture3D(double slot, double second_slot);
void ClearDepth();
void UseShader(double index);

void ObjStart(double slot);
void ObjAddVertex(double x, double y, double z, double tx, double ty, double colour);
void ObjNewStrip();
void ObjEnd();
void SetNormalMode(double mode);

void ObjPush();
void ObjPop();
void ObjPosition(double x, double y, double z);
void ObjScale(double x, double y, double z);
void ObjRotate(double angle, double x, double y, double z);

// ---------------------------------------------------------------- views

// What a 3D frame is drawn with: the camera, the projection and the
// viewport, in the 2D layer's coordinates (pixels from the top-left of the
// screen). A screen keeps the view its scene was drawn with, so that a
// pointer position can be taken back into the scene in a later frame.
struct SceneView {
    float camera[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    float projection[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    double left = 0, top = 0, width = 0, height = 0;
};
// The view of the frame being drawn (after Make3D and SetCamera).
SceneView CurrentSceneView();
// Where the line of sight through screen point (x, y) meets the horizontal
// plane at height plane_y. False when the point lies outside the view's
// viewport or the line meets the plane only behind the camera (or never).
bool ScreenToPlane(const SceneView& view, double x, double y, double plane_y, double* world_x,
                   double* world_z);
// Where the scene point (x, y, z) appears on the screen; false when it lies
// behind the camera.
bool SceneToScreen(const SceneView& view, double x, double y, double z, double* screen_x,
                   double* screen_y);
