#version 330 core
// The sky's colour goes to both scene targets: the second one is the copy
// of the picture that the heat haze and the water distort.

uniform samplerCube sky;

in vec3 skyDirection;

layout(location = 0) out vec4 colour;
layout(location = 1) out vec4 sceneCopy;

void main() {
    vec3 c = texture(sky, skyDirection).rgb;
    colour = vec4(c, 1.0);
    sceneCopy = vec4(c, 1.0);
}
