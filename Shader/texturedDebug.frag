#version 330 core
// The second scene attachment for debugging: its picture dimmed to grey, and
// its alpha masks (the fire's smoke and the water, where alpha drops below
// 1) painted over it in cyan, stronger where the mask is stronger.
uniform sampler2D image;
in vec2 uv;
out vec4 colour;
void main() {
    vec4 texel = texture(image, uv);
    float grey = dot(texel.rgb, vec3(0.299, 0.587, 0.114)) * 0.6;
    float mask = clamp(1.0 - texel.a, 0.0, 1.0);
    colour = vec4(mix(vec3(grey), vec3(0.0, 1.0, 1.0), mask), 1.0);
}
