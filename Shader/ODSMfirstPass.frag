#version 330 core
// The stored depth is the fragment's distance to the light divided by the
// far plane: the face projection has its near plane at 0, where the usual
// perspective depth is the same everywhere. The lit program compares against
// this same encoding.
in vec4 worldPosition;
uniform vec4 light_pos;
uniform vec2 near_far;
void main() { gl_FragDepth = clamp(distance(worldPosition.xyz, light_pos.xyz) / near_far.y, 0.0, 1.0); }
