#include "ColladaFile.h"

#include <assimp/Exporter.hpp>
#include <assimp/scene.h>

#include <fstream>
#include <memory>
#include <regex>
#include <stdexcept>
#include <string>

#include <glm/geometric.hpp>

#include "SceneTextures.h"

namespace assetgen {

namespace {

aiColor4D toColour(glm::vec4 c) { return {c.r, c.g, c.b, c.a}; }

aiMatrix4x4 toMatrix(const glm::mat4& m) {
    // glm is column-major: m[column][row]; aiMatrix4x4 is row-major.
    return aiMatrix4x4(m[0][0], m[1][0], m[2][0], m[3][0], m[0][1], m[1][1], m[2][1], m[3][1],
                       m[0][2], m[1][2], m[2][2], m[3][2], m[0][3], m[1][3], m[2][3], m[3][3]);
}

aiMaterial* toMaterial(const SceneMaterial& definition) {
    auto* material = new aiMaterial();
    const aiString name(definition.name);
    material->AddProperty(&name, AI_MATKEY_NAME);
    const aiColor4D diffuse = toColour(definition.diffuse), ambient = toColour(definition.ambient);
    const aiColor4D specular = toColour(definition.specular), emissive = toColour(definition.emissive);
    material->AddProperty(&diffuse, 1, AI_MATKEY_COLOR_DIFFUSE);
    material->AddProperty(&ambient, 1, AI_MATKEY_COLOR_AMBIENT);
    material->AddProperty(&specular, 1, AI_MATKEY_COLOR_SPECULAR);
    material->AddProperty(&emissive, 1, AI_MATKEY_COLOR_EMISSIVE);
    material->AddProperty(&definition.shininess, 1, AI_MATKEY_SHININESS);
    if (!definition.diffuseFile.empty()) {
        const aiString path(materialPath(definition.diffuseFile));
        material->AddProperty(&path, AI_MATKEY_TEXTURE_DIFFUSE(0));
    }
    if (!definition.normalFile.empty()) {
        // The exporter writes this slot as the effect's <bump>, which the
        // importer reads back as a normal map.
        const aiString path(materialPath(definition.normalFile));
        material->AddProperty(&path, AI_MATKEY_TEXTURE_NORMALS(0));
    }
    return material;
}

aiMesh* toMesh(const SceneNode& node, unsigned materialIndex) {
    auto* mesh = new aiMesh();
    mesh->mName = aiString(node.name + "Mesh");
    mesh->mPrimitiveTypes = aiPrimitiveType_TRIANGLE;
    mesh->mMaterialIndex = materialIndex;
    const Mesh& source = node.mesh;
    mesh->mNumVertices = source.vertexCount();
    mesh->mVertices = new aiVector3D[mesh->mNumVertices];
    mesh->mNormals = new aiVector3D[mesh->mNumVertices];
    mesh->mTextureCoords[0] = new aiVector3D[mesh->mNumVertices];
    mesh->mNumUVComponents[0] = 2;
    for (unsigned i = 0; i < mesh->mNumVertices; ++i) {
        mesh->mVertices[i] = aiVector3D(source.positions[i].x, source.positions[i].y, source.positions[i].z);
        mesh->mNormals[i] = aiVector3D(source.normals[i].x, source.normals[i].y, source.normals[i].z);
        mesh->mTextureCoords[0][i] = aiVector3D(source.uvs[i].x, source.uvs[i].y, 0.0f);
    }
    mesh->mNumFaces = static_cast<unsigned>(source.triangleCount());
    mesh->mFaces = new aiFace[mesh->mNumFaces];
    for (unsigned f = 0; f < mesh->mNumFaces; ++f) {
        mesh->mFaces[f].mNumIndices = 3;
        mesh->mFaces[f].mIndices = new unsigned[3]{source.indices[3 * f], source.indices[3 * f + 1], source.indices[3 * f + 2]};
    }
    return mesh;
}

// The camera node's matrix: its rotation turns the camera's own -z look-at
// vector towards the target, and its uniform scale sets the look-at
// length the program flies with.
glm::mat4 cameraMatrix(const SceneCamera& camera) {
    const glm::vec3 forward = glm::normalize(camera.target - camera.position);
    const glm::vec3 right = glm::normalize(glm::cross(forward, glm::vec3(0, 1, 0)));
    const glm::vec3 up = glm::cross(right, forward);
    glm::mat4 m(1.0f);
    m[0] = glm::vec4(right * camera.lookLength, 0.0f);
    m[1] = glm::vec4(up * camera.lookLength, 0.0f);
    m[2] = glm::vec4(-forward * camera.lookLength, 0.0f);
    m[3] = glm::vec4(camera.position, 1.0f);
    return m;
}

std::unique_ptr<aiScene> toScene(const SceneModel& model) {
    auto scene = std::make_unique<aiScene>();
    scene->mRootNode = new aiNode("Clearing");

    scene->mNumMaterials = static_cast<unsigned>(model.materials.size());
    scene->mMaterials = new aiMaterial*[scene->mNumMaterials];
    for (unsigned i = 0; i < scene->mNumMaterials; ++i) scene->mMaterials[i] = toMaterial(model.materials[i]);
    auto materialIndex = [&](const std::string& name) {
        for (unsigned i = 0; i < model.materials.size(); ++i)
            if (model.materials[i].name == name) return i;
        throw std::runtime_error("no material named " + name);
    };

    scene->mNumCameras = static_cast<unsigned>(model.cameras.size());
    scene->mCameras = new aiCamera*[scene->mNumCameras];
    scene->mNumMeshes = static_cast<unsigned>(model.nodes.size());
    scene->mMeshes = new aiMesh*[scene->mNumMeshes];

    aiNode* root = scene->mRootNode;
    root->mNumChildren = scene->mNumCameras + scene->mNumMeshes;
    root->mChildren = new aiNode*[root->mNumChildren];
    unsigned child = 0;
    // Cameras first, in tour order; the importer lists them in file order.
    for (unsigned i = 0; i < scene->mNumCameras; ++i) {
        const SceneCamera& definition = model.cameras[i];
        auto* camera = new aiCamera();
        camera->mName = aiString(definition.name);
        camera->mPosition = aiVector3D(0.0f, 0.0f, 0.0f);
        camera->mLookAt = aiVector3D(0.0f, 0.0f, -1.0f);
        camera->mUp = aiVector3D(0.0f, 1.0f, 0.0f);
        camera->mHorizontalFOV = 1.5620f; // what the program's 58.3-degree vertical view gives at 16:9
        camera->mClipPlaneNear = 0.1f;
        camera->mClipPlaneFar = 1000.0f;
        camera->mAspect = 16.0f / 9.0f;
        scene->mCameras[i] = camera;
        auto* node = new aiNode(definition.name);
        node->mTransformation = toMatrix(cameraMatrix(definition));
        node->mParent = root;
        root->mChildren[child++] = node;
    }
    for (unsigned i = 0; i < scene->mNumMeshes; ++i) {
        const SceneNode& definition = model.nodes[i];
        scene->mMeshes[i] = toMesh(definition, materialIndex(definition.material));
        auto* node = new aiNode(definition.name);
        node->mTransformation = toMatrix(definition.transform);
        node->mNumMeshes = 1;
        node->mMeshes = new unsigned[1]{i};
        node->mParent = root;
        root->mChildren[child++] = node;
    }
    return scene;
}

} // namespace

void writeCollada(const SceneModel& model, const std::filesystem::path& file) {
    const std::unique_ptr<aiScene> scene = toScene(model);
    Assimp::Exporter exporter;
    const aiExportDataBlob* blob = exporter.ExportToBlob(scene.get(), "collada");
    if (!blob) throw std::runtime_error(std::string("Assimp could not export the scene: ") + exporter.GetErrorString());
    std::string text(static_cast<const char*>(blob->data), blob->size);
    const std::regex stamp("<(created|modified)>[^<]*</(created|modified)>");
    text = std::regex_replace(text, stamp, "<$1>2024-01-01T00:00:00</$1>");

    std::filesystem::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    if (!out) throw std::runtime_error("could not write " + file.string());
}

} // namespace assetgen
