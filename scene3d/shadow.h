// shadow.h: the stencil-shadow pass's entry points inside the 3D layer.
#pragma once

#include "scene3d/mesh_object.h"

// Draws the mesh's shadow volume for `frame` into the stencil buffer.
void DrawShadowVolume(MeshObject& mesh, const MeshFrame& frame);
// Something other than a volume marked the stencil: leaving the pass
// darkens the whole viewport.
void MarkWholeShadowViewport();
// The window rectangle (GL pixels: x, y, width, height) that leaving the
// current pass darkens; false when it darkens the whole viewport.
bool ShadowMarkedArea(int box[4]);
