#version 330 core
// Phong lighting of the night scene from the "Lights" block: a warm fire
// light that casts shadows from a depth cube map, and cold moonlight fills.
// Light falls off with the square of the distance; the result is tone
// mapped, so the ground by the fire glows without washing out and the
// moonlit parts stay readable.

struct Light {
    vec3 position;
    vec3 colour;
    float intensity; // already x 4
    float nearPlane;
    float farPlane;
    int lightIndex;
};

layout(std140) uniform Lights {
    int lightCount;
    Light lights[4];
};

layout(std140) uniform Material {
    vec4 diffuse;
    vec4 ambient;
    vec4 specular;
    vec4 emissive;
    float shininess;
};

uniform sampler2D colorTexture;  // unit 0
uniform sampler2D normal_map;    // unit 1
// Unit 2, given once after linking: left on unit 0 beside the 2D
// "colorTexture" it would make every draw invalid.
uniform samplerCube depth_map;
uniform float texCount;
uniform int normalMapping;
uniform int shadowMapping;

in vec3 worldPosition;
in vec3 worldNormal;
in vec4 worldTangent;
in vec2 texCoord;
in vec3 eyePosition;
// 1 in the water's mirrored pass: the mirror turns every triangle's winding
// around, so there the faces towards the eye are the ones GL calls back.
flat in int mirroredView;

layout(location = 0) out vec4 colour;
layout(location = 1) out vec4 sceneCopy;

// The light that owns the shadow cube map: the first one the Level holds.
const int kShadowedLight = 2;
// Starlight and sky glow that reach everything, so nothing goes pitch black.
const vec3 kNightAmbient = vec3(0.035, 0.045, 0.075);
const vec3 kFogColour = vec3(0.015, 0.022, 0.045);
const float kFogDensity = 0.0045;

vec3 surfaceNormal() {
    vec3 n = normalize(worldNormal);
    if (gl_FrontFacing == (mirroredView == 1))
        n = -n; // two-sided foliage cards
    if (normalMapping == 1 && texCount > 1.5) {
        vec3 t = worldTangent.xyz - n * dot(n, worldTangent.xyz);
        if (dot(t, t) > 1e-12) {
            t = normalize(t);
            vec3 b = cross(n, t) * (worldTangent.w < 0.0 ? -1.0 : 1.0);
            vec3 m = texture(normal_map, texCoord).rgb * 2.0 - 1.0;
            n = normalize(mat3(t, b, n) * m);
        }
    }
    return n;
}

// 1 where the fire light reaches the fragment, 0 in its shadow. The cube map
// holds distance to the light / far plane; where no map is bound it reads 0,
// which no real surface can store, so that reads as unshadowed.
float fireVisibility(Light light, vec3 n) {
    if (shadowMapping != 1)
        return 1.0;
    vec3 fromLight = worldPosition - light.position;
    float current = length(fromLight) / light.farPlane;
    float bias = 0.0015 + 0.004 * (1.0 - abs(dot(n, normalize(-fromLight))));
    float lit = 0.0;
    float samples = 0.0;
    vec3 side = normalize(abs(fromLight.y) < 0.99 * length(fromLight) ? cross(fromLight, vec3(0, 1, 0))
                                                                       : cross(fromLight, vec3(1, 0, 0)));
    vec3 up = normalize(cross(side, fromLight));
    float spread = 0.012 * length(fromLight);
    for (int i = -1; i <= 1; ++i) {
        for (int j = -1; j <= 1; ++j) {
            float stored = texture(depth_map, fromLight + (side * float(i) + up * float(j)) * spread).r;
            if (stored <= 0.0)
                return 1.0;
            lit += current - bias > stored ? 0.0 : 1.0;
            samples += 1.0;
        }
    }
    return lit / samples;
}

void main() {
    vec4 base = texCount > 0.5 ? texture(colorTexture, texCoord) : diffuse;
    if (base.a < 0.02)
        discard; // fully clear texels of foliage cards
    vec3 albedo = base.rgb;
    vec3 n = surfaceNormal();
    vec3 toEye = normalize(eyePosition - worldPosition);

    vec3 lit = albedo * ambient.rgb * kNightAmbient * 5.0;
    for (int i = 0; i < lightCount && i < 4; ++i) {
        Light light = lights[i];
        vec3 toLight = light.position - worldPosition;
        float distanceSquared = dot(toLight, toLight);
        vec3 l = toLight * inversesqrt(max(distanceSquared, 1e-8));
        vec3 radiance = light.colour * light.intensity / (1.0 + distanceSquared);
        if (light.lightIndex == kShadowedLight)
            radiance *= fireVisibility(light, n);
        float lambert = max(dot(n, l), 0.0);
        vec3 term = albedo * lambert;
        if (shininess > 0.0 && lambert > 0.0) {
            vec3 r = reflect(-l, n);
            term += specular.rgb * pow(max(dot(r, toEye), 0.0), shininess);
        }
        lit += term * radiance;
    }
    lit += emissive.rgb;

    // Filmic-ish exposure: bright fire-lit surfaces roll off instead of
    // clipping to flat orange.
    vec3 mapped = vec3(1.0) - exp(-lit * 1.4);
    float fog = 1.0 - exp(-kFogDensity * length(eyePosition - worldPosition));
    mapped = mix(mapped, kFogColour, clamp(fog, 0.0, 0.85));

    colour = vec4(mapped, base.a);
    sceneCopy = vec4(mapped, base.a);
}
