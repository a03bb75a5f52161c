#include "scene/AssimpLoader.h"

#include "app/AppState.h"
#include "app/CameraSet.h"
#include "render/GLDebug.h"
#include "render/ImageFile.h"
#include "render/Level.h"
#include "render/StartupProfile.h"
#include "scene/ImportObject.h"
#include "scene/Material.h"
#include "scene/Mesh.h"

#include <FreeImage.h>
#include <assimp/material.h>
#include <assimp/postprocess.h>
#include <assimp/scene.h>
#include <glm/gtc/type_ptr.hpp>

#include <algorithm>
#include <chrono>
#include <system_error>
#include <thread>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <memory>
#include <utility>

namespace {

// aiMatrix4x4 is row-major; column j of the glm matrix holds its
// entries (a_j, b_j, c_j, d_j), so both describe the same transformation.
glm::mat4 toGlm(const aiMatrix4x4& m) { return glm::transpose(glm::make_mat4(&m.a1)); }

std::string afterLast(const std::string& text, char separator) {
    const auto at = text.rfind(separator);
    return at == std::string::npos ? text : text.substr(at + 1);
}

bool startsWith(const std::string& text, const char* prefix) { return text.rfind(prefix, 0) == 0; }

void setSamplingAndUnbind() {
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glBindTexture(GL_TEXTURE_2D, 0);
}

std::string lowerCase(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// Why a colour texture file is not used, by its name; empty when it may be.
std::string colourTextureRefusal(const std::string& path) {
    const std::string extension = lowerCase(afterLast(path, '.'));
    if (extension == "jpg" || extension == "jpeg" || extension == "png")
        return "";
    return "only jpg, jpeg and png files are used as colour textures";
}

// The GL texture of `path` in `table`; 0 when the path is not there or its
// file gave no image.
GLuint textureOf(const std::map<std::string, GLuint>& table, const char* path) {
    const auto found = table.find(path);
    return found != table.end() ? found->second : 0;
}

glm::vec4 materialColour(const aiMaterial* material, const char* key, const glm::vec4& fallback) {
    aiColor4D colour;
    if (aiGetMaterialColor(material, key, 0, 0, &colour) != aiReturn_SUCCESS)
        return fallback;
    return {colour.r, colour.g, colour.b, colour.a};
}

// A face the index buffer can hold: three corners, all of them vertices of
// the mesh. Points and lines that survive the import, and broken indices,
// are left out of the triangle list and the index buffer.
bool isDrawableTriangle(const aiFace& face, unsigned vertexCount) {
    return face.mNumIndices >= 3 && face.mIndices[0] < vertexCount && face.mIndices[1] < vertexCount &&
           face.mIndices[2] < vertexCount;
}

} // namespace

AssimpLoader& sceneLoader() {
    static AssimpLoader loader;
    return loader;
}

AssimpLoader::AssimpLoader() = default;

AssimpLoader::~AssimpLoader() {
    // The program's loader goes at exit: a read still running gets a few
    // seconds to end before the importer's library is torn down.
    releaseReader(std::chrono::seconds(5));
    diffuseTextures.clear();
    normalTextures.clear();
}

AssimpLoader::SceneRead AssimpLoader::readScene(const std::string& path, Assimp::Importer& importer) {
    SceneRead read;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        read.headline = "Couldn't open file";
        read.reason = std::strerror(errno);
        return read;
    }
    std::fclose(file);
    read.scene = importer.ReadFile(path, aiProcessPreset_TargetRealtime_Quality);
    if (read.scene == nullptr) {
        read.headline = "Couldn't load File";
        read.reason = importer.GetErrorString();
    }
    return read;
}

void AssimpLoader::startLoading(const std::string& path) {
    releaseReader(std::chrono::milliseconds(0)); // an earlier read nobody took
    std::promise<WorkerRead> promise;
    std::future<WorkerRead> read = promise.get_future();
    try {
        // The worker holds nothing of the loader's, so it may outlive it.
        reader = std::thread([path, promise = std::move(promise)]() mutable {
            try {
                WorkerRead result{std::make_unique<Assimp::Importer>(), {}};
                result.read = readScene(path, *result.importer);
                promise.set_value(std::move(result));
            } catch (...) {
                promise.set_exception(std::current_exception());
            }
        });
    } catch (const std::system_error&) {
        return; // no thread to be had: loadScene reads the file itself
    }
    pendingPath = path;
    pendingRead = std::move(read);
}

void AssimpLoader::releaseReader(std::chrono::milliseconds patience) {
    if (reader.joinable()) {
        if (!pendingRead.valid() || pendingRead.wait_for(patience) == std::future_status::ready)
            reader.join();
        else
            reader.detach(); // still reading, as the loader goes or moves on
    }
    pendingRead = {};
    pendingPath.clear();
}

