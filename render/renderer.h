// What the timeline, the demo's light and a scene's frame ask of whatever draws them:
// projection, view, the one light, fog, and objects drawn by their render-mode word.
// Two back ends stand behind it: the OpenGL 1.1 fixed-function one (the reference
// and the desktop's default) and one on GLSL shaders (OpenGL 3.3 core, OpenGL ES 3
// and WebGL 2), which reproduces the first one's pixels.
#pragma once

struct Matrix4;
struct MeshObject;
struct Vector3;

class Renderer {
  public:
    virtual ~Renderer() = default;

    // A gluPerspective projection.
    virtual void setProjection(float fov, float aspect, float zNear, float zFar) = 0;
    // The view (world to eye) matrix; objects are drawn with it times their own matrix.
    virtual void setView(const Matrix4& view) = 0;
    // Switches the one light on with these colours; its position is taken through
    // `placement` (a model-view matrix), as GL takes a light's position through the
    // matrix current when it is sent.
    virtual void setLight(const Vector3& ambient, const Vector3& diffuse, const float position[4],
                          const Matrix4& placement) = 0;
    // The view matrix set last (GL 1.1: the current model-view matrix).
    virtual Matrix4 currentView() const = 0;
    // Exponential fog: its colour and density, then switched on or off.
    virtual void setFogParameters(const float colour[4], float density) = 0;
    virtual void setFog(bool on) = 0;

    // Clears colour and depth; a frame ends with endFrame.
    virtual void beginFrame() = 0;
    virtual void endFrame() = 0;
    // One object by its render-mode word; state left by one object carries over to
    // the next exactly as the fixed-function pipeline carries it.
    virtual void drawObject(const MeshObject& object) = 0;
    // One object textured and added one/one onto the frame, depth-tested, no fog.
    virtual void drawAdditive(const MeshObject& object) = 0;
    // After a texture's upload: the OpenGL 1.1 back end leaves 2D texturing switched
    // off, as its draws expect; the shader one has no such switch (WebGL refuses it).
    virtual void textureUploaded() = 0;
};

// The renderer everything draws through: the one set last, or the platform's default
// (OpenGL 1.1 on the desktop). Not owned; null goes back to the default.
Renderer& activeRenderer();
void setActiveRenderer(Renderer* renderer);
// The platform's default renderer.
Renderer& defaultRenderer();
