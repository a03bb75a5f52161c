// The scene import: objects sorted by node name, textures found by file name
// in the texture folder and uploaded by extension, materials shared by name
// with defaults for missing keys, placement through ancestors that made
// objects, tangents, and bad scene and texture files: each is reported and
// skipped, or imported, never a crash; the textures go with the Level.

#include "app/AppState.h"
#include "app/CameraSet.h"
#include "render/Level.h"
#include "render/ShaderProgram.h"
#include "scene/AssimpLoader.h"
#include "scene/ImportObject.h"
#include "scene/Material.h"
#include "support/GLTestContext.h"
#include "support/HostileFiles.h"
#include "support/SceneBuilder.h"

#include <FreeImage.h>
#include <assimp/scene.h>
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>

using namespace testing_support;

namespace {

struct Texel {
    uint8_t r, g, b, a;
    bool operator==(const Texel&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Texel& t) {
    return out << "(" << int(t.r) << ", " << int(t.g) << ", " << int(t.b) << ", " << int(t.a) << ")";
}

class Import : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(context_.ok());
        phongProgram = new ShaderProgram("../Shader/PhongSMap.vert", "../Shader/PhongSMap.frag");
        rtr::setSamplerUnits(*phongProgram, {{"depth_map", 2}});
        shadowPassProgram = new ShaderProgram("../Shader/ODSMfirstPass.vert", "../Shader/ODSMfirstPass.geom",
                                              "../Shader/ODSMfirstPass.frag");
        dir_ = std::filesystem::temp_directory_path() /
               ("thalvek-import-" + std::to_string(::getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(dir_ / "textures");
    }
    void TearDown() override {
        level_.reset();
        delete phongProgram;
        delete shadowPassProgram;
        phongProgram = shadowPassProgram = nullptr;
        std::filesystem::remove_all(dir_);
    }

    std::string textureFolder() const { return (dir_ / "textures").string() + "/"; }

    // A 4 x 2 image of one colour in the texture folder.
    void writeImage(const std::string& name, int bpp, FREE_IMAGE_FORMAT format, Texel colour) {
        FIBITMAP* bitmap = FreeImage_Allocate(4, 2, bpp);
        for (unsigned y = 0; y < 2; ++y)
            for (unsigned x = 0; x < 4; ++x) {
                RGBQUAD q{colour.b, colour.g, colour.r, colour.a};
                FreeImage_SetPixelColor(bitmap, x, y, &q);
            }
        const std::string path = textureFolder() + name;
        ASSERT_TRUE(FreeImage_Save(format, bitmap, path.c_str(), format == FIF_JPEG ? JPEG_QUALITYSUPERB : 0));
        FreeImage_Unload(bitmap);
    }

    // Exports the scene as COLLADA, then runs the loader as the program does.
    Level* importCollada(const SceneBuilder& builder, bool withTextures = true) {
        const std::string path = (dir_ / "scene.dae").string();
        EXPECT_TRUE(builder.exportCollada(path));
        const aiScene* scene = loader_.loadScene(path);
        EXPECT_NE(scene, nullptr);
        if (scene == nullptr)
            return nullptr;
        if (withTextures)
            loader_.loadTextures(scene, textureFolder());
        level_.reset(loader_.createLevel(scene, 320.0f, 180.0f, nullptr));
        return level_.get();
    }

    // Walks an in-memory scene as createLevel does.
    Level* importInMemory(const aiScene& scene) {
        level_.reset(loader_.createLevel(&scene, 320.0f, 180.0f, nullptr));
        return level_.get();
    }

    static GLint width(GLuint texture) {
        GLint w = 0;
        glBindTexture(GL_TEXTURE_2D, texture);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &w);
        return w;
    }
    static Texel texel(GLuint texture) {
        Texel t[8];
        glBindTexture(GL_TEXTURE_2D, texture);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, t);
        return t[5];
    }

    static ImportObject* byName(const Level::ObjectList& list, const std::string& name) {
        for (ImportObject* o : list)
            if (o->mesh->getName() == name)
                return o;
        return nullptr;
    }

