#version 330 core
// One pass fills all six cube-map faces: every triangle is emitted once per
// face it can land on, into layer i with that face's view-projection. The
// caller names the faces the whole object can reach (bit i for face i, from
// its bounding sphere); a triangle that lies wholly beyond one side of a
// face's frustum, or behind the light, is not sent to that face either. Both
// only leave out what clipping would have thrown away, so the map is the
// same as with every triangle sent to every face, which a mask of -1 asks
// for (with culling switched off).
layout(triangles) in;
layout(triangle_strip, max_vertices = 18) out;

uniform mat4 cm_mat[6];
uniform int faceMask;

out vec3 worldPosition;

// Whether the triangle lies wholly outside one plane of the clip volume,
// x = +-w, y = +-w or w = 0 (the face projection's near plane is at 0 and
// its depth equals w, so z clips only where w < 0). Every point of the
// triangle is a mix of its corners, so it is all outside too; a corner on
// a plane keeps it in.
bool outside(vec4 a, vec4 b, vec4 c) {
    vec3 xs = vec3(a.x, b.x, c.x), ys = vec3(a.y, b.y, c.y), ws = vec3(a.w, b.w, c.w);
    return all(greaterThan(xs, ws)) || all(lessThan(xs, -ws)) || all(greaterThan(ys, ws)) ||
           all(lessThan(ys, -ws)) || all(lessThan(ws, vec3(0.0)));
}

void main() {
    for (int face = 0; face < 6; ++face) {
        if ((faceMask & (1 << face)) == 0)
            continue;
        vec4 corners[3];
        for (int corner = 0; corner < 3; ++corner)
            corners[corner] = cm_mat[face] * gl_in[corner].gl_Position;
        if (faceMask >= 0 && outside(corners[0], corners[1], corners[2]))
            continue;
        for (int corner = 0; corner < 3; ++corner) {
            gl_Layer = face;
            worldPosition = gl_in[corner].gl_Position.xyz;
            gl_Position = corners[corner];
            EmitVertex();
        }
        EndPrimitive();
    }
}
