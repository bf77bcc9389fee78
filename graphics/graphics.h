// graphics.h: the engine's window, frame step and 2D drawing layer.
//
// One process-wide engine record (EngineGlobals) and one renderer object
// (ZiriZUDoriravu) own the window, the OpenGL context, the frame limiter,
// the 65536 sprite slots (the top 16 are the font slots) and the 2D state.
// The game's commands at the bottom take doubles, convert them and call the
// renderer. Everything runs on the main thread. The OpenGL extension entry
// points looked up at context creation are in graphics/gl_ext.h.
#pragma once

#include "runtime/runtime.h"

#include <cstdint>
#include <vector>

inline constexpr int kSpriteSlotCount = 65536;
inline constexpr int kFontSlotBase = 65520; // font n lives in sprite slot 65520 + n
inline constexpr int kFontSlotCount = 16;
// Image pixels of this colour (red 255, green 0, blue 128) become transparent;
// lines, rectangles and polygon vertices of this colour are drawn with alpha 0.
inline constexpr std::uint32_t kTransparencyKey = 0x8000ff;

// ---------------------------------------------------------------- engine state

struct EngineGlobals {
    void* instance = nullptr;
    void* window = nullptr; // platform window handle, null until start-up made it
    RtString title;
    RtString command_line;
    std::int32_t screen_width = 640;
    std::int32_t screen_height = 480;
    std::int32_t frame_rate = 60; // fixed when the context is created; <= 0 gives a 2 ms grid
    std::int32_t start_full_screen = 0;
    std::int32_t exclusive_input = 0;
    std::int32_t debug_flag = 0; // non-zero: losing focus does not pause
    std::uint8_t paused = 0;
    std::uint8_t escape_ends_program = 1;
    std::int32_t current_font = 0;
    double frame_time_stamp = 0;          // ms
    double previous_frame_time_stamp = 0; // ms
    double start_time_stamp = 0;          // ms
    // Use-mip flag of the 3D texture binding; the frame step sets it to 0.
    int use_mip_3d = 0;
};
EngineGlobals& engine();

// ---------------------------------------------------------------- images

// A decoded picture: width x height RGBA bytes, first row = top of the picture.
struct DecodedImage {
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::vector<std::uint8_t> pixels;
};

// BMP (8, 24 or 32 bits per pixel); pixels equal to `key` (0xBBGGRR) become
// 0,0,0,0. False on any failure.
bool DecodeBmp(const RtString& file, std::uint32_t key, DecodedImage& out);
// PNG through libpng; three-channel pixels equal to `key` become transparent,
// four-channel images keep their alpha, grey images are opaque.
bool DecodePng(const RtString& file, std::uint32_t key, DecodedImage& out);
// BMP first, then PNG.
bool DecodeImage(const RtString& file, std::uint32_t key, DecodedImage& out);
// Writes RGBA pixels (first row = top) as an 8-bit RGBA PNG.
bool WritePng(const RtString& file, const DecodedImage& image);

// ---------------------------------------------------------------- renderer

struct SpriteSlot {
    std::uint32_t texture = 0;       // GL name, no mipmaps
    std::uint32_t mip_texture = 0;   // GL name with a mipmap chain, 0 when none
    std::int32_t texture_width = -1; // -1 while the slot is empty
    std::int32_t texture_height = -1;
    std::int32_t image_width = 0;
    std::int32_t image_height = 0;
    // Texels per image pixel: 1 for loaded pictures; a grab keeps the screen
    // at the resolution the window shows it, which may be finer.
    float texel_scale = 1;
};

struct PolyVertexData {
    float x, y, u, v;
    float r, g, b, a;
};

class ZiriZUDoriravu {
  public:
    ZiriZUDoriravu();
    virtual ~ZiriZUDoriravu();

