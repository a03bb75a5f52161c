#version 330 core
// The lit scene: world-space position, normal and tangent frame for Phong
// shading with normal mapping and the fire light's shadow cube map. In the
// water's mirrored pass clip distance 0 cuts away what lies below the water.

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
out vec4 worldTangent;
out vec2 texCoord;
out vec3 eyePosition;
flat out int mirroredView;

void main() {
    vec4 world = modelMatrix * vec4(position, 1.0);
    mat3 normalMatrix = transpose(inverse(mat3(modelMatrix)));
    worldPosition = world.xyz;
    worldNormal = normalMatrix * normal;
    worldTangent = vec4(mat3(modelMatrix) * tangent.xyz, tangent.w);
    texCoord = uv;
    // The eye in world space: the inverse view's translation (also right
    // for the mirrored view).
    eyePosition = -inverse(mat3(viewMatrix)) * viewMatrix[3].xyz;
    // Only the water's mirrored pass cuts at the water level; it is the pass
    // whose view matrix mirrors (negative determinant). Mesa's llvmpipe
    // clips by a written gl_ClipDistance even while GL_CLIP_DISTANCE0 is
    // disabled, so the other passes write a distance that never clips.
    bool mirrored = determinant(mat3(viewMatrix)) < 0.0;
    mirroredView = mirrored ? 1 : 0;
    gl_ClipDistance[0] = mirrored ? world.y - waterLevel : 1.0;
    gl_Position = projectionMatrix * viewMatrix * world;
}
