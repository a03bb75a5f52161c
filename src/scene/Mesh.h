#pragma once
// The CPU-side geometry of one mesh reference of an imported node: five packed
// arrays in the exact layouts the GPU buffers take, the two texture names that
// colour it, and the bounding sphere used for view-frustum culling. It can also
// rebuild edge adjacency, smooth normals and tangents from its own lists.

#include "render/GL.h"

#include <glm/mat4x4.hpp>
#include <glm/vec3.hpp>

#include <map>
#include <string>
#include <utility>
#include <vector>

struct aiMesh;

class Mesh {
public:
    // An edge between two welded vertices, smaller index first.
    using EdgeKey = std::pair<float, float>;
    // The corners opposite an edge in the (at most two) triangles that share
    // it; -1 marks a side with no triangle yet.
    using EdgeCorners = std::pair<int, int>;

    // Exact, component-wise ordering by x, then y, then z, so positions that
    // are bit-for-bit equal (and 0 / -0) share one entry. NaN components sort
    // after every number and equal each other, which keeps the ordering sound
    // for a corrupt file.
    struct PositionLess {
        bool operator()(const glm::vec3& a, const glm::vec3& b) const;
    };
    using PositionMap = std::map<glm::vec3, unsigned, PositionLess>;

    // Layouts: positions and normals 3 floats, uvs 2 floats, tangents 4 floats
    // (xyz, handedness w) per vertex; indices 3 per triangle.
    //
    // The vertex count comes from `source` (mNumVertices), the triangle count
    // from the index array, but never more than the source's mNumFaces (the
    // importer drops faces that are not triangles). Without a source the
    // vertex count is positions.size() / 3. An array shorter than its count
    // demands is padded with zeros, so every accessor points at a full array.
    //
    // `localMatrix` is the node's own transformation; the bounding sphere is
    // taken in the space it maps to. `source` is not owned and must outlive
    // the mesh when buildAdjacency is called.
    Mesh(GLuint diffuseTexture, GLuint normalTexture, std::vector<float> positions,
         std::vector<float> normals, std::vector<float> uvs, std::vector<float> tangents,
         std::vector<unsigned> indices, float texCount, const aiMesh* source,
         const glm::mat4& localMatrix, std::string name);
    virtual ~Mesh();

    // Meshes are held by pointer, one per scene object; copies would slice.
    Mesh(const Mesh&) = delete;
    Mesh& operator=(const Mesh&) = delete;

    // Welds vertices that share an exact position (the first index seen for a
    // position wins), records the welded triangles and, for every welded edge,
    // the opposite corners of the first two triangles that use it. Reads the
    // source mesh's faces and positions, or the mesh's own lists when there is
    // no source. Starts from empty maps, so calling it again gives the same
    // result.
    virtual void buildAdjacency();
    // Writes into `normals` the normalised sum of the cross products of every
    // triangle at each vertex (area-weighted face normals), from the index and
    // position lists. A vertex with no such triangle (or only zero-area ones)
    // keeps the normal it had.
    virtual void recomputeNormals();
    // Writes into `tangents` the per-vertex tangent from the UV gradients of
    // the triangles at each vertex, made perpendicular to the vertex's normal
    // in `normals`, with the bitangent's handedness in w. Triangles whose UVs
    // span no area add nothing; a vertex left with no tangent direction gets a
    // unit vector perpendicular to its normal and w = +1.
    virtual void recomputeTangents();

    virtual GLuint getDiffuseTexture() const;
    virtual GLuint getNormalTexture() const;

    // The array accessors return the mesh's own storage, ready for upload.
    // The setters copy vertexCount x 3 (uvs: x 2) floats, or faceCount x 3
    // indices, from `values` into that storage; they change no count, no list
    // and no bounding sphere, and refill no GPU buffer. A null pointer changes
    // nothing.
    virtual float* getPositions();
    virtual void setPositions(const float* values);
    virtual float* getNormals();
    virtual void setNormals(const float* values);
    virtual float* getUVs();
    virtual void setUVs(const float* values);
    virtual float* getTangents();
    virtual unsigned* getIndices();
    virtual void setIndices(const unsigned* values);

    virtual unsigned getVertexCount() const;
    virtual unsigned getFaceCount() const;
    virtual std::string getName() const;
    virtual float getTexCount() const;
    virtual float getRadius() const;
    virtual glm::vec3 getCenter() const;

    // What buildAdjacency produced.
    const std::map<EdgeKey, EdgeCorners>& getEdgeMap() const { return edgeMap; }
    const PositionMap& getPositionMap() const { return positionMap; }
    const std::vector<glm::uvec3>& getWeldedTriangles() const { return weldedTriangles; }

protected:
    GLuint diffuseTexture;
    GLuint normalTexture;
    std::vector<float> positions;
    std::vector<float> normals;
    std::vector<float> uvs;
    std::vector<float> tangents;
    std::vector<unsigned> indices;
    unsigned vertexCount;
    unsigned faceCount;
    std::string name;
    float texCount;
    const aiMesh* sourceMesh;
    glm::vec3 center{0.0f};
    float radius = 0.0f;
    std::map<EdgeKey, EdgeCorners> edgeMap;
    PositionMap positionMap;
    std::vector<unsigned> indexList;
    std::vector<glm::vec3> positionList;
    std::vector<glm::uvec3> weldedTriangles;

private:
    void computeBoundingSphere(const glm::mat4& localMatrix);
    // True when all three corners of triangle `face` of indexList name
    // vertices of this mesh; other triangles are skipped by the rebuilds.
    bool isValidTriangle(unsigned face) const;
};