    // -- window and context
    void* window = nullptr;
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::int32_t colour_depth = 0;
    std::uint8_t full_screen = 0;
    // width and height above are the game's picture (the screen size); the
    // window's drawable may be larger or smaller, and the picture is scaled
    // into it as a whole (see RefreshPictureFit).
    std::int32_t viewport_x = 0, viewport_y = 0, viewport_width = 0, viewport_height = 0;
    // The viewport in drawable pixels as glViewport takes it (x, y of the
    // lower-left corner, width, height).
    std::int32_t gl_viewport[4] = {0, 0, 0, 0};
    double picture_scale = 1; // drawable pixels per picture pixel
    // 1 while the matrices SetViewport2D loads (one unit per picture pixel)
    // are in place; the 3D layer clears it whenever it loads its own.
    std::uint8_t matrices_2d = 0;
    std::uint8_t ready = 0;
    double next_frame_time = 0; // ms
    double frame_interval = 0;  // ms
    double counter_frequency = 0;
    std::int32_t counter_available = 0;
    void* context = nullptr;

    // Makes the GL context on `window` current, looks up the extension entry
    // points and sets the 2D default state. Width/height 0 take the window's.
    bool CreateContext(void* window, int width, int height, int depth, int fps);
    // Flush, swap, clear colour and depth, wait for the next slot of the
    // frame grid while pumping messages; returns ms waited + 1.
    double PresentFrame();
    // The 2D default state; width or height below 1 means the whole screen.
    // y counts from the top of the window.
    void SetViewport2D(int x, int y, int width, int height);
    // Reads the window's drawable size again and places the picture in it;
    // the frame step does so once a frame, mode and size changes at once.
    void RefreshPictureFit();
    // A rectangle of the picture (x, y from its top left) in drawable pixels
    // as GL takes them: the one conversion every viewport, scissor box, grab
    // and read-back goes through.
    void PictureToDrawable(double x, double y, double width, double height, int out[4]) const;
    int EnterFullScreen(); // 1 on success; 0 after falling back to a window
    int EnterWindowed();   // always 1
    double Now() const;    // ms, high-resolution counter when available
    void SleepUntil(double ms, double now) const;

    // -- sprites and 2D drawing
    std::vector<SpriteSlot> slots; // kSpriteSlotCount entries
    float current_alpha = 1.0f;
    int bound_slot = -1;
    int bound_second_slot = -1;
    int bound_use_mip = 0;
    const std::uint32_t* bound_name_table = nullptr;
    std::vector<PolyVertexData> poly_vertices; // capacity grows by 128
    std::size_t poly_count = 0;
    int poly_slot = -1;

    // True when loaded; `key` is 0x8000ff for sprites, 0 for fonts.
    bool LoadSprite(const RtString& file, int slot, std::uint32_t key = kTransparencyKey);
    // Frees both textures of a slot and marks it empty.
    void ReleaseSlot(int slot);
    void DrawSprite(int slot, float x, float y);
    void StretchSprite(int slot, float x, float y, float width, float height);
    void GrabSprite(int slot, int x, int y, int width, int height);
    void DrawLine(int x1, int y1, int x2, int y2, std::uint32_t colour);
    void FillRect(int x1, int y1, int x2, int y2, std::uint32_t colour);
    void SetAlphaMode(float mode);
    void ClearScreen();
    // Leaves the 3D shadow pass (see SetLeaveShadowPassHook), then SetViewport2D.
    void SetViewport(int x, int y, int width, int height);
    void GetScreenSize(int* width, int* height) const;
    void PolyBegin(int slot);
    void PolyVertex(float x, float y, float tx, float ty, std::uint32_t colour);
    void PolyEnd();
    // The texture binding used by all drawing, 2D and 3D. A negative slot
    // disables texturing. `name_table`, when given, maps slot numbers to GL names.
    void BindSlotTextures(int slot, int second_slot, int use_mip,
                          const std::uint32_t* name_table = nullptr);
    // Uploads a region of `image` (width/height 0 = to the image's edge) as a
    // power-of-two RGBA texture; `mip_texture` may be null. Font textures use
    // nearest filtering and no colour bleeding.
    bool MakeTexture(const DecodedImage& image, int x, int y, int width, int height,
                     std::uint32_t* texture, std::uint32_t* mip_texture, bool font);
    // Draws text with the current font at depth z (Print passes 0).
    void PrintText(const RtString& text, float x, float y, float z);
    // Releases every slot texture (the context must still be current).
    void ReleaseAllTextures();
};
// The one renderer, created on first use; its GL work needs the context,
// which OpenRenderWindow or EngineInit makes current.
ZiriZUDoriravu& renderer();