    GLTestContext context_{64, 64};
    AssimpLoader loader_;
    std::unique_ptr<Level> level_;
    std::filesystem::path dir_;
};

void expectNear(Texel actual, Texel expected, int tolerance) {
    EXPECT_NEAR(actual.r, expected.r, tolerance) << actual;
    EXPECT_NEAR(actual.g, expected.g, tolerance) << actual;
    EXPECT_NEAR(actual.b, expected.b, tolerance) << actual;
    EXPECT_NEAR(actual.a, expected.a, tolerance) << actual;
}

} // namespace

TEST_F(Import, NodesAreSortedByTheirNamesFirstWords) {
    SceneBuilder b;
    const unsigned m = b.material({.name = "plain"});
    b.root({"root", {}, {}, {{"transparentGlass", {b.square(m)}}, {"Water", {b.square(m)}},
                              {"fireplace", {b.square(m)}}, {"waterPool", {b.square(m)}},
                              {"dynamicRock", {b.square(m)}}, {"Fireplace", {b.square(m)}},
                              {"campfireStones", {b.square(m)}}, {"seaWaterEdge", {b.square(m)}}}});
    Level* level = importCollada(b, false);
    ASSERT_NE(level, nullptr);
    EXPECT_NE(byName(level->getTransparentObjects(), "transparentGlass"), nullptr);
    EXPECT_NE(byName(level->getOpaqueObjects(), "Water"), nullptr) << "the match is case-sensitive";
    EXPECT_NE(byName(level->getSecondaryObjects(), "fireplace"), nullptr);
    EXPECT_NE(byName(level->getWaterObjects(), "waterPool"), nullptr);
    EXPECT_NE(byName(level->getOpaqueObjects(), "dynamicRock"), nullptr);
    EXPECT_NE(byName(level->getOpaqueObjects(), "Fireplace"), nullptr);
    EXPECT_NE(byName(level->getOpaqueObjects(), "campfireStones"), nullptr) << "only the first characters count";
    EXPECT_NE(byName(level->getOpaqueObjects(), "seaWaterEdge"), nullptr);
    EXPECT_EQ(level->getOpaqueObjects().size(), 5u);
}

TEST_F(Import, TexturesAreFoundByFileNameAndUploadedByExtension) {
    writeImage("wood.jpg", 24, FIF_JPEG, {200, 120, 40, 255});
    writeImage("stone.JPG", 24, FIF_JPEG, {90, 90, 90, 255});
    writeImage("leaf.png", 32, FIF_PNG, {30, 160, 20, 128});
    writeImage("bump.png", 24, FIF_PNG, {128, 128, 255, 255});
    SceneBuilder b;
    const unsigned wood = b.material({.name = "wood", .diffuseTexture = "maps/old/wood.jpg",
                                      .normalTexture = "maps/bump.png"});
    const unsigned table = b.material({.name = "table", .diffuseTexture = "maps/old/wood.jpg"});
    const unsigned stone = b.material({.name = "stone", .diffuseTexture = "stone.JPG"});
    const unsigned leaf = b.material({.name = "leaf", .diffuseTexture = "leaf.png"});
    b.root({"root", {}, {}, {{"log", {b.square(wood)}}, {"bench", {b.square(table)}},
                              {"rock", {b.square(stone)}}, {"transparentLeaf", {b.square(leaf)}}}});
    Level* level = importCollada(b);
    ASSERT_NE(level, nullptr);

    // maps/old/wood.jpg comes from <folder>/wood.jpg, once for both materials.
    ASSERT_EQ(loader_.diffuseTextures.size(), 3u);
    const GLuint woodTexture = loader_.diffuseTextures.at("maps/old/wood.jpg");
    EXPECT_EQ(byName(level->getOpaqueObjects(), "log")->mesh->getDiffuseTexture(), woodTexture);
    EXPECT_EQ(byName(level->getOpaqueObjects(), "bench")->mesh->getDiffuseTexture(), woodTexture);
    expectNear(texel(woodTexture), {200, 120, 40, 255}, 3);
    EXPECT_EQ(byName(level->getOpaqueObjects(), "log")->mesh->getTexCount(), 2.0f);
    expectNear(texel(loader_.normalTextures.at("maps/bump.png")), {128, 128, 255, 255}, 0);

    // Extensions match in any case.
    expectNear(texel(loader_.diffuseTextures.at("stone.JPG")), {90, 90, 90, 255}, 3);

    // PNG colour textures keep their alpha and come out in RGB order.
    expectNear(texel(loader_.diffuseTextures.at("leaf.png")), {30, 160, 20, 128}, 0);
    GLint minFilter = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &minFilter);
    EXPECT_EQ(minFilter, GL_LINEAR_MIPMAP_LINEAR);

    // The Level owns the textures with the rest of the scene: they go with it.
    std::vector<GLuint> names;
    for (const auto* table : {&loader_.diffuseTextures, &loader_.normalTextures})
        for (const auto& [path, name] : *table)
            names.push_back(name);
    level_.reset();
    for (const GLuint name : names)
        EXPECT_EQ(glIsTexture(name), GL_FALSE) << name;
}

