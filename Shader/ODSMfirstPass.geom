#version 330 core
// One pass fills all six cube-map faces: every triangle is emitted once per
// face, into layer i with that face's view-projection.
layout(triangles) in;
layout(triangle_strip, max_vertices = 18) out;

uniform mat4 cm_mat[6];

out vec3 worldPosition;

void main() {
    for (int face = 0; face < 6; ++face) {
        for (int corner = 0; corner < 3; ++corner) {
            gl_Layer = face;
            worldPosition = gl_in[corner].gl_Position.xyz;
            gl_Position = cm_mat[face] * gl_in[corner].gl_Position;
            EmitVertex();
        }
        EndPrimitive();
    }
}
