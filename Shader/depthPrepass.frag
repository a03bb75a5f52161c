#version 330 core
// Depth only: texels the lit pass would discard (clearer than
// "minimumAlpha") leave no depth either, so that what shows through them is
// still drawn.

layout(std140) uniform Material {
    vec4 diffuse;
    vec4 ambient;
    vec4 specular;
    vec4 emissive;
    float shininess;
};

uniform sampler2D colorTexture; // unit 0
uniform float texCount;
uniform float minimumAlpha;

in vec2 texCoord;

void main() {
    float alpha = texCount > 0.5 ? texture(colorTexture, texCoord).a : diffuse.a;
    if (alpha < minimumAlpha)
        discard;
}
