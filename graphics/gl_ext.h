// gl_ext.h: OpenGL for the drawing layers (graphics/ and scene3d/ only), with
// the extension entry points looked up when the context is created.
//
// Each pointer is null when the driver lacks the extension; users test it
// before calling. The multitexture and vertex-buffer entry points are looked
// up when the extension string names "GL_ARB_multitexture", the shader-object
// ones when it names "GL_ARB_fragment_program".
#pragma once

#include <GL/gl.h>
#include <GL/glext.h>

struct GlExtensions {
    PFNGLACTIVETEXTUREARBPROC glActiveTextureARB = nullptr;
    PFNGLMULTITEXCOORD2FARBPROC glMultiTexCoord2fARB = nullptr;
    PFNGLCLIENTACTIVETEXTUREARBPROC glClientActiveTextureARB = nullptr;
    PFNGLGENBUFFERSARBPROC glGenBuffersARB = nullptr;
    PFNGLBINDBUFFERARBPROC glBindBufferARB = nullptr;
    PFNGLBUFFERDATAARBPROC glBufferDataARB = nullptr;
    PFNGLDELETEBUFFERSARBPROC glDeleteBuffersARB = nullptr;
    PFNGLMAPBUFFERARBPROC glMapBufferARB = nullptr;
    PFNGLUNMAPBUFFERARBPROC glUnmapBufferARB = nullptr;

    PFNGLCREATEPROGRAMOBJECTARBPROC glCreateProgramObjectARB = nullptr;
    PFNGLDELETEOBJECTARBPROC glDeleteObjectARB = nullptr;
    PFNGLCREATESHADEROBJECTARBPROC glCreateShaderObjectARB = nullptr;
    PFNGLSHADERSOURCEARBPROC glShaderSourceARB = nullptr;
    PFNGLCOMPILESHADERARBPROC glCompileShaderARB = nullptr;
    PFNGLGETOBJECTPARAMETERIVARBPROC glGetObjectParameterivARB = nullptr;
    PFNGLATTACHOBJECTARBPROC glAttachObjectARB = nullptr;
    PFNGLGETINFOLOGARBPROC glGetInfoLogARB = nullptr;
    PFNGLLINKPROGRAMARBPROC glLinkProgramARB = nullptr;
    PFNGLUSEPROGRAMOBJECTARBPROC glUseProgramObjectARB = nullptr;
    PFNGLGETUNIFORMLOCATIONARBPROC glGetUniformLocationARB = nullptr;
    PFNGLUNIFORM1FARBPROC glUniform1fARB = nullptr;
    PFNGLUNIFORM1IARBPROC glUniform1iARB = nullptr;

    bool multitexture() const { return glActiveTextureARB != nullptr; }
    bool shaders() const { return glUseProgramObjectARB != nullptr; }
};

// Filled by the renderer's CreateContext; all null before.
GlExtensions& gl_ext();