const aiScene* AssimpLoader::loadScene(const std::string& path) {
    rtr::StartupTimer timer(rtr::StartupPhase::SceneImport);
    SceneRead read;
    if (pendingRead.valid() && pendingPath == path) {
        try {
            WorkerRead taken = pendingRead.get();
            workerImporter = std::move(taken.importer);
            read = std::move(taken.read);
        } catch (const std::exception&) {
            read = readScene(path, importer); // the worker failed before reading (short of memory)
        }
    } else {
        read = readScene(path, importer);
    }
    releaseReader(std::chrono::milliseconds(0));
    if (read.scene == nullptr)
        std::cout << read.headline << std::endl << path << ": " << read.reason << std::endl;
    scene = read.scene;
    return scene;
}

bool AssimpLoader::loadTextures(const aiScene* scene, const std::string& textureFolder) {
    rtr::StartupTimer timer(rtr::StartupPhase::Textures);
    // Tables of an earlier load name textures of an earlier context; its
    // textures that never reached a Level go now.
    diffuseTextures.clear();
    normalTextures.clear();
    textures.clear();
    if (scene == nullptr)
        return false;
    if (scene->mTextures != nullptr && scene->mNumTextures > 0) {
        std::cout << "No Texture was found in that scene" << std::endl;
        return false;
    }
    for (unsigned m = 0; m < scene->mNumMaterials; ++m) {
        const aiMaterial* material = scene->mMaterials[m];
        aiString path;
        for (unsigned i = 0; aiGetMaterialTexture(material, aiTextureType_DIFFUSE, i, &path) == aiReturn_SUCCESS; ++i)
            diffuseTextures.emplace(path.C_Str(), 0);
        for (unsigned i = 0; aiGetMaterialTexture(material, aiTextureType_NORMALS, i, &path) == aiReturn_SUCCESS; ++i)
            normalTextures.emplace(path.C_Str(), 1);
    }

    // Every file of both tables, in the order they go up; those a colour
    // texture may not be are refused by name without being read.
    std::vector<std::string> decodePaths;
    for (const auto* table : {&diffuseTextures, &normalTextures})
        for (const auto& [path, name] : *table) {
            const std::string fullPath = textureFolder + afterLast(path, '/');
            decodePaths.push_back(table == &normalTextures || colourTextureRefusal(path).empty() ? fullPath : "");
        }
    GLint maxSize = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSize);
    // The workers make the mip levels too, so the GL thread only uploads.
    rtr::ImageDecodeQueue images(std::move(decodePaths), maxSize, true);
    uploadTable(diffuseTextures, Table::Diffuse, textureFolder, images);
    uploadTable(normalTextures, Table::Normals, textureFolder, images);
    return true;
}

void AssimpLoader::uploadTable(std::map<std::string, GLuint>& table, Table kind, const std::string& textureFolder,
                               rtr::ImageDecodeQueue& images) {
    if (table.empty())
        return;
    std::vector<GLuint> names(table.size());
    glGenTextures(static_cast<GLsizei>(names.size()), names.data());

    size_t i = 0;
    for (auto& [path, name] : table) {
        rtr::gl::TextureName texture(names[i++]);
        name = texture.get();
        const std::string fullPath = textureFolder + afterLast(path, '/');
        // Colour textures go up by extension: JPEG as RGB, PNG with alpha.
        GLenum internalFormat = GL_RGBA;
        std::string reason;
        if (kind == Table::Diffuse) {
            reason = colourTextureRefusal(path);
            const std::string extension = lowerCase(afterLast(path, '.'));
            if (extension == "jpg" || extension == "jpeg")
                internalFormat = GL_RGB;
        }
        rtr::DecodedImage image = images.next();
        if (reason.empty())
            reason = image.reason;
        // An entry without an image keeps no texture, so that its meshes fall
        // back to the material's colour or plain normals instead of sampling
        // an empty (black) texture.
        if (image.bitmap == nullptr) {
            rtr::reportImageFailure(fullPath, reason);
            name = 0; // the texture goes with `texture`
            continue;
        }
        glActiveTexture(kind == Table::Diffuse ? GL_TEXTURE0 : GL_TEXTURE1);
        glBindTexture(GL_TEXTURE_2D, name);
        glTexImage2D(GL_TEXTURE_2D, 0, static_cast<GLint>(internalFormat), static_cast<GLsizei>(image.width),
                     static_cast<GLsizei>(image.height), 0, GL_BGRA, GL_UNSIGNED_BYTE,
                     FreeImage_GetBits(image.bitmap.get()));
        GLint level = 0;
        for (const rtr::MipLevel& mip : image.mipLevels)
            glTexImage2D(GL_TEXTURE_2D, ++level, static_cast<GLint>(internalFormat), static_cast<GLsizei>(mip.width),
                         static_cast<GLsizei>(mip.height), 0, GL_BGRA, GL_UNSIGNED_BYTE, mip.bytes.data());
        rtr::labelObject(GL_TEXTURE, name, path);
        setSamplingAndUnbind();
        textures.push_back(std::move(texture));
    }
}

