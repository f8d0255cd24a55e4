#include "test_meshes.h"

#include "render/gl.h"

#include <cstring>

MeshObject* makeMesh(const std::vector<Vector3>& vertices, const std::vector<std::array<int32_t, 3>>& faces,
                     const std::vector<TexCoord>& texCoords) {
    auto* object = new MeshObject;
    object->vertexCount = static_cast<int32_t>(vertices.size());
    object->vertices.reset(new Vector3[vertices.size()]);
    object->vertexNormals.reset(new Vector3[vertices.size()]);
    for (size_t i = 0; i < vertices.size(); ++i) {
        object->vertices[i] = vertices[i];
        object->vertexNormals[i] = Vector3(0.0f, 0.0f, 1.0f);
    }
    object->faceCount = static_cast<int32_t>(faces.size());
    object->faces.reset(new Face[faces.size()]);
    for (size_t i = 0; i < faces.size(); ++i) {
        object->faces[i].a = faces[i][0];
        object->faces[i].b = faces[i][1];
        object->faces[i].c = faces[i][2];
        object->faces[i].normal = Vector3(0.0f, 0.0f, 1.0f);
    }
    if (!texCoords.empty()) {
        object->hasTexCoords = true;
        object->texCoordCount = static_cast<int32_t>(texCoords.size());
        object->texCoords.reset(new TexCoord[texCoords.size()]);
        for (size_t i = 0; i < texCoords.size(); ++i)
            object->texCoords[i] = texCoords[i];
    }
    return object;
}

MeshObject* makeQuad(float x0, float y0, float x1, float y1, float z) {
    return makeMesh({{x0, y0, z}, {x1, y0, z}, {x1, y1, z}, {x0, y1, z}}, {{0, 1, 2}, {0, 2, 3}},
                    {{0, 0}, {1, 0}, {1, 1}, {0, 1}});
}

std::unique_ptr<Scene> makeScene(int32_t objects, int32_t keys, float fov) {
    auto scene = std::make_unique<Scene>();
    // Upright squares facing the cameras, which stand on the -y axis.
    for (int32_t i = 0; i < objects; ++i)
        scene->addObject(makeMesh({{-10, 0, -10}, {10, 0, -10}, {10, 0, 10}, {-10, 0, 10}},
                                  {{0, 1, 2}, {0, 2, 3}}, {{0, 0}, {1, 0}, {1, 1}, {0, 1}}));
    auto* camera = new SceneCamera;
    camera->fov = fov;
    camera->positionKeyCount = keys;
    camera->positionKeys.reset(new TrackKey[keys > 0 ? keys : 1]);
    for (int32_t i = 0; i < keys; ++i) {
        camera->positionKeys[i].frame = i;
        camera->positionKeys[i].position = Vector3(0.0f, -100.0f - i, 0.0f);
    }
    scene->addCamera(camera);
    return scene;
}

uint32_t makeTexture(unsigned char r, unsigned char g, unsigned char b) {
    GLint previous = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &previous);
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    const unsigned char rgb[3] = {r, g, b};
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 1, 1, 0, GL_RGB, GL_UNSIGNED_BYTE, rgb);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(previous));
    return name;
}

void useIdentityView() {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

namespace {
int32_t integer(GLenum what) {
    GLint value = 0;
    glGetIntegerv(what, &value);
    return value;
}
} // namespace

GLState GLState::read() {
    GLState s;
    s.blend = glIsEnabled(GL_BLEND);
    s.depthTest = glIsEnabled(GL_DEPTH_TEST);
    s.cullFace = glIsEnabled(GL_CULL_FACE);
    s.texture2D = glIsEnabled(GL_TEXTURE_2D);
    s.genS = glIsEnabled(GL_TEXTURE_GEN_S);
    s.genT = glIsEnabled(GL_TEXTURE_GEN_T);
    s.fog = glIsEnabled(GL_FOG);
    s.lighting = glIsEnabled(GL_LIGHTING);
    s.blendSrc = integer(GL_BLEND_SRC);
    s.blendDst = integer(GL_BLEND_DST);
    s.shadeModel = integer(GL_SHADE_MODEL);
    glGetIntegerv(GL_POLYGON_MODE, s.polygonMode);
    GLint env = 0;
    glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &env);
    s.texEnvMode = env;
    glGetTexGeniv(GL_S, GL_TEXTURE_GEN_MODE, &s.genModeS);
    glGetTexGeniv(GL_T, GL_TEXTURE_GEN_MODE, &s.genModeT);
    GLboolean mask = GL_FALSE;
    glGetBooleanv(GL_DEPTH_WRITEMASK, &mask);
    s.depthMask = mask == GL_TRUE;
    s.boundTexture = integer(GL_TEXTURE_BINDING_2D);
    s.modelviewDepth = integer(GL_MODELVIEW_STACK_DEPTH);
    s.matrixMode = integer(GL_MATRIX_MODE);
    s.error = static_cast<int32_t>(glGetError());
    return s;
}

bool GLState::operator==(const GLState& o) const {
    return blend == o.blend && depthTest == o.depthTest && cullFace == o.cullFace &&
           texture2D == o.texture2D && genS == o.genS && genT == o.genT && fog == o.fog &&
           lighting == o.lighting && blendSrc == o.blendSrc && blendDst == o.blendDst &&
           shadeModel == o.shadeModel && polygonMode[0] == o.polygonMode[0] &&
           polygonMode[1] == o.polygonMode[1] && texEnvMode == o.texEnvMode && genModeS == o.genModeS &&
           genModeT == o.genModeT && depthMask == o.depthMask && boundTexture == o.boundTexture &&
           modelviewDepth == o.modelviewDepth && matrixMode == o.matrixMode && error == o.error;
}

std::array<int32_t, 2> filtersOf(uint32_t texture) {
    GLint previous = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &previous);
    glBindTexture(GL_TEXTURE_2D, texture);
    GLint minFilter = 0;
    GLint magFilter = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &minFilter);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &magFilter);
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(previous));
    return {minFilter, magFilter};
}
