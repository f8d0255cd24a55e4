#include "render/gl3.h"

#include "render/shader_renderer.h"

#include "render/object_renderer.h"
#include "render/render_style.h"
#include "render/shader_renderer_glsl.h"
#include "scene/scene.h"

#include <cmath>
#include <cstddef>
#include <vector>

namespace {

enum Uniform {
    MODEL_VIEW_PROJECTION,
    MODEL_VIEW,
    NORMAL_MATRIX,
    LIGHTING,
    LIGHT_POSITION,
    BASE_COLOUR,
    DIFFUSE,
    FACE_NORMALS,
    FLAT,
    SPHERE_MAP,
    TEXTURE,
    TEXTURED,
    DECAL,
    FOG,
    FOG_COLOUR,
    FOG_DENSITY,
    UNIFORM_COUNT
};

const char* const UNIFORM_NAMES[UNIFORM_COUNT] = {"uModelViewProjection",
                                                  "uModelView",
                                                  "uNormalMatrix",
                                                  "uLighting",
                                                  "uLightPosition",
                                                  "uBaseColour",
                                                  "uDiffuse",
                                                  "uFaceNormals",
                                                  "uFlat",
                                                  "uSphereMap",
                                                  "uTexture",
                                                  "uTextured",
                                                  "uDecal",
                                                  "uFog",
                                                  "uFogColour",
                                                  "uFogDensity"};

#ifdef __EMSCRIPTEN__
const char* const VERSION_LINE = "#version 300 es\n";
#else
const char* const VERSION_LINE = "#version 330 core\n";
#endif

// The material every object has: OpenGL's default (nothing sets another).
constexpr float MATERIAL_AMBIENT = 0.2f;
constexpr float MATERIAL_DIFFUSE = 0.8f;
constexpr float SCENE_AMBIENT = 0.2f;

// One corner as the vertex shader reads it: position, vertex normal, face normal,
// texture coordinate, and the position and vertex normal of the corner whose colour
// flat shading gives the whole primitive (the face's last corner).
struct Corner {
    Vector3 position;
    Vector3 normal;
    Vector3 faceNormal;
    float u, v;
    Vector3 provokingPosition;
    Vector3 provokingNormal;
};
static_assert(sizeof(Corner) == 17 * sizeof(float), "corners are packed floats");

GLuint compile(GLenum kind, const char* body, std::string& errorText) {
    GLuint shader = glCreateShader(kind);
    const char* parts[2] = {VERSION_LINE, body};
    glShaderSource(shader, 2, parts, nullptr);
    glCompileShader(shader);
    GLint ok = GL_FALSE;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (!ok) {
        char log[1024] = {0};
        glGetShaderInfoLog(shader, sizeof log, nullptr, log);
        errorText = std::string("shader compilation failed: ") + log;
    }
    return shader;
}

// Product of two column-major matrices (a * b), as Matrix4::multiply computes it.
Matrix4 product(const Matrix4& a, const Matrix4& b) {
    Matrix4 result = a;
    result.multiply(b);
    return result;
}

// The normal matrix: the inverse transpose of the model-view's upper 3x3.
void normalMatrix(const Matrix4& mv, float out[9]) {
    const float* m = mv.m;
    double a = m[0], b = m[4], c = m[8], d = m[1], e = m[5], f = m[9], g = m[2], h = m[6], i = m[10];
    double det = a * (e * i - f * h) - b * (d * i - f * g) + c * (d * h - e * g);
    double s = det != 0.0 ? 1.0 / det : 0.0;
    // Column-major inverse transpose: element (row r, column c) at out[3 * c + r].
    double cof[9] = {e * i - f * h,    -(d * i - f * g), d * h - e * g,    -(b * i - c * h), a * i - c * g,
                     -(a * h - b * g), b * f - c * e,    -(a * f - c * d), a * e - b * d};
    // cof[3 * row + col] is the cofactor of (row, col); the inverse transpose is cof / det.
    for (int r = 0; r < 3; ++r)
        for (int col = 0; col < 3; ++col)
            out[3 * col + r] = static_cast<float>(cof[3 * r + col] * s);
}

void appendCorner(std::vector<Corner>& corners, const MeshArrays& mesh, const Face& face, int32_t corner) {
    Corner c{};
    c.position = mesh.vertices[corner];
    c.normal = mesh.normals ? mesh.normals[corner] : Vector3();
    c.faceNormal = face.normal;
    if (corner < mesh.texCoordCount) {
        c.u = mesh.texCoords[corner].u;
        c.v = mesh.texCoords[corner].v;
    }
    c.provokingPosition = mesh.vertices[face.c];
    c.provokingNormal = mesh.normals ? mesh.normals[face.c] : Vector3();
    corners.push_back(c);
}

void upload(GLuint buffer, const std::vector<Corner>& corners) {
    glBindBuffer(GL_ARRAY_BUFFER, buffer);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(corners.size() * sizeof(Corner)),
                 corners.empty() ? nullptr : corners.data(), GL_STATIC_DRAW);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
}

} // namespace

