#version 330 core
// Shows the texture on unit 0 as it is: the composed frame.
uniform sampler2D image;
in vec2 uv;
out vec4 colour;
void main() { colour = vec4(texture(image, uv).rgb, 1.0); }
