// wave.cpp (fuzz): the WAV reader on any file, and a sound slot loaded from
// it on the (silent) dummy sound device.
#include "audio/sound_local.h"
#include "fuzz_support.h"

#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    SoundInit(sound_device(), nullptr);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string path = fuzz::write_input("sound.wav", data, size);
    WaveData wave;
    if (read_wave_file(RtString::from_std(path), wave) && wave.channels != 1 && wave.channels != 2)
        __builtin_trap();
    LoadSound(RtString::from_std(path), 3, 2);
    fuzz::trim_log();
    return 0;
}
