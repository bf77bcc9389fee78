// plat_video.h: filled in by the video layer.
#pragma once
