#version 330 core
// The benchmark's floor: the cheapest picture of the scene, each object's
// colour texture (or its material's colour) as it is, no light, no shadow,
// written to both targets as the lit program does.

layout(std140) uniform Material {
    vec4 diffuse;
    vec4 ambient;
    vec4 specular;
    vec4 emissive;
    float shininess;
};

uniform sampler2D colorTexture;
uniform float texCount;

in vec2 texCoord;

layout(location = 0) out vec4 colour;
layout(location = 1) out vec4 sceneCopy;

void main() {
    vec4 base = texCount > 0.5 ? texture(colorTexture, texCoord) : diffuse;
    colour = base;
    sceneCopy = base;
}
