#version 330 core
// Phong lighting of the night scene from the "Lights" block: a warm fire
// light that casts shadows from a depth cube map, and cold moonlight fills.
// Light falls off with the square of the distance; the result is tone
// mapped, so the ground by the fire glows without washing out and the
// moonlit parts stay readable.
// Built a second time with MIRRORED_VIEW defined, for the water's mirrored
// pass: that picture is only seen through the pool's ripples and dimmed by
// its Fresnel term, so it goes without normal maps and the fire's shadow.
// The code is left out rather than branched around, since a software
// rasteriser runs every branch for every fragment, on uniforms too.

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
#ifndef MIRRORED_VIEW
uniform sampler2D normal_map;    // unit 1
// Unit 2, given once after linking: left on unit 0 beside the 2D
// "colorTexture" it would make every draw invalid. The Level binds the map
// there with a sampler object that compares: each lookup returns the share
// of the 2 x 2 texels around its direction that lie beyond the reference
// depth, blended bilinearly.
uniform samplerCubeShadow depth_map;
// 1 while the Level has the map on unit 2 (shadows on, and a shadow pass
// has run); a comparing lookup without one has no defined result.
uniform int shadowMapBound;
uniform int normalMapping;
uniform int shadowMapping;
#endif
uniform float texCount;

in vec3 worldPosition;
in vec3 worldNormal;
#ifndef MIRRORED_VIEW
in vec4 worldTangent;
#endif
in vec2 texCoord;
in vec3 eyePosition;

layout(location = 0) out vec4 colour;
layout(location = 1) out vec4 sceneCopy;

// The light that owns the shadow cube map: the first one the Level holds.
const int kShadowedLight = 2;
// Starlight and sky glow that reach everything, so nothing goes pitch black.
const vec3 kNightAmbient = vec3(0.035, 0.045, 0.075);
const vec3 kFogColour = vec3(0.015, 0.022, 0.045);
const float kFogDensity = 0.0045;
const float kExposure = 1.4;

// `normalTexel`: the normal map's texel, looked up by main() before any discard
// or per-fragment branch. The map is mipmapped, and behind either one its
// level of detail would be undefined: a GPU may have stopped the quad's
// discarded fragments, whose coordinates the derivatives need.
vec3 surfaceNormal(vec3 normalTexel) {
    vec3 n = normalize(worldNormal);
#ifdef MIRRORED_VIEW
    // The mirror turns every triangle's winding around, so here the faces
    // towards the eye are the ones GL calls back.
    if (gl_FrontFacing)
        n = -n; // two-sided foliage cards
#else
    if (!gl_FrontFacing)
        n = -n; // two-sided foliage cards
    if (normalMapping == 1 && texCount > 1.5) {
        vec3 t = worldTangent.xyz - n * dot(n, worldTangent.xyz);
        if (dot(t, t) > 1e-12) {
            t = normalize(t);
            vec3 b = cross(n, t) * (worldTangent.w < 0.0 ? -1.0 : 1.0);
            vec3 m = normalTexel * 2.0 - 1.0;
            n = normalize(mat3(t, b, n) * m);
        }
    }
#endif
    return n;
}

#ifndef MIRRORED_VIEW

// Reading the fire light's shadow cube map. Each texel holds the distance
// from the light to the nearest caster, mapped from [near, far] to [0, 1]
// (the first pass's encoding); the sampler compares it with the reference
// depth of the lookup and blends the 2 x 2 results bilinearly, so one
// lookup gives an edge a texel soft, without texel stairs.
//
// One lookup it is: a software rasteriser runs every branch of a shader for
// every fragment (with the fragments that do not take it masked off), so
// each further lookup, and each line of arithmetic around it, costs every
// pixel of the scene whether it is near a shadow's edge or not.
// Bias: the sampler's 2 x 2 texels lie up to a texel to either side of the
// fragment's ray, where the receiving surface is nearer or farther by its
// slope; the reference is pulled towards the light by that slope over one
// and a half texels (the surface's own facet, from screen derivatives, so
// a lit surface compares with itself), plus 0.2 % of the distance for what
// rounding is left. That is a few millimetres near the fire, too little to
// let light leak under things standing on the ground.
// Seams: the faces are rendered with a field of view of 2 atan(1024/1023)
// so that the edge texels exist on both sides; a lookup scales the minor
// axes of its direction by 1023/1024 to land on the texel that was rendered
// for that very direction, the same on either side of a face edge.
const float kShadowTexelAngle = 2.0 / 512.0;
const float kShadowBias = 0.002;
// The receiver's slope counts up to this steep (84 degrees from facing the
// light); beyond it the fire light grazes the surface and adds little.
const float kMaxShadowSlope = 10.0;
const float kFaceScale = 1023.0 / 1024.0;

vec3 shadowLookupDirection(vec3 direction) {
    vec3 a = abs(direction);
    float major = max(a.x, max(a.y, a.z));
    return mix(direction * kFaceScale, direction, vec3(greaterThanEqual(a, vec3(major))));
}

