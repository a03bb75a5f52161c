#version 330 core
// Shadow casters to world space; the geometry stage routes them to the six
// faces of the light's cube map.
in vec3 vp;
uniform mat4 M;
void main() { gl_Position = M * vec4(vp, 1.0); }