Material* AssimpLoader::findOrCreateMaterial(const aiMaterial* source, const std::string& name,
                                             ShaderProgram* phongProgram) {
    for (Material* material : materials)
        if (material->getName() == name)
            return material;
    const glm::vec4 diffuse = materialColour(source, "$clr.diffuse", {0.8f, 0.8f, 0.8f, 1.0f});
    const glm::vec4 ambient = materialColour(source, "$clr.ambient", {0.2f, 0.2f, 0.2f, 1.0f});
    const glm::vec4 specular = materialColour(source, "$clr.specular", {0.0f, 0.0f, 0.0f, 1.0f});
    const glm::vec4 emissive = materialColour(source, "$clr.emissive", {0.0f, 0.0f, 0.0f, 1.0f});
    float shininess = 0.0f;
    unsigned count = 1;
    if (aiGetMaterialFloatArray(source, "$mat.shininess", 0, 0, &shininess, &count) != aiReturn_SUCCESS)
        shininess = 0.0f;
    auto* material = new Material(phongProgram, diffuse, ambient, specular, emissive, shininess, name);
    materials.push_back(material);
    return material;
}

void AssimpLoader::processNode(const aiScene* scene, const aiNode* node, ShaderProgram* phongProgram,
                               ShaderProgram* shadowPassProgram, rtr::scene::SceneObject* parent) {
    // Depth first, children in their stored order, on a stack of its own:
    // scene files nest nodes thousands deep, more than the call stack holds.
    std::vector<std::pair<const aiNode*, rtr::scene::SceneObject*>> pending{{node, parent}};
    while (!pending.empty()) {
        const auto [current, currentParent] = pending.back();
        pending.pop_back();
        ImportObject* last = importNodeMeshes(scene, current, phongProgram, shadowPassProgram, currentParent);
        for (unsigned c = current->mNumChildren; c-- > 0;)
            pending.emplace_back(current->mChildren[c], last);
    }
}

