#version 330 core
// The lit scene: world-space position, normal and tangent frame for Phong
// shading with normal mapping and the fire light's shadow cube map. Built a
// second time with MIRRORED_VIEW defined for the water's mirrored pass,
// where clip distance 0 cuts away what lies below the water and the
// fragment stage needs no tangent frame.

in vec3 position;
in vec3 normal;
in vec2 uv;
in vec4 tangent;

uniform mat4 modelMatrix;
uniform mat4 viewMatrix;
uniform mat4 projectionMatrix;
uniform float waterLevel;

out vec3 worldPosition;
out vec3 worldNormal;
#ifndef MIRRORED_VIEW
out vec4 worldTangent;
#endif
out vec2 texCoord;
out vec3 eyePosition;

void main() {
    vec4 world = modelMatrix * vec4(position, 1.0);
    mat3 normalMatrix = transpose(inverse(mat3(modelMatrix)));
    worldPosition = world.xyz;
    worldNormal = normalMatrix * normal;
#ifndef MIRRORED_VIEW
    worldTangent = vec4(mat3(modelMatrix) * tangent.xyz, tangent.w);
#endif
    texCoord = uv;
    // The eye in world space: the inverse view's translation (also right
    // for the mirrored view).
    eyePosition = -inverse(mat3(viewMatrix)) * viewMatrix[3].xyz;
#ifdef MIRRORED_VIEW
    gl_ClipDistance[0] = world.y - waterLevel;
#endif
    gl_Position = projectionMatrix * viewMatrix * world;
}
