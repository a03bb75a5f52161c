#version 330 core
// The pool's surface: a flat mesh whose ripples live only in the fragment
// shader. Passes on the clip position (for the screen-space lookups into
// the reflection and the scene behind), the eye-space position (for the
// view angle) and ripple-map coordinates from the surface's own x and z.

layout(std140) uniform Matrices {
    mat4 transform;  // projection x view x model
    mat4 view;
    mat4 modelView;
    mat4 projection;
    mat4 normalMatrix; // transpose(inverse(modelView))
};

layout(location = 0) in vec3 position;

out vec4 clipPosition;
out vec3 eyePosition;
out vec2 rippleCoord;

// Metres of water per repeat of the ripple maps.
const float kRippleTile = 3.0;

void main() {
    clipPosition = transform * vec4(position, 1.0);
    eyePosition = (modelView * vec4(position, 1.0)).xyz;
    rippleCoord = position.xz / kRippleTile;
    gl_Position = clipPosition;
}