TEST_F(Import, ImagesOfOtherDepthsAreConvertedBeforeUpload) {
    // A 24-bit diffuse PNG would be read as 32 bits per pixel, a grey JPEG as
    // 24, a 32-bit normal map as 24: each past the end of its bitmap.
    writeImage("rgb.png", 24, FIF_PNG, {10, 200, 30, 255});
    writeImage("normal32.png", 32, FIF_PNG, {120, 130, 250, 255});
    {
        FIBITMAP* grey = FreeImage_Allocate(4, 2, 8);
        RGBQUAD* palette = FreeImage_GetPalette(grey);
        for (int i = 0; i < 256; ++i)
            palette[i] = RGBQUAD{BYTE(i), BYTE(i), BYTE(i), 0};
        for (unsigned y = 0; y < 2; ++y)
            for (unsigned x = 0; x < 4; ++x) {
                BYTE v = 77;
                FreeImage_SetPixelIndex(grey, x, y, &v);
            }
        const std::string path = textureFolder() + "grey.jpg";
        ASSERT_TRUE(FreeImage_Save(FIF_JPEG, grey, path.c_str(), JPEG_QUALITYSUPERB));
        FreeImage_Unload(grey);
    }
    SceneBuilder b;
    const unsigned a = b.material({.name = "a", .diffuseTexture = "rgb.png", .normalTexture = "normal32.png"});
    const unsigned g = b.material({.name = "g", .diffuseTexture = "grey.jpg"});
    b.root({"root", {}, {}, {{"a", {b.square(a)}}, {"g", {b.square(g)}}}});
    ASSERT_NE(importCollada(b), nullptr);
    expectNear(texel(loader_.diffuseTextures.at("rgb.png")), {10, 200, 30, 255}, 0);
    expectNear(texel(loader_.normalTextures.at("normal32.png")), {120, 130, 250, 255}, 0);
    expectNear(texel(loader_.diffuseTextures.at("grey.jpg")), {77, 77, 77, 255}, 2);
}

