// plat_input.h: filled in by the input layer.
#pragma once
