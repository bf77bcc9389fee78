// plat_audio.h: filled in by the audio layer.
#pragma once