// One material per row, all in one scene, each naming one texture file that
// the test writes. The file uploads, or it is reported with its reason and
// keeps no texture, so its mesh shows the material's colour (diffuse) or its
// plain normals (normal map), never another texture, and the rows after it
// still load.
TEST_F(Import, BadTextureFilesAreReportedAndSkippedOneByOne) {
    enum Slot { Diffuse, Normal };
    struct Row {
        const char* file;
        Slot slot;
        std::function<void(const std::string&)> write;
        std::optional<Texel> texel; // uploaded with this colour, or refused
        const char* reason;         // with this in the second line
    };
    const auto text = [](const std::string& path) { std::ofstream(path) << "not a picture"; };
    const auto plain = [](Texel t, FREE_IMAGE_FORMAT format) {
        return [=](const std::string& path) {
            testing_support::writeImage(path, 4, 2, RGBQUAD{t.b, t.g, t.r, t.a}, format, format == FIF_PNG ? 32 : 24);
        };
    };
    const Row rows[] = {
        // First in its table: a name of unknown type used to stop the upload
        // of every texture.
        {"aaa", Diffuse, text, {}, "only jpg, jpeg and png files are used as colour textures"},
        {"granite.JPG", Diffuse, plain({120, 110, 100, 255}, FIF_JPEG), Texel{120, 110, 100, 255}, nullptr},
        {"granite.jpeg", Diffuse, plain({60, 70, 80, 255}, FIF_JPEG), Texel{60, 70, 80, 255}, nullptr},
        {"grey16.png", Diffuse, [](const std::string& path) { writeGrey16Png(path, 4, 2, 0x40ff); },
         Texel{64, 64, 64, 255}, nullptr},
        {"huge.png", Diffuse, [](const std::string& path) { writeLyingPng(path, 60000, 60000); }, {},
         "60000 x 60000 pixels, more than the "},
        {"folder.png", Diffuse, [](const std::string& path) { std::filesystem::create_directory(path); }, {},
         "Is a directory"},
        {"picture.tga", Diffuse, plain({1, 2, 3, 255}, FIF_TARGA), {},
         "only jpg, jpeg and png files are used as colour textures"},
        {"aaa-bump", Normal, text, {}, "its image type cannot be told from its content or its name"},
        {"broken-bump.png", Normal, text, {}, "PNG"},
        {"bump.png", Normal, plain({128, 128, 255, 255}, FIF_PNG), Texel{128, 128, 255, 255}, nullptr},
    };
    testing_support::writeImage(textureFolder() + "base.png", 4, 2, RGBQUAD{0, 0, 200, 255});
    SceneBuilder b;
    std::vector<NodeSpec> nodes;
    for (const Row& row : rows) {
        row.write(textureFolder() + row.file);
        MaterialSpec material{.name = row.file};
        (row.slot == Diffuse ? material.diffuseTexture : material.normalTexture) = row.file;
        if (row.slot == Normal)
            material.diffuseTexture = "base.png";
        nodes.push_back({row.file, {b.square(b.material(material))}});
    }
    b.root({"root", {}, {}, nodes});
    const std::string path = (dir_ / "scene.dae").string();
    ASSERT_TRUE(b.exportCollada(path));
    const aiScene* scene = loader_.loadScene(path);
    ASSERT_NE(scene, nullptr);
    ::testing::internal::CaptureStdout();
    EXPECT_TRUE(loader_.loadTextures(scene, textureFolder()));
    const std::string out = ::testing::internal::GetCapturedStdout();
    level_.reset(loader_.createLevel(scene, 320.0f, 180.0f, nullptr));

    for (const Row& row : rows) {
        SCOPED_TRACE(row.file);
        const auto& table = row.slot == Diffuse ? loader_.diffuseTextures : loader_.normalTextures;
        const GLuint texture = table.at(row.file);
        ImportObject* object = byName(level_->getOpaqueObjects(), row.file);
        ASSERT_NE(object, nullptr);
        const Mesh& mesh = *object->mesh;
        EXPECT_EQ(row.slot == Diffuse ? mesh.getDiffuseTexture() : mesh.getNormalTexture(), texture);
        const std::string fullPath = textureFolder() + row.file;
        const std::string message = "Failed to open file '" + fullPath + "'\n" + fullPath + ": ";
        const size_t at = out.find(message);
        if (row.texel) {
            ASSERT_NE(texture, 0u);
            expectNear(texel(texture), *row.texel, 3);
            EXPECT_EQ(mesh.getTexCount(), row.slot == Diffuse ? 1.0f : 2.0f);
            EXPECT_EQ(at, std::string::npos) << out;
        } else {
            EXPECT_EQ(texture, 0u);
            EXPECT_EQ(mesh.getTexCount(), row.slot == Diffuse ? 0.0f : 1.0f);
            ASSERT_NE(at, std::string::npos) << out;
            const size_t from = at + message.size();
            const std::string reason = out.substr(from, out.find('\n', from) - from);
            EXPECT_NE(reason.find(row.reason), std::string::npos) << reason;
        }
    }
}

