#version 330 core
// The haze's area: a camera-facing rectangle 2.4 units wide and 4 high
// that reaches 2.4 below the point (which floats 3 above the fire) and 1.6
// above it, so it spans the hot air from the flames' middle to well above
// their tips. Besides its own 0..1 coordinates it hands the fragments its
// half size on screen (in texture units of the scene image), so the
// shimmer keeps the same proportion to the area at any distance.

layout(points) in;
layout(triangle_strip, max_vertices = 4) out;

layout(std140) uniform Matrices {
    mat4 transform;
    mat4 view;
    mat4 modelView;
    mat4 projection;
    mat4 normalMatrix;
};

const vec2 kAreaSize = vec2(2.4, 4.0);
const vec2 kAnchor = vec2(0.5, 0.6); // where the point lies in the area

out vec2 areaUv;
flat out vec2 screenHalfSize;

void main() {
    vec4 centre = gl_in[0].gl_Position;
    vec4 clipCentre = projection * centre;
    // Half the area's extent in normalised device units, halved again for
    // texture units; a point behind the eye (w <= 0) makes nothing visible.
    vec2 halfSize = abs(vec2(projection[0][0], projection[1][1]) * kAreaSize * 0.25 / max(clipCentre.w, 1e-4));
    const vec2 corners[4] = vec2[4](vec2(0.0, 0.0), vec2(1.0, 0.0), vec2(0.0, 1.0), vec2(1.0, 1.0));
    for (int i = 0; i < 4; ++i) {
        vec2 offset = (corners[i] - kAnchor) * kAreaSize;
        gl_Position = projection * (centre + vec4(offset, 0.0, 0.0));
        areaUv = corners[i];
        screenHalfSize = halfSize;
        EmitVertex();
    }
    EndPrimitive();
}
