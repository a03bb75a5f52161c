#version 330 core
// The smoke's mask in the alpha of the second scene target: the mask pass
// blends with (GL_DST_ALPHA, GL_ZERO), so the target's alpha is multiplied
// by what this writes, 1 minus the smoke's opacity as drawn. Alpha stays 1
// where no smoke passes and drops where it is dense; the heat haze reads it
// to shimmer harder in the hot smoke column.

layout(std140) uniform Particle {
    vec4 startColor;
    vec4 endColor;
    int frameColumns;
    int frameRows;
    float frameRate;
    float lifetime;
};

uniform sampler2D spriteSheet;

in vec2 cornerUv;
in vec4 frameRects;
in float frameBlend;
in float life;

layout(location = 0) out vec4 mask;

void main() {
    vec2 frameSize = vec2(1.0 / float(frameColumns), 1.0 / float(frameRows));
    float coverage = mix(texture(spriteSheet, frameRects.xy + cornerUv * frameSize).a,
                         texture(spriteSheet, frameRects.zw + cornerUv * frameSize).a, frameBlend);
    float opacity = coverage * mix(startColor.a, endColor.a, life);
    mask = vec4(0.0, 0.0, 0.0, 1.0 - opacity);
}