TEST_F(Import, EmbeddedTexturesAreRefused) {
    SceneBuilder b;
    b.root({"root", {}, {}, {{"a", {b.square(b.material({.name = "a"}))}}}});
    auto scene = b.build();
    scene->mNumTextures = 1;
    scene->mTextures = new aiTexture*[1]{new aiTexture};
    ::testing::internal::CaptureStdout();
    EXPECT_FALSE(loader_.loadTextures(scene.get(), textureFolder()));
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "No Texture was found in that scene\n");
}

TEST_F(Import, MaterialsAreSharedByNameWithTheFirstColoursAndDefaultsForMissingKeys) {
    SceneBuilder b;
    const unsigned first = b.material({.name = "bark", .diffuse = aiColor4D(0.1f, 0.2f, 0.3f, 1.0f),
                                       .ambient = aiColor4D(0.4f, 0.4f, 0.4f, 1.0f), .shininess = 12.0f});
    const unsigned second = b.material({.name = "bark", .diffuse = aiColor4D(0.9f, 0.9f, 0.9f, 1.0f)});
    const unsigned bare = b.material({.name = "bare"});
    b.root({"root", {}, {}, {{"one", {b.square(first)}}, {"two", {b.square(second)}},
                              {"three", {b.square(bare)}}}});
    auto scene = b.build();
    Level* level = importInMemory(*scene);
    const auto objects = level->getOpaqueObjects();
    ASSERT_EQ(objects.size(), 3u);
    ASSERT_EQ(level->getMaterials().size(), 2u);
    Material* bark = byName(objects, "one")->getMaterial();
    EXPECT_EQ(byName(objects, "two")->getMaterial(), bark);
    EXPECT_EQ(bark->diffuse, glm::vec4(0.1f, 0.2f, 0.3f, 1.0f));
    EXPECT_EQ(bark->shininess, 12.0f);
    Material* defaults = byName(objects, "three")->getMaterial();
    EXPECT_EQ(defaults->getName(), "bare");
    EXPECT_EQ(defaults->diffuse, glm::vec4(0.8f, 0.8f, 0.8f, 1.0f));
    EXPECT_EQ(defaults->ambient, glm::vec4(0.2f, 0.2f, 0.2f, 1.0f));
    EXPECT_EQ(defaults->specular, glm::vec4(0.0f, 0.0f, 0.0f, 1.0f));
    EXPECT_EQ(defaults->emissive, glm::vec4(0.0f, 0.0f, 0.0f, 1.0f));
    EXPECT_EQ(defaults->shininess, 0.0f);
}

TEST_F(Import, PlacementAccumulatesOnlyThroughAncestorsThatMadeObjects) {
    SceneBuilder b;
    const unsigned m = b.material({.name = "m"});
    b.root({"root", {}, {}, {
        {"group", {}, {0, 7, 0}, {{"fireplace", {b.square(m)}, {0, 0, 0}}}},
        {"dock", {b.square(m)}, {5, 0, 0}, {{"post", {b.square(m)}, {1, 0, 0}}}},
    }});
    Level* level = importCollada(b, false);
    ASSERT_NE(level, nullptr);
    ImportObject* fire = byName(level->getSecondaryObjects(), "fireplace");
    ImportObject* dock = byName(level->getOpaqueObjects(), "dock");
    ImportObject* post = byName(level->getOpaqueObjects(), "post");
    ASSERT_TRUE(fire && dock && post);
    EXPECT_EQ(glm::vec3(fire->modelMatrix[3]), glm::vec3(0, 0, 0)) << "the mesh-less group is skipped";
    EXPECT_EQ(glm::vec3(post->modelMatrix[3]), glm::vec3(6, 0, 0));
    EXPECT_EQ(post->getParent(), dock);
    ASSERT_EQ(dock->getChildren().size(), 1u);
    EXPECT_EQ(dock->getChildren()[0], post);
    // The bounding sphere is taken under the node's own matrix.
    EXPECT_EQ(post->mesh->getCenter(), glm::vec3(1.5f, 0.5f, 0.0f));
}

