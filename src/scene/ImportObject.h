#pragma once
// The drawable made from one mesh reference of an imported node: it owns the
// mesh's GPU buffers and two vertex arrays (one for the lit program, one for
// the shadow pass), refers to its shared material, and draws itself with the
// lit program after a bounding-sphere test against the view frustum.

#include "render/GLObjects.h"
#include "render/LitVariant.h"
#include "scene/Mesh.h"
#include "scene/SceneObject.h"

#include <glm/vec3.hpp>

#include <array>
#include <memory>
#include <vector>

class Material;
class ShaderProgram;

class ImportObject : public rtr::scene::SceneObject {
public:
    // Takes the mesh over (one mesh per object); the material, the programs
    // and the parent are shared and outlive the object.
    ImportObject(const glm::mat4& worldMatrix, ShaderProgram* phongProgram, ShaderProgram* shadowPassProgram,
                 std::unique_ptr<Mesh> mesh, Material* material, rtr::scene::SceneObject* parent,
                 std::vector<glm::vec3> triangleList);
    // Releases the position, normal, UV, index and tangent buffers, then the
    // two vertex arrays.
    ~ImportObject() override;

    void update(double) override {}
    // With the camera's lit program.
    void draw(const Frustum& frustum) override;
    // With the lit program of that variant, which must be in use.
    void draw(const Frustum& frustum, LitVariant variant);
    virtual bool isVisible(const Frustum& frustum) const;

    // Binds the object's material, uniforms, textures and vertex array and
    // draws its triangles; the variant's lit program must already be in use.
    void drawGeometry(LitVariant variant = LitVariant::Camera);

    // The lit program's variant for the water's mirrored pass, built from
    // the lit program (its vertex attributes sit where the lit program has
    // them, so the one vertex array feeds both); its uniforms are looked up
    // here.
    void setMirroredProgram(ShaderProgram* program);

    // Looks up the uniforms the object sets in each lit program; again after
    // each link of the programs. (The vertex arrays stay valid: a relinked
    // program keeps its attribute locations.)
    void setUpPrograms();

    virtual void setPositions(const float* values) { mesh->setPositions(values); }
    virtual float* getPositions() { return mesh->getPositions(); }
    virtual void setNormals(const float* values) { mesh->setNormals(values); }
    virtual float* getNormals() { return mesh->getNormals(); }
    virtual void setUVs(const float* values) { mesh->setUVs(values); }
    virtual float* getUVs() { return mesh->getUVs(); }
    virtual void setIndices(const unsigned* values) { mesh->setIndices(values); }
    virtual unsigned* getIndices() { return mesh->getIndices(); }

    virtual void addChild(rtr::scene::SceneObject* child) { children.push_back(child); }
    virtual std::vector<rtr::scene::SceneObject*> getChildren() const { return children; }

    virtual GLuint getVao() const { return vao.get(); }
    virtual GLuint getVertexBuffer() const { return positionBuffer.get(); }
    virtual GLuint getDepthVao() const { return depthVao.get(); }
    virtual unsigned getFaceCount() const { return mesh->getFaceCount(); }

    Material* getMaterial() const { return material; }
    rtr::scene::SceneObject* getParent() const { return parent; }
    const std::vector<glm::vec3>& getTriangleList() const { return triangleList; }

    std::unique_ptr<Mesh> mesh;

private:
    std::vector<glm::vec3> triangleList;
    rtr::scene::SceneObject* parent;
    rtr::gl::VertexArrayName vao;
    rtr::gl::VertexArrayName depthVao;
    Material* material;
    rtr::gl::BufferName positionBuffer;
    rtr::gl::BufferName uvBuffer;
    rtr::gl::BufferName normalBuffer;
    rtr::gl::BufferName indexBuffer;
    rtr::gl::BufferName tangentBuffer;
    // The camera's lit program, and its mirrored-view variant once given.
    std::array<ShaderProgram*, kLitVariantCount> litPrograms{};
    ShaderProgram* shadowPassProgram;
    std::vector<rtr::scene::SceneObject*> children;
    struct LitLocations {
        GLint modelMatrix = -1;
        GLint colorTexture = -1;
        GLint normalMap = -1;
        GLint texCount = -1;
    };
    std::array<LitLocations, kLitVariantCount> litLocations;
};
