#version 330 core
// Marks the water in a target's alpha: 0 wherever the surface is drawn,
// against the 1 that targets are cleared to. Colour writes are masked off
// while this runs, so only the alpha lands. The water shader reads these
// marks to keep its distortion on the water.

layout(location = 0) out vec4 mark;

void main() {
    mark = vec4(0.0, 0.0, 0.0, 0.0);
}
