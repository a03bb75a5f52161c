#version 330 core
// A particle's sprite: the sheet's frame for its age, cross-faded into the
// next so the animation flows at any frame rate, tinted from startColor at
// birth to endColor at death, and faded by the colour's alpha over life.
// The flame sheet holds colour already weighted by its own alpha, so added
// up the flames glow where the sheet is hot and vanish where it is empty
// (the blend's alpha on top makes their soft fringes fall off faster); the
// smoke puff holds plain grey with a soft alpha. Both scene targets get
// the same colour: the second is the copy the distortion effects read.

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

layout(location = 0) out vec4 colour;
layout(location = 1) out vec4 sceneCopy;

void main() {
    vec2 frameSize = vec2(1.0 / float(frameColumns), 1.0 / float(frameRows));
    vec4 texel = mix(texture(spriteSheet, frameRects.xy + cornerUv * frameSize),
                     texture(spriteSheet, frameRects.zw + cornerUv * frameSize), frameBlend);
    vec4 tint = mix(startColor, endColor, life);
    vec4 result = vec4(texel.rgb * tint.rgb, texel.a * tint.a);
    colour = result;
    sceneCopy = result;
}
