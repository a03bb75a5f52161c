#version 330 core
// Depth only, ahead of the lit pass: the same position and clip distance as
// PhongSMap.vert, computed the same way and declared invariant in both, so
// the lit pass finds exactly these depths and shades each pixel once.

in vec3 position;
in vec2 uv;

uniform mat4 modelMatrix;
uniform mat4 viewMatrix;
uniform mat4 projectionMatrix;
uniform float waterLevel;

out vec2 texCoord;

invariant gl_Position;

void main() {
    vec4 world = modelMatrix * vec4(position, 1.0);
    texCoord = uv;
    bool mirrored = determinant(mat3(viewMatrix)) < 0.0;
    gl_ClipDistance[0] = mirrored ? world.y - waterLevel : 1.0;
    gl_Position = projectionMatrix * viewMatrix * world;
}
