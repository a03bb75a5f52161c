#version 330 core
// A screen-space quad: pixel positions through the screen matrix.
layout(std140) uniform Matrices {
    mat4 transform;
    mat4 view;
    mat4 modelView;
    mat4 projection;
    mat4 normalMatrix;
};
layout(location = 0) in vec2 position;
layout(location = 1) in vec2 texCoord;
out vec2 uv;
void main() {
    uv = texCoord;
    gl_Position = transform * vec4(position, 0.0, 1.0);
}
