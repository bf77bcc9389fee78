// movie.cpp: the engine window as the screen movies play on.
//
// Each picture is uploaded into one texture kept for the length of the
// movie and drawn as a quad scaled into the destination rectangle; the
// rest of the client area stays black.
#include "graphics/movie.h"

#include "graphics/gl_ext.h"
#include "graphics/graphics.h"
#include "graphics/graphics_local.h"
#include "input/input.h"

namespace {

struct MovieTexture {
    GLuint name = 0;
    int texture_width = 0, texture_height = 0; // powers of two
    int width = 0, height = 0;                 // picture size
};
MovieTexture g_texture;

bool client_size(int* width, int* height) {
    if (!RenderWindowOpen()) return false;
    renderer().GetScreenSize(width, height);
    return *width > 0 && *height > 0;
}

bool interrupted() {
    InputDevices& devices = input_devices();
    bool typed = InkeyAvailable(devices) != 0;
    bool button = AnyMouseButton(devices) != 0;
    return typed || button;
}

void pump() {
    PumpMessages();
}

// A texture large enough for the picture, made on the first picture and
// again only when the picture grows.
void prepare_texture(int width, int height) {
    MovieTexture& t = g_texture;
    if (t.name != 0 && width <= t.texture_width && height <= t.texture_height) return;
    if (t.name == 0) glGenTextures(1, &t.name);
    t.texture_width = graphics_pow2_at_least(width, 1);
    t.texture_height = graphics_pow2_at_least(height, 1);
    glBindTexture(GL_TEXTURE_2D, t.name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, t.texture_width, t.texture_height, 0, GL_RGBA,
                 GL_UNSIGNED_BYTE, nullptr);
}

void upload(const MoviePicture& picture) {
    prepare_texture(picture.width, picture.height);
    glBindTexture(GL_TEXTURE_2D, g_texture.name);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, picture.width, picture.height, GL_RGBA,
                    GL_UNSIGNED_BYTE, picture.pixels);
    g_texture.width = picture.width;
    g_texture.height = picture.height;
}

// Texture row 0 is the picture's top row, so v = 0 goes to the top edge.
void draw_quad(const MovieRect& d) {
    const MovieTexture& t = g_texture;
    float u = static_cast<float>(t.width) / t.texture_width;
    float v = static_cast<float>(t.height) / t.texture_height;
    float x = static_cast<float>(d.x), y = static_cast<float>(d.y);
    float w = static_cast<float>(d.width), h = static_cast<float>(d.height);
    glBegin(GL_TRIANGLE_FAN);
    glTexCoord2f(0, v);
    glVertex2f(x, -y - h);
    glTexCoord2f(u, v);
    glVertex2f(x + w, -y - h);
    glTexCoord2f(u, 0);
    glVertex2f(x + w, -y);
    glTexCoord2f(0, 0);
    glVertex2f(x, -y);
    glEnd();
}

void draw(const MoviePicture& picture, const MovieRect& dest) {
    ZiriZUDoriravu& r = renderer();
    // The whole client area, whatever viewport or 3D pass the game left.
    r.SetViewport(0, 0, 0, 0);
    r.ClearScreen();
    if (picture.pixels && picture.width > 0 && picture.height > 0) upload(picture);
    if (g_texture.width == 0 || dest.width <= 0 || dest.height <= 0) return;
    // Unit 1 off and the slot binding forgotten, then the movie's texture.
    r.BindSlotTextures(-1, -1, 0);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, g_texture.name);
    glColor4f(1, 1, 1, 1);
    draw_quad(dest);
}

void present() {
    renderer().PresentFrame();
}

void finish() {
    if (g_texture.name != 0 && RenderWindowOpen()) glDeleteTextures(1, &g_texture.name);
    g_texture = MovieTexture();
    ZiriZUDoriravu& r = renderer();
    r.BindSlotTextures(-1, -1, 0);
    r.SetViewport2D(0, 0, 0, 0);
}

const MovieScreen kEngineScreen = {client_size, interrupted, pump, draw, present, finish};

} // namespace

const MovieScreen& EngineMovieScreen() {
    return kEngineScreen;
}

void InstallMovieScreen() {
    SetMovieScreen(&kEngineScreen);
}