ShaderRenderer::~ShaderRenderer() {
    for (auto& entry : buffers_) {
        GLuint names[2] = {entry.second.triangles, entry.second.lines};
        glDeleteBuffers(2, names);
    }
    if (vertexArray_)
        glDeleteVertexArrays(1, &vertexArray_);
    if (program_)
        glDeleteProgram(program_);
}

bool ShaderRenderer::create(std::string& errorText) {
    GLuint vertex = compile(GL_VERTEX_SHADER, glsl::VERTEX_SHADER, errorText);
    GLuint fragment = compile(GL_FRAGMENT_SHADER, glsl::FRAGMENT_SHADER, errorText);
    program_ = glCreateProgram();
    glAttachShader(program_, vertex);
    glAttachShader(program_, fragment);
    glLinkProgram(program_);
    glDeleteShader(vertex);
    glDeleteShader(fragment);
    GLint ok = GL_FALSE;
    glGetProgramiv(program_, GL_LINK_STATUS, &ok);
    if (!ok) {
        char log[1024] = {0};
        glGetProgramInfoLog(program_, sizeof log, nullptr, log);
        if (errorText.empty())
            errorText = std::string("shader linking failed: ") + log;
        return false;
    }
    for (int i = 0; i < UNIFORM_COUNT; ++i)
        uniforms_[i] = glGetUniformLocation(program_, UNIFORM_NAMES[i]);
    glGenVertexArrays(1, &vertexArray_);
    return true;
}

void ShaderRenderer::setProjection(float fov, float aspect, float zNear, float zFar) {
    // gluPerspective's arithmetic, in double precision, stored as floats.
    double radians = fov / 2.0 * 3.14159265358979323846 / 180.0;
    double deltaZ = static_cast<double>(zFar) - zNear;
    double sine = std::sin(radians);
    double cotangent = std::cos(radians) / sine;
    projection_.identity();
    projection_.m[0] = static_cast<float>(cotangent / aspect);
    projection_.m[5] = static_cast<float>(cotangent);
    projection_.m[10] = static_cast<float>(-(static_cast<double>(zFar) + zNear) / deltaZ);
    projection_.m[11] = -1.0f;
    projection_.m[14] = static_cast<float>(-2.0 * zNear * zFar / deltaZ);
    projection_.m[15] = 0.0f;
}

void ShaderRenderer::setView(const Matrix4& view) {
    view_ = view;
}

Matrix4 ShaderRenderer::currentView() const {
    return view_;
}

void ShaderRenderer::setLight(const Vector3& ambient, const Vector3& diffuse, const float position[4],
                              const Matrix4& placement) {
    lighting_ = true;
    lightAmbient_ = ambient;
    lightDiffuse_ = diffuse;
    const float* m = placement.m;
    for (int r = 0; r < 3; ++r)
        lightEye_[r] =
            m[r] * position[0] + m[4 + r] * position[1] + m[8 + r] * position[2] + m[12 + r] * position[3];
}

void ShaderRenderer::setFogParameters(const float colour[4], float density) {
    fog_ = true;
    for (int i = 0; i < 3; ++i)
        fogColour_[i] = colour[i];
    fogDensity_ = density;
}

void ShaderRenderer::setFog(bool on) {
    fog_ = on;
}

