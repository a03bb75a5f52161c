#version 330 core
// The smoke mask pass: the same camera-facing sprites as the particle
// draw (see particles.vert), so the mask covers exactly what the smoke does.

layout(std140) uniform Matrices {
    mat4 transform;
    mat4 view;
    mat4 modelView; // the camera's view during the particle draws
    mat4 projection;
    mat4 normalMatrix;
};

layout(location = 0) in vec3 position;
layout(location = 1) in vec2 size;
layout(location = 2) in float rotation;
layout(location = 3) in float age;

out Sprite {
    vec2 size;
    float rotation;
    float age;
} sprite;

void main() {
    gl_Position = modelView * vec4(position, 1.0);
    sprite.size = size;
    sprite.rotation = rotation;
    sprite.age = age;
}
