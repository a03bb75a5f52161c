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
    meshes_.push_back({materialIndex, size, Shape::Square, mirroredU});
    return static_cast<unsigned>(meshes_.size() - 1);
}

unsigned SceneBuilder::bareTriangleAndLine(unsigned materialIndex) {
    meshes_.push_back({materialIndex, 1.0f, Shape::BareTriangleAndLine, false});
    return static_cast<unsigned>(meshes_.size() - 1);
}

unsigned SceneBuilder::floor(unsigned materialIndex, float size) {
    meshes_.push_back({materialIndex, size, Shape::Floor, false});
    return static_cast<unsigned>(meshes_.size() - 1);
}

unsigned SceneBuilder::box(unsigned materialIndex, float size) {
    meshes_.push_back({materialIndex, size, Shape::Box, false});
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
        switch (description.shape) {
        case Shape::BareTriangleAndLine:
            mesh->mPrimitiveTypes = aiPrimitiveType_TRIANGLE | aiPrimitiveType_LINE;
            mesh->mNumVertices = 3;
            mesh->mVertices = new aiVector3D[3]{{0, 0, 0}, {s, 0, 0}, {0, s, 0}};
            mesh->mNumFaces = 2;
            mesh->mFaces = new aiFace[2]{face({0, 1, 2}), face({1, 2})};
            break;
        case Shape::Square:
        case Shape::Floor: {
            const bool flat = description.shape == Shape::Floor;
            mesh->mPrimitiveTypes = aiPrimitiveType_TRIANGLE;
            mesh->mNumVertices = 4;
            mesh->mVertices = flat ? new aiVector3D[4]{{0, 0, 0}, {0, 0, s}, {s, 0, s}, {s, 0, 0}}
                                   : new aiVector3D[4]{{0, 0, 0}, {s, 0, 0}, {s, s, 0}, {0, s, 0}};
            const aiVector3D normal = flat ? aiVector3D(0, 1, 0) : aiVector3D(0, 0, 1);
            mesh->mNormals = new aiVector3D[4]{normal, normal, normal, normal};
            if (description.mirroredU)
                mesh->mTextureCoords[0] = new aiVector3D[4]{{1, 0, 0}, {0, 0, 0}, {0, 1, 0}, {1, 1, 0}};
            else
                mesh->mTextureCoords[0] = new aiVector3D[4]{{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}};
            mesh->mNumUVComponents[0] = 2;
            mesh->mNumFaces = 2;
            mesh->mFaces = new aiFace[2]{face({0, 1, 2}), face({2, 3, 0})};
            break;
        }
        case Shape::Box: {
            // Per face: its outward normal n and two edges u, v with u x v = n,
            // so the corners run counter-clockwise seen from outside.
            const aiVector3D axes[6][3] = {{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}},  {{-1, 0, 0}, {0, 0, 1}, {0, 1, 0}},
                                           {{0, 1, 0}, {0, 0, 1}, {1, 0, 0}},  {{0, -1, 0}, {1, 0, 0}, {0, 0, 1}},
                                           {{0, 0, 1}, {1, 0, 0}, {0, 1, 0}},  {{0, 0, -1}, {0, 1, 0}, {1, 0, 0}}};
            mesh->mPrimitiveTypes = aiPrimitiveType_TRIANGLE;
            mesh->mNumVertices = 24;
            mesh->mVertices = new aiVector3D[24];
            mesh->mNormals = new aiVector3D[24];
            mesh->mTextureCoords[0] = new aiVector3D[24];
            mesh->mNumUVComponents[0] = 2;
            mesh->mNumFaces = 12;
            mesh->mFaces = new aiFace[12];
            const aiVector3D centre(s / 2, s / 2, s / 2);
            const float corners[4][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};
            for (unsigned f = 0; f < 6; ++f) {
                const aiVector3D &n = axes[f][0], &u = axes[f][1], &v = axes[f][2];
                for (unsigned c = 0; c < 4; ++c) {
                    mesh->mVertices[4 * f + c] = centre + (n + u * corners[c][0] + v * corners[c][1]) * (s / 2);
                    mesh->mNormals[4 * f + c] = n;
                    mesh->mTextureCoords[0][4 * f + c] =
                        aiVector3D((corners[c][0] + 1) / 2, (corners[c][1] + 1) / 2, 0);
                }
                mesh->mFaces[2 * f] = face({4 * f, 4 * f + 1, 4 * f + 2});
                mesh->mFaces[2 * f + 1] = face({4 * f + 2, 4 * f + 3, 4 * f});
            }
            break;
        }
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
