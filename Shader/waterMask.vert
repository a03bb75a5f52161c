#version 330 core
// The pool's surface, for its mask: positions through "Matrices"' transform
// (projection x view x the surface's model matrix).

layout(std140) uniform Matrices {
    mat4 transform;
    mat4 view;
    mat4 modelView;
    mat4 projection;
    mat4 normalMatrix;
};

layout(location = 0) in vec3 position;

void main() {
    gl_Position = transform * vec4(position, 1.0);
}