// ---------------------------------------------------------------- start-up and frame

// The whole start-up: window titled `title` of engine().screen_width x
// screen_height, GL context, input and sound devices, random seed, working
// directory = program directory, fonts, the "Loading..." frame.
void EngineInit(void* instance, const RtString& title);
// Only the window and the GL context (made current, 2D default state); used by
// start-up and by tests and tools that draw without the rest. A second call
// reuses the open window (resizing it when the size differs).
bool OpenRenderWindow(const RtString& title, int width, int height);
// The picture every window is given as its icon, read from beside the
// program when the first window is made (the build draws it there).
inline constexpr const char* kWindowIconFile = "cropstack-icon.png";
// Closes the window and context (also registered with the end routine).
void CloseRenderWindow();
bool RenderWindowOpen();

// The frame step: pause while inactive, poll input, Escape / Alt+F4 end the
// program, leave the shadow pass, present, reset the 2D state.
void ShowScreen();
// Dispatches pending window events; a close request ends the program. Always 1.
double PumpMessages();
// The screen (picture) size and full screen or a window of that size; zero
// width or height keeps the current value. Full screen is the desktop's own
// resolution with the picture scaled into it.
double SetScreen(double width, double height, double full_screen);
// The window's client size out of full screen, whatever the picture's size:
// the window takes it at once unless it is full screen.
void SetWindowSize(double width, double height);
// Switches between a window and full screen (what Alt+Enter and F11 do).
void ToggleFullScreen();
double IsFullScreen(); // 1 while full screen
// Called when the player gives the window a new size (by the window
// manager), with that client size; null removes it.
void SetWindowSizeHook(void (*hook)(int width, int height));
void SetViewport2D(double x, double y, double width, double height);
double FrameTime(); // ms between the last two frame steps, at least 1
double TotalTime(); // ms since start-up finished
void SetEscapeEnds(double flag);

// The 3D renderer sits above this layer: it registers how to leave its
// stencil-shadow pass (called by ShowScreen before presenting and by
// SetViewport) and what to reset at the end of every frame step (no shader
// program in use). Null removes a hook.
void SetLeaveShadowPassHook(void (*hook)());
void SetFrameResetHook(void (*hook)());

// Saves the current back buffer (what the next present would show: the
// whole window, at its drawable size) as a PNG.
bool SaveScreenshot(const RtString& png_path);
// Reads the back buffer rectangle of the picture (x, y from the top-left, in
// picture pixels) as RGBA, first row = top; where the window shows the
// picture scaled, each picture pixel reads the drawable pixel at its centre.
bool ReadScreenPixels(int x, int y, int width, int height, DecodedImage& out);
// Reads the whole back buffer, every drawable pixel, first row = top.
bool ReadWindowPixels(DecodedImage& out);

// ---------------------------------------------------------------- game commands

double LoadSprite(const RtString& file, double slot); // 1 when loaded
void DrawSprite(double slot, double x, double y);
void StretchSprite(double slot, double x, double y, double width, double height);
void GrabSprite(double slot, double x, double y, double width, double height);
void DrawLine(double x1, double y1, double x2, double y2, double colour);
void FillRect(double x1, double y1, double x2, double y2, double colour);
void SetAlphaMode(double mode);
void ClearScreen();
void SetViewport(double x, double y, double width, double height);
void GetScreenSize(double* width, double* height);
void PolyBegin(double slot);
void PolyVertex(double x, double y, double tx, double ty, double colour);
void PolyEnd();

// Fonts: n is truncated and clamped to 0..15 and becomes the current font; a
// missing file (or an empty name) gives the built-in font; a file that exists
// but cannot be decoded ends the program with error 3.
void LoadFont(const RtString& file, double n);
void Print(const RtString& text, double x, double y);
void GetFontSize(double* width, double* height);
