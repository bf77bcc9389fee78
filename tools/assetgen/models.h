// models.h: the generator's models, each built in code and written as a text model.
#pragma once

#include "mesh.h"

#include <string>

Mesh build_ground();
Mesh build_block();
Mesh build_door_pivot();
Mesh build_door_arm();
Mesh build_wall();
Mesh build_flag();
Mesh build_pepper();
Mesh build_tomato();
Mesh build_corn();

// Rotation of a part about the vertical axis or about x (degrees), positions and normals.
void rotate_y(Mesh& mesh, double degrees);
void rotate_x(Mesh& mesh, double degrees);
void rotate_z(Mesh& mesh, double degrees);

// Writes every model into `dir`; false when one of them cannot be written.
bool write_models(const std::string& dir);
