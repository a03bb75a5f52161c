#version 330 core
// The smoke mask pass grows points into the same sprites as the particle
// draw (see particles.geom): same size, anchor, rotation, life and frames,
// so the mask lies exactly where the smoke is drawn.

layout(points) in;
layout(triangle_strip, max_vertices = 4) out;

layout(std140) uniform Matrices {
    mat4 transform;
    mat4 view;
    mat4 modelView;
    mat4 projection;
    mat4 normalMatrix;
};

layout(std140) uniform Particle {
    vec4 startColor;
    vec4 endColor;
    int frameColumns;
    int frameRows;
    float frameRate;
    float lifetime;
};

in Sprite {
    vec2 size;
    float rotation;
    float age;
} sprite[];

// Sprites are half again as tall as wide: the tongues of successive flame
// bursts then overlap into one body of fire instead of stacking up.
const vec2 kStretch = vec2(1.0, 1.5);
// The particle's place on its sprite: a little below the middle, so a flame
// tongue painted from the bottom of its frame rises from the particle.
const vec2 kAnchor = vec2(0.5, 0.35);

out vec2 cornerUv;    // 0..1 across the quad, v up
out vec4 frameRects;  // xy: the frame's corner in the sheet, zw: the next frame's
out float frameBlend; // from this frame to the next
out float life;       // age / lifetime

vec2 frameCorner(int frame) {
    int column = frame % frameColumns;
    int rowFromTop = frame / frameColumns;
    // The sheet's first row is its top one, which GL sees at t near 1.
    return vec2(float(column) / float(frameColumns), 1.0 - float(rowFromTop + 1) / float(frameRows));
}

void main() {
    int frames = max(frameColumns * frameRows, 1);
    float step = sprite[0].age * frameRate;
    int frame = int(floor(step)) % frames;
    frameRects = vec4(frameCorner(frame), frameCorner((frame + 1) % frames));
    frameBlend = fract(step);
    life = clamp(sprite[0].age / max(lifetime, 1e-6), 0.0, 1.0);

    float c = cos(sprite[0].rotation), s = sin(sprite[0].rotation);
    mat2 turn = mat2(c, s, -s, c);
    vec4 centre = gl_in[0].gl_Position;
    const vec2 corners[4] = vec2[4](vec2(0.0, 0.0), vec2(1.0, 0.0), vec2(0.0, 1.0), vec2(1.0, 1.0));
    for (int i = 0; i < 4; ++i) {
        vec2 offset = (corners[i] - kAnchor) * sprite[0].size * kStretch;
        gl_Position = projection * (centre + vec4(turn * offset, 0.0, 0.0));
        cornerUv = corners[i];
        EmitVertex();
    }
    EndPrimitive();
}
