// audio.h: sound-effect slots (0..127), music and movies.
//
// A slot holds one to four copies of a WAV file; each play returns a channel
// identifier (copy + 256 * slot) or -1. Without a sound device every load
// returns 0 and every play -1, silently.
#pragma once

#include "runtime/runtime.h"

// Engine operations (start-up and end).
struct SoundDevice; // defined in the audio layer
SoundDevice& sound_device();
int SoundInit(SoundDevice& device, void* window);
void SoundRelease();

// Built-ins for game code.
double LoadSound(const RtString& file, double slot, double copies);
double PlaySound(double slot, double pan, double volume);
double SoundPlaying(double channel);
void StopAllSounds();
double PlayMusic(const RtString& file);
void StopMusic();
double PlayMovie(const RtString& file, double loop);

// Observer of every PlaySound call (slot after clamping, pan, volume), for
// tests and tools; null to remove.
using SoundPlayObserver = void (*)(int slot, double pan, double volume);
void SoundSetPlayObserver(SoundPlayObserver observer);
