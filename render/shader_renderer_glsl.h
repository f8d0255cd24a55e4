// The shader renderer's GLSL, written once for GLSL ES 3.00 and GLSL 3.30: the
// version line is put in front when compiling. The vertex stage computes what the
// fixed-function pipeline computes per vertex: the one positional light (scene and
// light ambient plus diffuse, with the default material: ambient 0.2, diffuse 0.8,
// no specular), the sphere map's texture coordinates and the fog distance (|eye z|).
// Flat shading lights the primitive's provoking corner at every corner. The fragment
// stage applies the texture (modulate or decal) and exponential fog.
#pragma once

namespace glsl {

constexpr const char* VERTEX_SHADER = R"(
layout(location = 0) in vec3 aPosition;
layout(location = 1) in vec3 aNormal;
layout(location = 2) in vec3 aFaceNormal;
layout(location = 3) in vec2 aTexCoord;
layout(location = 4) in vec3 aProvokingPosition;
layout(location = 5) in vec3 aProvokingNormal;

uniform mat4 uModelViewProjection;
uniform mat4 uModelView;
uniform mat3 uNormalMatrix;
uniform bool uLighting;
uniform vec3 uLightPosition;
uniform vec3 uBaseColour;
uniform vec3 uDiffuse;
uniform bool uFaceNormals;
uniform bool uFlat;
uniform bool uSphereMap;

out vec4 vColour;
out vec2 vTexCoord;
out float vFogDistance;

vec3 litColour(vec3 position, vec3 normal) {
    vec3 eye = (uModelView * vec4(position, 1.0)).xyz;
    vec3 n = uNormalMatrix * normal;
    vec3 toLight = normalize(uLightPosition - eye);
    return clamp(uBaseColour + max(dot(n, toLight), 0.0) * uDiffuse, 0.0, 1.0);
}

void main() {
    vec3 normal = uFaceNormals ? aFaceNormal : aNormal;
    vec3 provokingNormal = uFaceNormals ? aFaceNormal : aProvokingNormal;
    vec3 eye = (uModelView * vec4(aPosition, 1.0)).xyz;
    vColour = vec4(1.0);
    if (uLighting)
        vColour.rgb = uFlat ? litColour(aProvokingPosition, provokingNormal) : litColour(aPosition, normal);
    vTexCoord = aTexCoord;
    if (uSphereMap) {
        vec3 u = normalize(eye);
        vec3 n = uNormalMatrix * normal;
        vec3 r = u - 2.0 * n * dot(n, u);
        float m = 2.0 * sqrt(r.x * r.x + r.y * r.y + (r.z + 1.0) * (r.z + 1.0));
        vTexCoord = vec2(r.x / m + 0.5, r.y / m + 0.5);
    }
    vFogDistance = abs(eye.z);
    gl_Position = uModelViewProjection * vec4(aPosition, 1.0);
}
)";

constexpr const char* FRAGMENT_SHADER = R"(
precision highp float;
precision highp sampler2D;

uniform sampler2D uTexture;
uniform bool uTextured;
uniform bool uDecal;
uniform bool uFog;
uniform vec3 uFogColour;
uniform float uFogDensity;

in vec4 vColour;
in vec2 vTexCoord;
in float vFogDistance;

out vec4 fragColour;

void main() {
    vec4 colour = vColour;
    if (uTextured) {
        vec4 texel = texture(uTexture, vTexCoord);
        if (uDecal)
            colour.rgb = mix(colour.rgb, texel.rgb, texel.a);
        else
            colour *= texel;
    }
    if (uFog) {
        float f = clamp(exp(-uFogDensity * vFogDistance), 0.0, 1.0);
        colour.rgb = mix(uFogColour, colour.rgb, f);
    }
    fragColour = colour;
}
)";

} // namespace glsl
