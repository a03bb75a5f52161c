#pragma once
// Turns the COLLADA scene file into what the renderer draws: the Assimp
// import, the textures the materials name (looked up by file name in one
// texture folder), one Material per distinct material name, one Mesh and
// ImportObject per mesh reference of a node, sorted into lists by the node's
// name ("transparent...", "water...", "fire...", everything else opaque),
// the scene's cameras, and the Level that holds it all.

#include "render/GL.h"
#include "render/GLObjects.h"

#include <assimp/Importer.hpp>

#include <chrono>
#include <future>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace rtr {
class ImageDecodeQueue;
}

struct aiNode;
struct aiScene;
struct GLFWwindow;
class CameraSet;
class ImportObject;
class Level;
class Material;
class ShaderProgram;

namespace rtr::scene {
class SceneObject;
}

class AssimpLoader {
public:
    AssimpLoader();
    virtual ~AssimpLoader();
    AssimpLoader(const AssimpLoader&) = delete;
    AssimpLoader& operator=(const AssimpLoader&) = delete;

    // Prints "Couldn't open file" or "Couldn't load File" and returns null on
    // failure, with a second line "<path>: <reason>" (the system's error or
    // the importer's). The importer keeps the scene alive until the loader
    // goes. A read of the same path started by startLoading is taken over
    // (waiting for it as needed), and its failure is told here, so the
    // messages come where they always did; a worker that threw is replaced
    // by a read here.
    const aiScene* loadScene(const std::string& path);

    // Starts reading `path` on a worker thread (the import needs no GL
    // context), for the next loadScene of that path. The worker says
    // nothing itself, and owns all it uses: the path, its importer and the
    // result it hands over. A loader that goes (at exit) while its worker is
    // still reading waits for it a few seconds at most, so that the
    // importer's library is not torn down under a running import, then
    // leaves it running on its own: a read that never ends (a pipe nobody
    // writes) must not hold up the program.
    void startLoading(const std::string& path);

    // Uploads every texture file that a material names as diffuse or normal
    // map, from `textureFolder` + the file name after the last "/". Returns
    // false for embedded textures ("No Texture was found in that scene").
    // A file that gives no usable image (missing, of unknown type, too
    // large, undecodable, or a colour texture whose extension is, in any
    // letter case, not jpg, jpeg or png) is reported with the texture
    // loader's two lines and keeps no texture (0 in its table); the other
    // entries go on. The files are decoded on worker threads a few ahead of
    // the uploads; the uploads and every message keep the tables' order.
    // The loader owns the textures until createLevel hands them to the
    // Level; the tables only name them.
    bool loadTextures(const aiScene* scene, const std::string& textureFolder);

    // One node and, depth first, its children. Objects are placed by the
    // node's matrix times that of the nearest ancestor that made an object.
    // The walk keeps its own stack, so any depth of nesting is safe.
    void processNode(const aiScene* scene, const aiNode* node, ShaderProgram* phongProgram,
                     ShaderProgram* shadowPassProgram, rtr::scene::SceneObject* parent);

    // Walks the whole scene with the application's phongProgram (and its
    // mirroredPhongProgram, where there is one) and shadowPassProgram, imports the cameras into `cameras` (freeing the set
    // of an earlier call), and returns the Level, which owns the objects,
    // materials and the textures of the last loadTextures from then on.
    Level* createLevel(const aiScene* scene, float width, float height, GLFWwindow* window);

    // The loader owns the imported cameras; the program's `cameras` and the
    // Level only point into the set.
    std::unique_ptr<CameraSet> cameras;
    Assimp::Importer importer;
    // The importer of a read taken over from startLoading's worker.
    std::unique_ptr<Assimp::Importer> workerImporter;
    const aiScene* scene = nullptr;
    std::map<std::string, GLuint> diffuseTextures;
    std::map<std::string, GLuint> normalTextures;

    std::vector<ImportObject*> opaqueObjects;
    std::vector<ImportObject*> transparentObjects;
    std::vector<ImportObject*> waterObjects;
    std::vector<ImportObject*> secondaryObjects;
    std::vector<Material*> materials;

    // The texture names of the last mesh whose material named them (0 for a
    // named texture that gave no image); a mesh without its own textures
    // carries these (with texCount 0).
    GLuint currentDiffuseTexture = 0;
    GLuint currentNormalTexture = 0;

private:
    // What a read of a scene file gives: the scene, held by the importer
    // that read it, or the failure's two lines.
    struct SceneRead {
        const aiScene* scene = nullptr;
        std::string headline; // "Couldn't open file" or "Couldn't load File"
        std::string reason;
    };
    struct WorkerRead {
        std::unique_ptr<Assimp::Importer> importer;
        SceneRead read;
    };
    static SceneRead readScene(const std::string& path, Assimp::Importer& importer);
    // Lets go of the worker: joins it once it has finished, waiting up to
    // `patience` for that, or else leaves it running on its own.
    void releaseReader(std::chrono::milliseconds patience);

    std::string pendingPath;
    std::future<WorkerRead> pendingRead;
    std::thread reader;
    // What loadTextures uploaded, until createLevel hands it over.
    std::vector<rtr::gl::TextureName> textures;

    enum class Table { Diffuse, Normals };
    // Uploads the table's entries in order, taking each one's image from
    // `images`, which decodes both tables' files ahead on worker threads.
    void uploadTable(std::map<std::string, GLuint>& table, Table kind, const std::string& textureFolder,
                     rtr::ImageDecodeQueue& images);
    // The node's own meshes as objects under `parent`; returns the last one,
    // or null when the node has no mesh.
    ImportObject* importNodeMeshes(const aiScene* scene, const aiNode* node, ShaderProgram* phongProgram,
                                   ShaderProgram* shadowPassProgram, rtr::scene::SceneObject* parent);
    Material* findOrCreateMaterial(const struct aiMaterial* source, const std::string& name,
                                   ShaderProgram* phongProgram);
};

// The program's one loader, alive from start-up to exit.
AssimpLoader& sceneLoader();
