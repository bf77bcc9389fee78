// platform.h: everything the program needs of the operating system and SDL.
//
// Nothing above this folder includes an SDL or system header; each service
// below is a short list of functions with a real backend and, where tests
// need one, a scriptable stand-in.
#pragma once

#include "platform/plat_audio.h"  // sound device, mixer channels, music
#include "platform/plat_events.h" // SDL start-up, the event pump, window events
#include "platform/plat_files.h"  // files, directories, processes, paths
#include "platform/plat_input.h"  // keyboard, mouse and joystick state
#include "platform/plat_pads.h"   // game pads in the standard layout
#include "platform/plat_video.h"  // window, OpenGL context, display modes, clock