void ShaderRenderer::beginFrame() {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

void ShaderRenderer::endFrame() {
    glFlush();
}

ShaderRenderer::Buffers& ShaderRenderer::buffersOf(const MeshObject& object) {
    Buffers& buffers = buffers_[&object];
    const void* sources[4] = {object.faces.get(), object.vertices.get(), object.vertexNormals.get(),
                              object.texCoords.get()};
    const int32_t counts[3] = {object.faceCount, object.vertexCount, object.texCoordCount};
    bool same = buffers.triangles != 0;
    for (int i = 0; i < 4; ++i)
        same = same && buffers.sources[i] == sources[i];
    for (int i = 0; i < 3; ++i)
        same = same && buffers.counts[i] == counts[i];
    if (!same) {
        build(object, buffers);
        for (int i = 0; i < 4; ++i)
            buffers.sources[i] = sources[i];
        for (int i = 0; i < 3; ++i)
            buffers.counts[i] = counts[i];
    }
    return buffers;
}

// Triangle corners a, b, c of each usable face in list order; the line list holds
// each face's edges a-b, b-c, c-a, the edges polygon mode GL_LINE draws.
void ShaderRenderer::build(const MeshObject& object, Buffers& buffers) {
    MeshArrays mesh(object);
    std::vector<Corner> triangles;
    std::vector<Corner> lines;
    triangles.reserve(static_cast<size_t>(mesh.faceCount) * 3);
    lines.reserve(static_cast<size_t>(mesh.faceCount) * 6);
    for (int32_t i = 0; i < mesh.faceCount; ++i) {
        const Face& face = mesh.faces[i];
        if (!mesh.usable(face))
            continue;
        for (int32_t corner : {face.a, face.b, face.c})
            appendCorner(triangles, mesh, face, corner);
        for (int32_t corner : {face.a, face.b, face.b, face.c, face.c, face.a})
            appendCorner(lines, mesh, face, corner);
    }
    if (!buffers.triangles) {
        GLuint names[2] = {0, 0};
        glGenBuffers(2, names);
        buffers.triangles = names[0];
        buffers.lines = names[1];
    }
    upload(buffers.triangles, triangles);
    upload(buffers.lines, lines);
    buffers.triangleVertices = static_cast<int32_t>(triangles.size());
    buffers.lineVertices = static_cast<int32_t>(lines.size());
    buffers.hasNormals = mesh.normals != nullptr;
    if (!triangles.empty()) {
        buffers.lastFaceNormal = triangles.back().faceNormal;
        buffers.lastVertexNormal = triangles.back().normal;
    }
}

void ShaderRenderer::drawObject(const MeshObject& object) {
    const int32_t renderMode = object.renderMode;
    if (renderMode & RENDER_HIDDEN)
        return;
    if (renderMode & RENDER_SPHERE_MAP) {
        texGen_ = true;
        // As in the GL 1.1 renderer, the filters land on the texture bound now.
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        decal_ = true;
    }
    for (int32_t bit : {RENDER_BLEND_ALPHA, RENDER_BLEND_ADD}) {
        if (!(renderMode & bit))
            continue;
        glEnable(GL_BLEND);
        glDisable(GL_DEPTH_TEST);
        glDisable(GL_CULL_FACE);
        glBlendFunc(bit == RENDER_BLEND_ALPHA ? GL_SRC_ALPHA : GL_ONE, GL_ONE);
    }
    switch (styleOf(renderMode)) {
    case Style::WIREFRAME:
        draw(object, Geometry::LINES, false);
        break;
    case Style::FLAT:
        flat_ = true;
        glEnable(GL_DEPTH_TEST);
        draw(object, Geometry::FACE_TRIANGLES, false);
        glDisable(GL_DEPTH_TEST);
        glDepthMask(GL_TRUE);
        break;
    case Style::SMOOTH:
        flat_ = false;
        glEnable(GL_DEPTH_TEST);
        draw(object, Geometry::VERTEX_TRIANGLES, false);
        glDisable(GL_DEPTH_TEST);
        break;
    case Style::TEXTURED:
        drawTextured(object, true);
        break;
    case Style::TEXTURED_BLEND:
        drawTextured(object, false);
        break;
    }
}

void ShaderRenderer::drawTextured(const MeshObject& object, bool switchBlendingOff) {
    if (switchBlendingOff)
        glDisable(GL_BLEND);
    glEnable(GL_DEPTH_TEST);
    glBindTexture(GL_TEXTURE_2D, object.texture);
    draw(object, Geometry::VERTEX_TRIANGLES, true);
    texGen_ = false;
    glDisable(GL_DEPTH_TEST);
}

void ShaderRenderer::drawAdditive(const MeshObject& object) {
    glDepthMask(GL_FALSE);
    glEnable(GL_BLEND);
    fog_ = false;
    glBlendFunc(GL_ONE, GL_ONE);
    glEnable(GL_DEPTH_TEST);
    glBindTexture(GL_TEXTURE_2D, object.texture);
    // Texture generation stays as earlier draws left it, as in the GL 1.1 renderer.
    draw(object, Geometry::VERTEX_TRIANGLES, true);
    texGen_ = false;
    glDisable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);
    glDepthMask(GL_TRUE);
}

