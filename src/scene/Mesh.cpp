// Mesh: owns the packed vertex and index arrays of one imported mesh, takes
// its bounding sphere under the node's own matrix, and rebuilds adjacency,
// normals and tangents from its copies of the indices and positions.

#include "scene/Mesh.h"

#include <assimp/mesh.h>

#include <glm/geometric.hpp>
#include <glm/vec4.hpp>

#include <algorithm>
#include <cmath>
#include <optional>

namespace {

bool isFinite(const glm::vec3& v) {
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

// glm::normalize for every vector it can handle; for vectors whose squared
// length underflows or overflows the float range it rescales first instead
// of returning infinities or zeros. No direction for zero or non-finite
// vectors.
std::optional<glm::vec3> direction(glm::vec3 v) {
    if (!isFinite(v)) {
        return std::nullopt;
    }
    const float lengthSquared = glm::dot(v, v);
    if (lengthSquared > 0.0f && std::isfinite(lengthSquared)) {
        return glm::normalize(v);
    }
    const float largest = std::max({std::abs(v.x), std::abs(v.y), std::abs(v.z)});
    if (largest == 0.0f) {
        return std::nullopt;
    }
    return glm::normalize(v / largest);
}

// Some unit vector perpendicular to n (n unit length or zero): the cross
// product with the axis n leans on least.
glm::vec3 anyPerpendicular(const glm::vec3& n) {
    const glm::vec3 a = glm::abs(n);
    glm::vec3 axis(0.0f);
    if (a.x <= a.y && a.x <= a.z) {
        axis.x = 1.0f;
    } else if (a.y <= a.z) {
        axis.y = 1.0f;
    } else {
        axis.z = 1.0f;
    }
    return direction(glm::cross(n, axis)).value_or(glm::vec3(1.0f, 0.0f, 0.0f));
}

// Numbers in their usual order, then every NaN, all NaNs equivalent: a strict
// weak ordering even for corrupt input, where plain < on NaN is not.
bool componentLess(float a, float b) {
    if (std::isnan(a)) {
        return false;
    }
    return std::isnan(b) || a < b;
}

void padTo(std::vector<float>& values, std::size_t size) {
    if (values.size() < size) {
        values.resize(size, 0.0f);
    }
}

} // namespace

bool Mesh::PositionLess::operator()(const glm::vec3& a, const glm::vec3& b) const {
    for (int axis = 0; axis < 3; ++axis) {
        if (componentLess(a[axis], b[axis])) {
            return true;
        }
        if (componentLess(b[axis], a[axis])) {
            return false;
        }
    }
    return false;
}

Mesh::Mesh(GLuint diffuseTexture, GLuint normalTexture, std::vector<float> positions,
           std::vector<float> normals, std::vector<float> uvs, std::vector<float> tangents,
           std::vector<unsigned> indices, float texCount, const aiMesh* source,
           const glm::mat4& localMatrix, std::string name)
    : diffuseTexture(diffuseTexture),
      normalTexture(normalTexture),
      positions(std::move(positions)),
      normals(std::move(normals)),
      uvs(std::move(uvs)),
      tangents(std::move(tangents)),
      indices(std::move(indices)),
      vertexCount(source ? source->mNumVertices
                         : static_cast<unsigned>(this->positions.size() / 3)),
      // The importer leaves faces that are not triangles out of the index
      // array, so it may hold fewer triangles than the source has faces.
      faceCount(source ? std::min(source->mNumFaces, static_cast<unsigned>(this->indices.size() / 3))
                       : static_cast<unsigned>(this->indices.size() / 3)),
      name(std::move(name)),
      texCount(texCount),
      sourceMesh(source) {
    // Callers and the GPU upload read count-sized arrays through the plain
    // pointers, so none may be shorter than its count.
    const std::size_t vertices = vertexCount;
    padTo(this->positions, vertices * 3);
    padTo(this->normals, vertices * 3);
    padTo(this->uvs, vertices * 2);
    padTo(this->tangents, vertices * 4);
    this->indices.resize(std::size_t{faceCount} * 3);

    indexList.assign(this->indices.begin(), this->indices.begin() + std::size_t{faceCount} * 3);
    positionList.reserve(vertexCount);
    for (std::size_t i = 0; i < vertices; ++i) {
        positionList.emplace_back(this->positions[3 * i], this->positions[3 * i + 1],
                                  this->positions[3 * i + 2]);
    }
    computeBoundingSphere(localMatrix);
}

Mesh::~Mesh() = default;

void Mesh::computeBoundingSphere(const glm::mat4& localMatrix) {
    // A mesh without vertices has nothing to cull by; an empty sphere at the
    // origin keeps the plane test well defined.
    if (positionList.empty()) {
        center = glm::vec3(0.0f);
        radius = 0.0f;
        return;
    }
    glm::vec3 lowest(localMatrix * glm::vec4(positionList.front(), 1.0f));
    glm::vec3 highest = lowest;
    for (const glm::vec3& p : positionList) {
        const glm::vec3 moved(localMatrix * glm::vec4(p, 1.0f));
        lowest = glm::min(lowest, moved);
        highest = glm::max(highest, moved);
    }
    center = (lowest + highest) / 2.0f;
    radius = 0.5f * glm::length(highest - lowest);
}

bool Mesh::isValidTriangle(unsigned face) const {
    const std::size_t first = std::size_t{face} * 3;
    return indexList[first] < vertexCount && indexList[first + 1] < vertexCount &&
           indexList[first + 2] < vertexCount;
}

void Mesh::buildAdjacency() {
    edgeMap.clear();
    positionMap.clear();
    weldedTriangles.clear();

    const bool fromSource = sourceMesh != nullptr;
    const bool sourcePositions = fromSource && sourceMesh->mVertices != nullptr;
    const unsigned faces = fromSource ? sourceMesh->mNumFaces : faceCount;
    const unsigned vertices = fromSource ? sourceMesh->mNumVertices : vertexCount;

    for (unsigned f = 0; f < faces; ++f) {
        unsigned corner[3];
        if (fromSource) {
            const aiFace& face = sourceMesh->mFaces[f];
            // Points and lines have no edges to share.
            if (face.mNumIndices < 3 || face.mIndices == nullptr) {
                continue;
            }
            std::copy_n(face.mIndices, 3, corner);
        } else {
            std::copy_n(indexList.begin() + std::size_t{f} * 3, 3, corner);
        }
        if (corner[0] >= vertices || corner[1] >= vertices || corner[2] >= vertices) {
            continue;
        }

        for (unsigned& j : corner) {
            const glm::vec3 p = sourcePositions
                                    ? glm::vec3(sourceMesh->mVertices[j].x,
                                                sourceMesh->mVertices[j].y,
                                                sourceMesh->mVertices[j].z)
                                    : positionList[j];
            // The first index seen for a position stands for all of them.
            const auto [entry, inserted] = positionMap.try_emplace(p, j);
            if (!inserted) {
                j = entry->second;
            }
        }
        const unsigned i0 = corner[0];
        const unsigned i1 = corner[1];
        const unsigned i2 = corner[2];
        weldedTriangles.emplace_back(i0, i1, i2);

        const auto addEdge = [this](unsigned a, unsigned b, unsigned opposite) {
            const EdgeKey key(static_cast<float>(std::min(a, b)),
                              static_cast<float>(std::max(a, b)));
            EdgeCorners& slots = edgeMap.try_emplace(key, -1, -1).first->second;
            if (slots.first == -1) {
                slots.first = static_cast<int>(opposite);
            } else if (slots.second == -1) {
                slots.second = static_cast<int>(opposite);
            }
            // A third triangle on the same edge is not recorded.
        };
        addEdge(i0, i1, i2);
        addEdge(i1, i2, i0);
        addEdge(i0, i2, i1);
    }
}

void Mesh::recomputeNormals() {
    // One pass over the triangles adds each face's contribution to its
    // corners in face order, the same sums a per-vertex search would build.
    std::vector<glm::vec3> sum(vertexCount, glm::vec3(0.0f));
    for (unsigned f = 0; f < faceCount; ++f) {
        if (!isValidTriangle(f)) {
            continue;
        }
        const unsigned* corner = &indexList[std::size_t{f} * 3];
        const glm::vec3& p0 = positionList[corner[0]];
        const glm::vec3& p1 = positionList[corner[1]];
        const glm::vec3& p2 = positionList[corner[2]];
        // Twice the triangle's area in length, so larger faces weigh more.
        const glm::vec3 faceNormal = glm::cross(p1 - p0, p2 - p0);
        for (int c = 0; c < 3; ++c) {
            sum[corner[c]] += faceNormal;
        }
    }
    for (std::size_t i = 0; i < vertexCount; ++i) {
        if (const auto n = direction(sum[i])) {
            normals[3 * i] = n->x;
            normals[3 * i + 1] = n->y;
            normals[3 * i + 2] = n->z;
        }
    }
}

void Mesh::recomputeTangents() {
    std::vector<glm::vec3> tan1(vertexCount, glm::vec3(0.0f));
    std::vector<glm::vec3> tan2(vertexCount, glm::vec3(0.0f));
    for (unsigned f = 0; f < faceCount; ++f) {
        if (!isValidTriangle(f)) {
            continue;
        }
        const unsigned* corner = &indexList[std::size_t{f} * 3];
        const glm::vec3& q0 = positionList[corner[0]];
        const glm::vec3& q1 = positionList[corner[1]];
        const glm::vec3& q2 = positionList[corner[2]];
        const auto uv = [this](unsigned v) { return glm::vec2(uvs[2 * v], uvs[2 * v + 1]); };
        const glm::vec2 w0 = uv(corner[0]);
        const glm::vec2 w1 = uv(corner[1]);
        const glm::vec2 w2 = uv(corner[2]);

        const float x1 = q1.x - q0.x, y1 = q1.y - q0.y, z1 = q1.z - q0.z;
        const float x2 = q2.x - q0.x, y2 = q2.y - q0.y, z2 = q2.z - q0.z;
        const float s1 = w1.x - w0.x, t1 = w1.y - w0.y;
        const float s2 = w2.x - w0.x, t2 = w2.y - w0.y;
        const float r = 1.0f / (s1 * t2 - s2 * t1);
        const glm::vec3 sdir((t2 * x1 - t1 * x2) * r, (t2 * y1 - t1 * y2) * r,
                             (t2 * z1 - t1 * z2) * r);
        const glm::vec3 tdir((s1 * x2 - s2 * x1) * r, (s1 * y2 - s2 * y1) * r,
                             (s1 * z2 - s2 * z1) * r);
        // UVs that span no area (r infinite) give no UV gradient; adding
        // their infinities or NaNs would spoil every vertex of the triangle.
        if (!isFinite(sdir) || !isFinite(tdir)) {
            continue;
        }
        for (int c = 0; c < 3; ++c) {
            tan1[corner[c]] += sdir;
            tan2[corner[c]] += tdir;
        }
    }

    for (std::size_t i = 0; i < vertexCount; ++i) {
        const glm::vec3 normal(normals[3 * i], normals[3 * i + 1], normals[3 * i + 2]);
        // Without a usable normal, n = 0 leaves the tangent as it is.
        const glm::vec3 n = direction(normal).value_or(glm::vec3(0.0f));
        const glm::vec3 t = direction(tan1[i]).value_or(anyPerpendicular(n));
        const glm::vec3 tangent = t - n * glm::dot(n, t);
        const glm::vec3 b = direction(tan2[i]).value_or(glm::vec3(0.0f));
        const float handedness = glm::dot(glm::cross(n, t), b) < 0.0f ? -1.0f : 1.0f;
        tangents[4 * i] = tangent.x;
        tangents[4 * i + 1] = tangent.y;
        tangents[4 * i + 2] = tangent.z;
        tangents[4 * i + 3] = handedness;
    }
}

GLuint Mesh::getDiffuseTexture() const { return diffuseTexture; }

GLuint Mesh::getNormalTexture() const { return normalTexture; }

float* Mesh::getPositions() { return positions.data(); }

void Mesh::setPositions(const float* values) {
    if (values) {
        std::copy_n(values, std::size_t{vertexCount} * 3, positions.begin());
    }
}

float* Mesh::getNormals() { return normals.data(); }

void Mesh::setNormals(const float* values) {
    if (values) {
        std::copy_n(values, std::size_t{vertexCount} * 3, normals.begin());
    }
}

float* Mesh::getUVs() { return uvs.data(); }

void Mesh::setUVs(const float* values) {
    if (values) {
        std::copy_n(values, std::size_t{vertexCount} * 2, uvs.begin());
    }
}

float* Mesh::getTangents() { return tangents.data(); }

unsigned* Mesh::getIndices() { return indices.data(); }

void Mesh::setIndices(const unsigned* values) {
    if (values) {
        std::copy_n(values, std::size_t{faceCount} * 3, indices.begin());
    }
}

unsigned Mesh::getVertexCount() const { return vertexCount; }

unsigned Mesh::getFaceCount() const { return faceCount; }

std::string Mesh::getName() const { return name; }

float Mesh::getTexCount() const { return texCount; }

float Mesh::getRadius() const { return radius; }

glm::vec3 Mesh::getCenter() const { return center; }
