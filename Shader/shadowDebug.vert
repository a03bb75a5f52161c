#version 330 core
// A small cube at the light, looked up in the shadow cube map along its own
// corner directions.
in vec3 vp;
uniform mat4 model;
uniform mat4 view;
uniform mat4 projection;
out vec3 direction;
void main() {
    direction = vp;
    gl_Position = projection * view * model * vec4(vp, 1.0);
}
