#version 330 core
// Depth of the shadow cube map: the fragment's distance to the light, mapped
// from [near, far] to [0, 1]. The face projection has its near plane at 0,
// where the usual perspective depth is the same everywhere, so the distance
// is written here instead; the lit program decodes it the same way.
in vec3 worldPosition;
uniform vec4 light_pos;
uniform vec2 near_far;
void main() {
    float distanceToLight = distance(worldPosition, light_pos.xyz);
    gl_FragDepth = clamp((distanceToLight - near_far.x) / (near_far.y - near_far.x), 0.0, 1.0);
}