void ShaderRenderer::draw(const MeshObject& object, Geometry geometry, bool textured) {
    const Buffers& buffers = buffersOf(object);
    const int32_t count = geometry == Geometry::LINES ? buffers.lineVertices : buffers.triangleVertices;
    if (count == 0)
        return;
    glUseProgram(program_);
    glBindVertexArray(vertexArray_);
    bindVertexLayout(buffers, geometry);
    sendUniforms(object, geometry, textured);
    glDrawArrays(geometry == Geometry::LINES ? GL_LINES : GL_TRIANGLES, 0, count);
    glBindVertexArray(0);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glUseProgram(0);
    // What the fixed-function loops leave as the current normal.
    if (geometry != Geometry::VERTEX_TRIANGLES)
        currentNormal_ = buffers.lastFaceNormal;
    else if (buffers.hasNormals)
        currentNormal_ = buffers.lastVertexNormal;
}

void ShaderRenderer::bindVertexLayout(const Buffers& buffers, Geometry geometry) {
    glBindBuffer(GL_ARRAY_BUFFER, geometry == Geometry::LINES ? buffers.lines : buffers.triangles);
    const GLsizei stride = sizeof(Corner);
    const size_t offsets[6] = {offsetof(Corner, position),          offsetof(Corner, normal),
                               offsetof(Corner, faceNormal),        offsetof(Corner, u),
                               offsetof(Corner, provokingPosition), offsetof(Corner, provokingNormal)};
    const GLint sizes[6] = {3, 3, 3, 2, 3, 3};
    for (GLuint i = 0; i < 6; ++i) {
        glEnableVertexAttribArray(i);
        glVertexAttribPointer(i, sizes[i], GL_FLOAT, GL_FALSE, stride,
                              reinterpret_cast<const void*>(offsets[i]));
    }
    // An object without vertex normals is lit with the normal the previous draw left.
    if (!buffers.hasNormals && geometry == Geometry::VERTEX_TRIANGLES) {
        for (GLuint i : {1u, 5u}) {
            glDisableVertexAttribArray(i);
            glVertexAttrib3f(i, currentNormal_.x, currentNormal_.y, currentNormal_.z);
        }
    }
}

void ShaderRenderer::sendUniforms(const MeshObject& object, Geometry geometry, bool textured) {
    const Matrix4 modelView = product(view_, object.matrix);
    const Matrix4 modelViewProjection = product(projection_, modelView);
    float normals[9];
    normalMatrix(modelView, normals);
    const Vector3 base(SCENE_AMBIENT * MATERIAL_AMBIENT + lightAmbient_.x * MATERIAL_AMBIENT,
                       SCENE_AMBIENT * MATERIAL_AMBIENT + lightAmbient_.y * MATERIAL_AMBIENT,
                       SCENE_AMBIENT * MATERIAL_AMBIENT + lightAmbient_.z * MATERIAL_AMBIENT);
    glUniformMatrix4fv(uniforms_[MODEL_VIEW_PROJECTION], 1, GL_FALSE, modelViewProjection.m);
    glUniformMatrix4fv(uniforms_[MODEL_VIEW], 1, GL_FALSE, modelView.m);
    glUniformMatrix3fv(uniforms_[NORMAL_MATRIX], 1, GL_FALSE, normals);
    glUniform1i(uniforms_[LIGHTING], lighting_);
    glUniform3fv(uniforms_[LIGHT_POSITION], 1, lightEye_);
    glUniform3f(uniforms_[BASE_COLOUR], base.x, base.y, base.z);
    glUniform3f(uniforms_[DIFFUSE], lightDiffuse_.x * MATERIAL_DIFFUSE, lightDiffuse_.y * MATERIAL_DIFFUSE,
                lightDiffuse_.z * MATERIAL_DIFFUSE);
    glUniform1i(uniforms_[FACE_NORMALS], geometry != Geometry::VERTEX_TRIANGLES);
    glUniform1i(uniforms_[FLAT], flat_);
    glUniform1i(uniforms_[SPHERE_MAP], texGen_);
    glUniform1i(uniforms_[TEXTURE], 0);
    // Texture 0 has no image: GL 1.1 then draws as if texturing were off.
    glUniform1i(uniforms_[TEXTURED], textured && object.texture != 0);
    glUniform1i(uniforms_[DECAL], decal_);
    glUniform1i(uniforms_[FOG], fog_);
    glUniform3fv(uniforms_[FOG_COLOUR], 1, fogColour_);
    glUniform1f(uniforms_[FOG_DENSITY], fogDensity_);
}
