#version 330 core
// Heat shimmer: each pixel of the area shows the scene image a little off
// its place, the offset read from two layers of the distortion map that
// scroll upwards at different speeds (whole repeats per phase cycle, so the
// 5-second wrap of "time" is seamless). The offset fades smoothly to zero
// towards every edge of the area, strongest low down where the flames'
// heat rises, so the area's outline never shows; a zero offset reads the
// very pixel underneath (the scene image is sampled at texel centres,
// unfiltered), leaving it unchanged. Where the smoke mask has lowered the
// image's alpha, the hot smoke column, the shimmer is stronger.

uniform sampler2D scene;      // unit 0: the scene copy, smoke mask in alpha
uniform sampler2D distortion; // unit 1: dUdV map, slopes around 0.5
uniform float time;           // phase in [0, 1)

in vec2 areaUv;
flat in vec2 screenHalfSize;

layout(location = 0) out vec4 colour;

// Largest offset, as a share of the area's half size on screen.
const float kStrength = 0.06;

void main() {
    vec2 sceneSize = vec2(textureSize(scene, 0));
    vec2 here = gl_FragCoord.xy / sceneSize;

    float across = smoothstep(0.0, 0.4, areaUv.x) * smoothstep(1.0, 0.6, areaUv.x);
    float along = smoothstep(0.0, 0.25, areaUv.y) * smoothstep(1.0, 0.35, areaUv.y);
    float fade = across * along;

    vec2 slow = texture(distortion, areaUv * vec2(0.8, 1.2) - vec2(0.0, time)).rg * 2.0 - 1.0;
    vec2 fast = texture(distortion, areaUv * vec2(1.3, 2.0) + vec2(0.2, -2.0 * time)).rg * 2.0 - 1.0;
    float smoke = 1.0 - texture(scene, here).a;
    vec2 offset = (slow + fast) * 0.5 * kStrength * (1.0 + smoke) * fade * screenHalfSize;

    colour = vec4(texture(scene, here + offset).rgb, 1.0);
}