TEST_F(Import, MeshesWithoutTexturesCarryTheLastOnesWithCountZero) {
    SceneBuilder b;
    const unsigned textured = b.material({.name = "t", .diffuseTexture = "d.png", .normalTexture = "n.png"});
    const unsigned plain = b.material({.name = "p"});
    const unsigned normalOnly = b.material({.name = "n", .normalTexture = "other.png"});
    b.root({"root", {}, {}, {{"first", {b.square(plain)}}, {"second", {b.square(textured)}},
                              {"third", {b.square(plain)}}, {"fourth", {b.square(normalOnly)}}}});
    auto scene = b.build();
    loader_.diffuseTextures["d.png"] = 11;
    loader_.normalTextures["n.png"] = 12;
    loader_.normalTextures["other.png"] = 13;
    Level* level = importInMemory(*scene);
    const auto objects = level->getOpaqueObjects();
    Mesh* first = byName(objects, "first")->mesh.get();
    EXPECT_EQ(first->getTexCount(), 0.0f);
    EXPECT_EQ(first->getDiffuseTexture(), 0u);
    Mesh* second = byName(objects, "second")->mesh.get();
    EXPECT_EQ(second->getTexCount(), 2.0f);
    EXPECT_EQ(second->getDiffuseTexture(), 11u);
    EXPECT_EQ(second->getNormalTexture(), 12u);
    Mesh* third = byName(objects, "third")->mesh.get();
    EXPECT_EQ(third->getTexCount(), 0.0f);
    EXPECT_EQ(third->getDiffuseTexture(), 11u);
    EXPECT_EQ(third->getNormalTexture(), 12u);
    Mesh* fourth = byName(objects, "fourth")->mesh.get();
    EXPECT_EQ(fourth->getTexCount(), 0.0f) << "a normal map without a diffuse texture is ignored";
    EXPECT_EQ(fourth->getNormalTexture(), 12u);
}

TEST_F(Import, FacesThatAreNotTrianglesAndMissingAttributesAreSafe) {
    SceneBuilder b;
    b.root({"root", {}, {}, {{"bare", {b.bareTriangleAndLine(b.material({.name = "m"}))}}}});
    auto scene = b.build();
    Level* level = importInMemory(*scene);
    ImportObject* bare = byName(level->getOpaqueObjects(), "bare");
    ASSERT_NE(bare, nullptr);
    EXPECT_EQ(bare->getFaceCount(), 1u) << "the line is left out";
    EXPECT_EQ(bare->getTriangleList().size(), 3u);
    const unsigned* indices = bare->getIndices();
    EXPECT_EQ(std::vector<unsigned>(indices, indices + 3), (std::vector<unsigned>{0, 1, 2}));
    GLint size = 0;
    glBindVertexArray(bare->getVao());
    glGetBufferParameteriv(GL_ELEMENT_ARRAY_BUFFER, GL_BUFFER_SIZE, &size);
    glBindVertexArray(0);
    EXPECT_EQ(size, 12);
    // No normals, UVs or tangents in the file: zeros, not leftovers.
    for (int i = 0; i < 9; ++i)
        EXPECT_EQ(bare->getNormals()[i], 0.0f);
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(bare->getUVs()[i], 0.0f);
    for (int i = 0; i < 12; ++i)
        EXPECT_EQ(bare->mesh->getTangents()[i], 0.0f);
    EXPECT_EQ(bare->getPositions()[3], 1.0f);
}