// 1 where the fire light reaches the fragment, 0 in its shadow, soft in
// between. Beyond the far plane the map knows nothing.
float fireVisibility(Light light, vec3 facetNormal) {
    vec3 fromLight = worldPosition - light.position;
    float distance = length(fromLight);
    if (distance >= light.farPlane || distance <= 0.0)
        return 1.0;
    vec3 ray = fromLight / distance;
    // The surface's distance along a ray changes by tan(incidence) times
    // the distance per radian.
    float facing = max(abs(dot(facetNormal, ray)), 1e-3);
    float slope = min(sqrt(max(1.0 - facing * facing, 0.0)) / facing, kMaxShadowSlope);
    float receiver = distance * (1.0 - kShadowBias - slope * kShadowTexelAngle * 1.5);
    float reference = (receiver - light.nearPlane) / (light.farPlane - light.nearPlane);
    // Inside a per-fragment branch: no implicit derivatives. The map has
    // one level and filters linearly either way, so zero gradients give
    // the same lookup, defined.
    return textureGrad(depth_map, vec4(shadowLookupDirection(ray), reference), vec3(0.0), vec3(0.0));
}
#endif

void main() {
#ifndef MIRRORED_VIEW
    // The plane of the triangle itself, for the shadow lookup; derivatives
    // need all fragments of a quad, so before any branch or discard.
    vec3 facet = cross(dFdx(worldPosition), dFdy(worldPosition));
    vec3 normalTexel = texture(normal_map, texCoord).rgb;
#endif
    vec4 base = texCount > 0.5 ? texture(colorTexture, texCoord) : diffuse;
    if (base.a < 0.02)
        discard; // fully clear texels of foliage cards
    vec3 albedo = base.rgb;
#ifdef MIRRORED_VIEW
    vec3 n = surfaceNormal(vec3(0.0)); // no normal map to look up
#else
    vec3 n = surfaceNormal(normalTexel);
#endif
    vec3 toEye = normalize(eyePosition - worldPosition);

    vec3 lit = albedo * ambient.rgb * kNightAmbient * 5.0;
#ifndef MIRRORED_VIEW
    // The shadowed light's contribution as if unshadowed; its shadow is
    // looked up once the rest of the light is known.
    vec3 fireLight = vec3(0.0);
    Light fire;
#endif
    for (int i = 0; i < lightCount && i < 4; ++i) {
        Light light = lights[i];
        vec3 toLight = light.position - worldPosition;
        float distanceSquared = dot(toLight, toLight);
        vec3 l = toLight * inversesqrt(max(distanceSquared, 1e-8));
        vec3 radiance = light.colour * light.intensity / (1.0 + distanceSquared);
        float lambert = max(dot(n, l), 0.0);
        if (lambert <= 0.0)
            continue; // neither diffuse nor specular light
        vec3 term = albedo * lambert;
        if (shininess > 0.0) {
            vec3 r = reflect(-l, n);
            term += specular.rgb * pow(max(dot(r, toEye), 0.0), shininess);
        }
        vec3 contribution = term * radiance;
#ifndef MIRRORED_VIEW
        if (light.lightIndex == kShadowedLight && shadowMapping == 1 && shadowMapBound == 1) {
            fireLight = contribution;
            fire = light;
            continue;
        }
#endif
        lit += contribution;
    }
    lit += emissive.rgb;
    float fog = clamp(1.0 - exp(-kFogDensity * length(eyePosition - worldPosition)), 0.0, 0.85);

    // Most of the clearing lies far from the fire, where its light is
    // faint. How far the shadow can move this pixel, in steps of 255,
    // decides whether it is looked up at all: the exposure curve below
    // rises 1.4 exp(-1.4 lit) per unit of light at most where the fire adds
    // nothing, and the fog lets (1 - fog) of that through. Where even the
    // whole fire light moves the pixel by at most a step, no lookup. (A GPU
    // skips the lookup there; a software rasteriser mostly does not, see
    // above.)
#ifndef MIRRORED_VIEW
    if (fireLight != vec3(0.0)) {
        vec3 reach = fireLight * kExposure * exp(-kExposure * lit) * (1.0 - fog) * 255.0;
        float steps = max(reach.r, max(reach.g, reach.b));
        if (steps > 1.0) {
            vec3 plane = dot(facet, facet) > 1e-20 ? facet : worldNormal;
            fireLight *= fireVisibility(fire, normalize(plane));
        }
        lit += fireLight;
    }
#endif

    // Filmic-ish exposure: bright fire-lit surfaces roll off instead of
    // clipping to flat orange.
    vec3 mapped = vec3(1.0) - exp(-lit * kExposure);
    mapped = mix(mapped, kFogColour, fog);

    colour = vec4(mapped, base.a);
    sceneCopy = vec4(mapped, base.a);
}
