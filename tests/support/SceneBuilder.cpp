#include "support/SceneBuilder.h"

#include <assimp/Exporter.hpp>
#include <assimp/material.h>

#include <cstdio>

namespace testing_support {

namespace {

aiNode* makeNode(const NodeSpec& description) {
    auto* node = new aiNode(description.name);
    node->mTransformation = aiMatrix4x4(aiVector3D(1, 1, 1), aiQuaternion(), description.translation);
    if (!description.meshes.empty()) {
        node->mNumMeshes = static_cast<unsigned>(description.meshes.size());
        node->mMeshes = new unsigned[description.meshes.size()];
        for (size_t i = 0; i < description.meshes.size(); ++i)
            node->mMeshes[i] = description.meshes[i];
    }
    if (!description.children.empty()) {
        std::vector<aiNode*> children;
        for (const NodeSpec& child : description.children)
            children.push_back(makeNode(child));
        node->addChildren(static_cast<unsigned>(children.size()), children.data());
    }
    return node;
}

aiFace face(std::initializer_list<unsigned> indices) {
    aiFace f;
    f.mNumIndices = static_cast<unsigned>(indices.size());
    f.mIndices = new unsigned[indices.size()];
    unsigned i = 0;
    for (unsigned index : indices)
        f.mIndices[i++] = index;
    return f;
}

} // namespace

unsigned SceneBuilder::material(const MaterialSpec& description) {
    materials_.push_back(description);
    return static_cast<unsigned>(materials_.size() - 1);
}

unsigned SceneBuilder::square(unsigned materialIndex, float size, bool mirroredU) {
    meshes_.push_back({materialIndex, size, false, mirroredU});
    return static_cast<unsigned>(meshes_.size() - 1);
}

unsigned SceneBuilder::bareTriangleAndLine(unsigned materialIndex) {
    meshes_.push_back({materialIndex, 1.0f, true, false});
    return static_cast<unsigned>(meshes_.size() - 1);
}

std::unique_ptr<aiScene> SceneBuilder::build() const {
    auto scene = std::make_unique<aiScene>();
    scene->mRootNode = makeNode(root_);

    scene->mNumMaterials = static_cast<unsigned>(materials_.size());
    scene->mMaterials = new aiMaterial*[materials_.size()];
    for (size_t i = 0; i < materials_.size(); ++i) {
        const MaterialSpec& description = materials_[i];
        auto* m = new aiMaterial;
        aiString name(description.name);
        m->AddProperty(&name, AI_MATKEY_NAME);
        if (description.diffuse)
            m->AddProperty(&*description.diffuse, 1, AI_MATKEY_COLOR_DIFFUSE);
        if (description.ambient)
            m->AddProperty(&*description.ambient, 1, AI_MATKEY_COLOR_AMBIENT);
        if (description.specular)
            m->AddProperty(&*description.specular, 1, AI_MATKEY_COLOR_SPECULAR);
        if (description.emissive)
            m->AddProperty(&*description.emissive, 1, AI_MATKEY_COLOR_EMISSIVE);
        if (description.shininess)
            m->AddProperty(&*description.shininess, 1, AI_MATKEY_SHININESS);
        if (!description.diffuseTexture.empty()) {
            aiString path(description.diffuseTexture);
            m->AddProperty(&path, AI_MATKEY_TEXTURE_DIFFUSE(0));
        }
        if (!description.normalTexture.empty()) {
            aiString path(description.normalTexture);
            m->AddProperty(&path, AI_MATKEY_TEXTURE_NORMALS(0));
        }
        scene->mMaterials[i] = m;
    }

    scene->mNumMeshes = static_cast<unsigned>(meshes_.size());
    scene->mMeshes = new aiMesh*[meshes_.size()];
    for (size_t i = 0; i < meshes_.size(); ++i) {
        const MeshSpec& description = meshes_[i];
        auto* mesh = new aiMesh;
        mesh->mMaterialIndex = description.material;
        const float s = description.size;
        if (description.bare) {
            mesh->mPrimitiveTypes = aiPrimitiveType_TRIANGLE | aiPrimitiveType_LINE;
            mesh->mNumVertices = 3;
            mesh->mVertices = new aiVector3D[3]{{0, 0, 0}, {s, 0, 0}, {0, s, 0}};
            mesh->mNumFaces = 2;
            mesh->mFaces = new aiFace[2]{face({0, 1, 2}), face({1, 2})};
        } else {
            mesh->mPrimitiveTypes = aiPrimitiveType_TRIANGLE;
            mesh->mNumVertices = 4;
            mesh->mVertices = new aiVector3D[4]{{0, 0, 0}, {s, 0, 0}, {s, s, 0}, {0, s, 0}};
            mesh->mNormals = new aiVector3D[4]{{0, 0, 1}, {0, 0, 1}, {0, 0, 1}, {0, 0, 1}};
            if (description.mirroredU)
                mesh->mTextureCoords[0] = new aiVector3D[4]{{1, 0, 0}, {0, 0, 0}, {0, 1, 0}, {1, 1, 0}};
            else
                mesh->mTextureCoords[0] = new aiVector3D[4]{{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}};
            mesh->mNumUVComponents[0] = 2;
            mesh->mNumFaces = 2;
            mesh->mFaces = new aiFace[2]{face({0, 1, 2}), face({2, 3, 0})};
        }
        scene->mMeshes[i] = mesh;
    }
    return scene;
}

bool SceneBuilder::exportCollada(const std::string& path) const {
    const auto scene = build();
    Assimp::Exporter exporter;
    if (exporter.Export(scene.get(), "collada", path) != aiReturn_SUCCESS) {
        std::fprintf(stderr, "export of %s failed: %s\n", path.c_str(), exporter.GetErrorString());
        return false;
    }
    return true;
}

} // namespace testing_support