// Each row is a scene file the test writes: the fixed line, then the path and
// the reason, and no scene; or a scene that imports whole.
TEST_F(Import, BadSceneFilesAreReportedOrImportedWhole) {
    // Deeper than a recursive walk of the nodes could go on the call stack.
    constexpr int kDepth = 3000;
    struct Row {
        const char* file;
        std::function<void(const std::string&)> write;
        const char* firstLine; // null: the scene imports
        const char* reason;    // null: the importer's own message
    };
    const Row rows[] = {
        {"absent.dae", [](const std::string&) {}, "Couldn't open file", "No such file or directory"},
        {"garbage.dae", [](const std::string& path) { std::ofstream(path) << "this is not COLLADA"; },
         "Couldn't load File", nullptr},
        {"folder.dae", [](const std::string& path) { std::filesystem::create_directory(path); },
         "Couldn't load File", nullptr},
        {"deep.dae",
         [](const std::string& path) {
             SceneBuilder b;
             b.root(nodeChain("deep", kDepth, b.square(b.material({.name = "m"}))));
             ASSERT_TRUE(b.exportCollada(path));
         },
         nullptr, nullptr},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.file);
        const std::string path = (dir_ / row.file).string();
        row.write(path);
        ::testing::internal::CaptureStdout();
        const aiScene* scene = loader_.loadScene(path);
        const std::string out = ::testing::internal::GetCapturedStdout();
        if (row.firstLine == nullptr) {
            ASSERT_NE(scene, nullptr) << out;
            Level* level = importInMemory(*scene);
            EXPECT_EQ(level->getOpaqueObjects().size(), static_cast<size_t>(kDepth));
            continue;
        }
        EXPECT_EQ(scene, nullptr);
        const std::string reason = row.reason != nullptr ? row.reason : loader_.importer.GetErrorString();
        EXPECT_FALSE(reason.empty());
        EXPECT_EQ(out, std::string(row.firstLine) + "\n" + path + ": " + reason + "\n");
    }
}

TEST_F(Import, ASceneWithoutCamerasStillHasOne) {
    SceneBuilder b;
    b.root({"root", {}, {}, {{"a", {b.square(b.material({.name = "a"}))}}}});
    ASSERT_NE(importCollada(b, false), nullptr);
    ASSERT_NE(loader_.cameras, nullptr);
    EXPECT_EQ(loader_.cameras->count, 0);
    EXPECT_EQ(loader_.cameras->current()->position, glm::vec3(0.0f));
}

// The importer's tangents: made orthogonal to the normal (not normalised
// again), with w = -1 where the bitangent points against normal x tangent.
TEST_F(Import, TangentsAreOrthogonalisedWithTheirHandedness) {
    SceneBuilder b;
    const unsigned m = b.material({.name = "m"});
    b.root({"root", {}, {}, {{"right", {b.square(m)}}, {"left", {b.square(m)}}}});
    auto scene = b.build();
    for (unsigned i = 0; i < 2; ++i) {
        aiMesh* mesh = scene->mMeshes[i];
        mesh->mTangents = new aiVector3D[4];
        mesh->mBitangents = new aiVector3D[4];
        for (unsigned v = 0; v < 4; ++v) {
            mesh->mTangents[v] = aiVector3D(2, 0, 1); // leans towards the normal (0, 0, 1)
            mesh->mBitangents[v] = aiVector3D(0, i == 0 ? 1.0f : -1.0f, 0);
        }
    }
    Level* level = importInMemory(*scene);
    const float lean = 2.0f / std::sqrt(5.0f);
    for (const auto& [name, w] : {std::pair{"right", 1.0f}, std::pair{"left", -1.0f}}) {
        SCOPED_TRACE(name);
        const float* t = byName(level->getOpaqueObjects(), name)->mesh->getTangents();
        for (int v = 0; v < 4; ++v) {
            EXPECT_NEAR(t[v * 4 + 0], lean, 1e-6f);
            EXPECT_NEAR(t[v * 4 + 1], 0.0f, 1e-6f);
            EXPECT_NEAR(t[v * 4 + 2], 0.0f, 1e-6f);
            EXPECT_EQ(t[v * 4 + 3], w);
        }
    }
}
