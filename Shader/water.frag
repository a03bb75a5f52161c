#version 330 core
// Still water at night. The mirrored scene (unit 0) and the scene behind
// the surface (unit 1) are looked up where this fragment lands on screen,
// shifted by two layers of the dUdV ripple map that drift across each other
// with the phase "time". The normal map tilts the surface normal: it sets
// the Fresnel mix between reflection and the dark, refracted scene below,
// and catches the moon as glints.

layout(std140) uniform Matrices {
    mat4 transform;
    mat4 view;
    mat4 modelView;
    mat4 projection;
    mat4 normalMatrix;
};

uniform sampler2D reflectionTexture; // unit 0: the mirrored pass; alpha 0 on the water
uniform sampler2D sceneTexture;      // unit 1: the scene behind; alpha 0 on the water
uniform sampler2D dudvTexture;       // unit 2: ripple slopes around 0.5
uniform sampler2D normalTexture;     // unit 3: ripple normals, z up
uniform float time;                  // phase in [0, 1), one cycle in 8 s
// The largest shift of a lookup, in normalised device coordinates along
// either axis, that the ripples make: water a few metres away shifts this
// far at the ripple map's steepest slope; further off, ripples shrink on
// screen like everything else. The renderer draws the mirrored scene this
// far around the pool, so no lookup may reach further.
uniform float rippleReach;

in vec4 clipPosition;
in vec3 eyePosition;
in vec2 rippleCoord;

layout(location = 0) out vec4 colour;

const float kNearDistance = 4.0;
// Refraction bends less than reflection mirrors.
const float kRefractionShare = 0.5;
// Fresnel: more mirror the lower the view. Seen straight on, real water
// reflects 2 %; at night the scene below is so dark that the eye reads even
// a steep view of the pool by its reflection, so this starts higher, and
// the rise towards grazing views is gentler than Schlick's fifth power.
const float kReflectanceHeadOn = 0.2;
const float kFresnelPower = 3.0;
// How far the normal map may tilt the surface: still water, small ripples.
const float kRippleSteepness = 0.35;
// What comes back from below the surface: the scene behind, darkened and
// tinted by the water, over the water's own faint colour.
const vec3 kTransmission = vec3(0.42, 0.55, 0.58);
const vec3 kWaterColour = vec3(0.004, 0.010, 0.016);
// Where the night sky's moon hangs (world space) and its light.
const vec3 kMoonDirection = vec3(-0.3031, 0.4259, 0.8525);
const vec3 kMoonLight = vec3(0.70, 0.76, 0.86);
const float kGlintSharpness = 900.0;

vec2 ripples(sampler2D map, vec2 a, vec2 b) {
    return (texture(map, a).rg + texture(map, b).rg) - 1.0;
}

// A distorted lookup is kept only where it still lands on the water. The
// mask says where the water is: 0 on the surface, 1 elsewhere (any smoke
// over the pool is written over by the water's own mask before this runs,
// so outside the pool every value above 0 means "not water"). A lookup that
// strays onto the bank, or onto a rock or a trunk standing in front of the
// pool, would smear that object into the water and draw a ragged seam
// along the shore; there the lookup slides back towards the undistorted
// point by how much the mask says "not water". On the reflection's linearly
// filtered mask that slide is gradual, so the ripples fade out at the edge
// instead of stopping at a line.
vec2 keepOnWater(sampler2D target, vec2 undistorted, vec2 distorted) {
    float offWater = texture(target, distorted).a;
    return mix(distorted, undistorted, clamp(offWater, 0.0, 1.0));
}

void main() {
    vec2 screen = clipPosition.xy / clipPosition.w * 0.5 + 0.5;

    // Two layers, each moving a whole number of its own tiles per cycle, so
    // the wrap of the phase from 1 back to 0 does not show.
    vec2 layerA = rippleCoord + vec2(time, 0.0);
    vec2 layerB = rippleCoord * 0.71 + vec2(0.37, 0.11) + vec2(-time, 2.0 * time);
    vec2 slope = ripples(dudvTexture, layerA, layerB);

    float distance = max(-eyePosition.z, 0.1);
    // Each component of the slope lies in [-1, 1]; half the reach in
    // normalised device coordinates is that much of the screen.
    vec2 shift = slope * (0.5 * rippleReach) * min(kNearDistance / distance, 1.0);

    vec2 reflectionAt = keepOnWater(reflectionTexture, screen, screen + shift);
    vec2 refractionAt = keepOnWater(sceneTexture, screen, screen + shift * kRefractionShare);
    vec3 reflection = texture(reflectionTexture, reflectionAt).rgb;
    vec3 below = texture(sceneTexture, refractionAt).rgb * kTransmission + kWaterColour;

    // The surface normal from the normal map (its x and y run along the
    // surface's x and z), tilted only a little: still water.
    vec3 tangentNormal = (texture(normalTexture, layerA).rgb + texture(normalTexture, layerB).rgb) - 1.0;
    vec3 surfaceNormal = normalize(vec3(tangentNormal.x * kRippleSteepness, max(tangentNormal.z, 0.2),
                                        tangentNormal.y * kRippleSteepness));
    vec3 n = normalize(mat3(normalMatrix) * surfaceNormal);
    vec3 toEye = normalize(-eyePosition);
    float facing = clamp(dot(n, toEye), 0.0, 1.0);
    float reflectance = kReflectanceHeadOn + (1.0 - kReflectanceHeadOn) * pow(1.0 - facing, kFresnelPower);

    vec3 moon = normalize(mat3(view) * kMoonDirection);
    float glint = pow(max(dot(reflect(-toEye, n), moon), 0.0), kGlintSharpness);

    vec3 surface = mix(below, reflection, reflectance) + kMoonLight * glint * reflectance;
    colour = vec4(surface, 1.0);
}
