#version 330 core
// The night sky: a unit cube around the eye (the transform carries the eye's
// translation), pushed to the far plane so that every scene fragment wins the
// GL_LESS depth test against it.

layout(std140) uniform Matrices {
    mat4 transform;
    mat4 view;
    mat4 modelView;
    mat4 projection;
    mat4 normalMatrix;
};

layout(location = 0) in vec3 corner;

out vec3 skyDirection;

void main() {
    // Mirrored in y so the "up" image (on -Y) is overhead; the asset
    // generator paints each texel from this same mapping.
    skyDirection = vec3(corner.x, -corner.y, corner.z);
    vec4 clip = transform * vec4(corner, 1.0);
    // Just short of w: depth 1.0 itself would fail GL_LESS against a depth
    // buffer cleared to 1.0.
    gl_Position = vec4(clip.xy, clip.w * 0.99999, clip.w);
    // The mirrored pass draws the sky with the water plane's clip distance
    // enabled; an unwritten distance is undefined, and the sky, infinitely
    // far, lies above any plane.
    gl_ClipDistance[0] = 1.0;
}
