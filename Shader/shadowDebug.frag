#version 330 core
// Shows the stored distance to the light as grey: near is dark, far light.
uniform samplerCube depthCube;
in vec3 direction;
out vec4 colour;
void main() {
    float stored = texture(depthCube, direction).r;
    colour = vec4(vec3(pow(stored, 0.5)), 1.0);
}