ImportObject* AssimpLoader::importNodeMeshes(const aiScene* scene, const aiNode* node, ShaderProgram* phongProgram,
                                             ShaderProgram* shadowPassProgram, rtr::scene::SceneObject* parent) {
    const std::string nodeName = node->mName.C_Str();
    const glm::mat4 local = toGlm(node->mTransformation);
    ImportObject* last = nullptr;

    for (unsigned k = 0; k < node->mNumMeshes; ++k) {
        if (node->mMeshes[k] >= scene->mNumMeshes)
            continue;
        const aiMesh* m = scene->mMeshes[node->mMeshes[k]];
        const unsigned vertexCount = m->mNumVertices;

        // Faces first: only drawable triangles reach the index buffer.
        std::vector<unsigned> indices;
        std::vector<glm::vec3> triangleList;
        indices.reserve(static_cast<size_t>(m->mNumFaces) * 3);
        for (unsigned f = 0; f < m->mNumFaces; ++f) {
            const aiFace& face = m->mFaces[f];
            if (!isDrawableTriangle(face, vertexCount))
                continue;
            for (unsigned c = 0; c < 3; ++c) {
                indices.push_back(face.mIndices[c]);
                const aiVector3D& p = m->mVertices[face.mIndices[c]];
                triangleList.emplace_back(p.x, p.y, p.z);
            }
        }

        // What the mesh lacks stays zero.
        std::vector<float> positions(static_cast<size_t>(vertexCount) * 3, 0.0f);
        std::vector<float> normals(static_cast<size_t>(vertexCount) * 3, 0.0f);
        std::vector<float> uvs(static_cast<size_t>(vertexCount) * 2, 0.0f);
        std::vector<float> tangents(static_cast<size_t>(vertexCount) * 4, 0.0f);
        for (unsigned v = 0; v < vertexCount; ++v) {
            if (m->mVertices != nullptr) {
                positions[v * 3 + 0] = m->mVertices[v].x;
                positions[v * 3 + 1] = m->mVertices[v].y;
                positions[v * 3 + 2] = m->mVertices[v].z;
            }
            if (m->mNormals != nullptr) {
                normals[v * 3 + 0] = m->mNormals[v].x;
                normals[v * 3 + 1] = m->mNormals[v].y;
                normals[v * 3 + 2] = m->mNormals[v].z;
            }
            if (m->mTextureCoords[0] != nullptr) {
                uvs[v * 2 + 0] = m->mTextureCoords[0][v].x;
                uvs[v * 2 + 1] = m->mTextureCoords[0][v].y;
            }
            if (m->mTangents != nullptr && m->mBitangents != nullptr && m->mNormals != nullptr) {
                const glm::vec3 t = glm::normalize(glm::vec3(m->mTangents[v].x, m->mTangents[v].y, m->mTangents[v].z));
                const glm::vec3 b =
                    glm::normalize(glm::vec3(m->mBitangents[v].x, m->mBitangents[v].y, m->mBitangents[v].z));
                const glm::vec3 n = glm::normalize(glm::vec3(m->mNormals[v].x, m->mNormals[v].y, m->mNormals[v].z));
                const glm::vec3 tangent = t - n * glm::dot(n, t);
                const float handedness = glm::dot(glm::cross(n, t), b) < 0.0f ? -1.0f : 1.0f;
                tangents[v * 4 + 0] = std::isfinite(tangent.x) ? tangent.x : 0.0f;
                tangents[v * 4 + 1] = std::isfinite(tangent.y) ? tangent.y : 0.0f;
                tangents[v * 4 + 2] = std::isfinite(tangent.z) ? tangent.z : 0.0f;
                tangents[v * 4 + 3] = handedness;
            }
        }

        const aiMaterial* sourceMaterial = scene->mMaterials[m->mMaterialIndex];
        aiString materialName;
        aiGetMaterialString(sourceMaterial, "?mat.name", 0, 0, &materialName);

        // A texture that gave no image counts as none: the mesh shows its
        // material's colour, or its plain normals, and never holds another
        // texture's name in that slot.
        int texCount = 0;
        aiString path;
        if (aiGetMaterialTexture(sourceMaterial, aiTextureType_DIFFUSE, 0, &path) == aiReturn_SUCCESS) {
            currentDiffuseTexture = textureOf(diffuseTextures, path.C_Str());
            if (currentDiffuseTexture != 0) {
                texCount = 1;
                if (aiGetMaterialTexture(sourceMaterial, aiTextureType_NORMALS, 0, &path) == aiReturn_SUCCESS) {
                    currentNormalTexture = textureOf(normalTextures, path.C_Str());
                    if (currentNormalTexture != 0)
                        texCount = 2;
                }
            }
        }
        Material* material = findOrCreateMaterial(sourceMaterial, materialName.C_Str(), phongProgram);

        auto mesh = std::make_unique<Mesh>(currentDiffuseTexture, currentNormalTexture, std::move(positions),
                                           std::move(normals), std::move(uvs), std::move(tangents),
                                           std::move(indices), static_cast<float>(texCount), m, local, nodeName);
        const glm::mat4 world = parent != nullptr ? parent->modelMatrix * local : local;
        auto* object = new ImportObject(world, phongProgram, shadowPassProgram, std::move(mesh), material, parent,
                                        std::move(triangleList));

        if (startsWith(nodeName, "transparent"))
            transparentObjects.push_back(object);
        else if (startsWith(nodeName, "water"))
            waterObjects.push_back(object);
        else if (startsWith(nodeName, "fire"))
            secondaryObjects.push_back(object);
        else
            opaqueObjects.push_back(object);

        if (auto* parentObject = dynamic_cast<ImportObject*>(parent))
            parentObject->addChild(object);
        last = object;
    }
    return last;
}

Level* AssimpLoader::createLevel(const aiScene* scene, float width, float height, GLFWwindow* window) {
    rtr::StartupTimer timer(rtr::StartupPhase::SceneImport);
    // The objects and materials of an earlier Level belong to that Level.
    opaqueObjects.clear();
    transparentObjects.clear();
    waterObjects.clear();
    secondaryObjects.clear();
    materials.clear();
    currentDiffuseTexture = 0;
    currentNormalTexture = 0;
    if (scene != nullptr && scene->mRootNode != nullptr)
        processNode(scene, scene->mRootNode, phongProgram, shadowPassProgram, nullptr);
    cameras = importCameras(scene, width, height, window);
    Camera* activeCamera = cameras->current();
    auto* created = new Level(glm::mat4(1.0f), phongProgram, opaqueObjects, transparentObjects, waterObjects,
                              secondaryObjects, {}, materials, activeCamera, std::move(textures));
    textures.clear();
    if (mirroredPhongProgram != nullptr)
        created->setMirroredProgram(mirroredPhongProgram);
    return created;
}
