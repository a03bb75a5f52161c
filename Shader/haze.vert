#version 330 core
// The heat haze's one point, into view space.

layout(std140) uniform Matrices {
    mat4 transform;
    mat4 view;
    mat4 modelView; // the camera's view during the haze draw
    mat4 projection;
    mat4 normalMatrix;
};

layout(location = 0) in vec3 position;

void main() {
    gl_Position = modelView * vec4(position, 1.0);
}
