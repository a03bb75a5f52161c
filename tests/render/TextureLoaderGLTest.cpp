// Image files become 32-bit textures whatever their depth, rows bottom-up as
// FreeImage holds them; failures print the loader's line and leave the new
// texture bound; a cube map stops at its first missing face.

#include "render/TextureLoader.h"
#include "support/GLTestContext.h"

#include <FreeImage.h>
#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <vector>

using testing_support::GLTestContext;

namespace {

struct Bgra {
    uint8_t b, g, r, a;
    bool operator==(const Bgra&) const = default;
};

// Distinct colours for FreeImage pixel (x, y), y = 0 being the bottom row.
Bgra colourAt(int x, int y) {
    return {static_cast<uint8_t>(40 + 60 * x), static_cast<uint8_t>(20 + 100 * y),
            static_cast<uint8_t>(200 - 50 * x - 30 * y), static_cast<uint8_t>(255 - 70 * x - 20 * y)};
}

class Textures : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(context_.ok());
        dir_ = std::filesystem::temp_directory_path() /
               ("thalvek-textures-" + std::to_string(::getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(dir_);
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }

    // A width_ x height_ image of the given depth: 24 and 32 bits hold
    // colourAt (alpha only at 32), 8 bits uses a palette of those colours.
    std::string writeImage(const std::string& name, int bpp, FREE_IMAGE_FORMAT format = FIF_PNG) {
        const int kWidth = width_, kHeight = height_;
        FIBITMAP* bitmap = FreeImage_Allocate(kWidth, kHeight, bpp);
        if (bpp == 8) {
            RGBQUAD* palette = FreeImage_GetPalette(bitmap);
            for (int y = 0; y < kHeight; ++y)
                for (int x = 0; x < kWidth; ++x) {
                    const Bgra c = colourAt(x, y);
                    const BYTE index = static_cast<BYTE>(y * kWidth + x);
                    palette[index] = RGBQUAD{c.b, c.g, c.r, 0};
                    BYTE i = index;
                    FreeImage_SetPixelIndex(bitmap, x, y, &i);
                }
        } else {
            for (int y = 0; y < kHeight; ++y)
                for (int x = 0; x < kWidth; ++x) {
                    const Bgra c = colourAt(x, y);
                    RGBQUAD q{c.b, c.g, c.r, c.a};
                    FreeImage_SetPixelColor(bitmap, x, y, &q);
                }
        }
        const std::string path = (dir_ / name).string();
        EXPECT_TRUE(FreeImage_Save(format, bitmap, path.c_str(), 0));
        FreeImage_Unload(bitmap);
        return path;
    }

    std::vector<Bgra> readTexture(GLenum target) {
        const int kWidth = width_, kHeight = height_;
        std::vector<Bgra> texels(kWidth * kHeight);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glGetTexImage(target, 0, GL_BGRA, GL_UNSIGNED_BYTE, texels.data());
        return texels;
    }

    static GLint levelParameter(GLenum target, GLenum parameter) {
        GLint value = 0;
        glGetTexLevelParameteriv(target, 0, parameter, &value);
        return value;
    }

    void expectTexels(GLenum target, bool withAlpha) {
        const int kWidth = width_, kHeight = height_;
        EXPECT_EQ(levelParameter(target, GL_TEXTURE_WIDTH), kWidth);
        EXPECT_EQ(levelParameter(target, GL_TEXTURE_HEIGHT), kHeight);
        EXPECT_EQ(levelParameter(target, GL_TEXTURE_INTERNAL_FORMAT), GL_RGBA8);
        const auto texels = readTexture(target);
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x) {
                Bgra expected = colourAt(x, y);
                if (!withAlpha)
                    expected.a = 255;
                EXPECT_EQ(texels[y * kWidth + x], expected) << "texel " << x << ", " << y;
            }
    }

    // Not square, so a transposed upload would show; cube faces must be.
    int width_ = 3;
    int height_ = 2;
    GLTestContext context_{32, 32};
    std::filesystem::path dir_;
};

GLint boundTexture(GLenum binding) {
    GLint name = 0;
    glGetIntegerv(binding, &name);
    return name;
}

} // namespace

TEST_F(Textures, EveryDepthUploadsAsFourChannelsBottomUp) {
    for (auto [bpp, format, alpha] : {std::tuple{24, FIF_PNG, false}, std::tuple{24, FIF_BMP, false},
                                      std::tuple{8, FIF_PNG, false}, std::tuple{32, FIF_PNG, true}}) {
        SCOPED_TRACE(std::to_string(bpp) + " bits, format " + std::to_string(format));
        const std::string path = writeImage("image" + std::to_string(bpp) + "-" + std::to_string(format) +
                                                (format == FIF_PNG ? ".png" : ".bmp"),
                                            bpp, format);
        GLuint texture = 0;
        ASSERT_TRUE(loadTexture2D(path, texture));
        EXPECT_NE(texture, 0u);
        EXPECT_EQ(boundTexture(GL_TEXTURE_BINDING_2D), static_cast<GLint>(texture));
        expectTexels(GL_TEXTURE_2D, alpha);
        glDeleteTextures(1, &texture);
    }
}

TEST_F(Textures, MissingFilePrintsTheMessageAndKeepsTheNewTextureBound) {
    const std::string path = (dir_ / "absent.png").string();
    GLuint texture = 12345;
    ::testing::internal::CaptureStdout();
    const bool loaded = loadTexture2D(path, texture);
    const std::string out = ::testing::internal::GetCapturedStdout();
    EXPECT_FALSE(loaded);
    EXPECT_EQ(out, "Failed to open file '" + path + "'\n");
    EXPECT_EQ(texture, 12345u) << "the out-parameter must be left untouched";
    const GLint bound = boundTexture(GL_TEXTURE_BINDING_2D);
    EXPECT_NE(bound, 0);
    EXPECT_EQ(glIsTexture(static_cast<GLuint>(bound)), GL_TRUE);
}

TEST_F(Textures, NotAnImageIsAFailureToo) {
    const std::string path = (dir_ / "noise.png").string();
    std::ofstream(path) << "this is not a picture";
    GLuint texture = 0;
    ::testing::internal::CaptureStdout();
    EXPECT_FALSE(loadTexture2D(path, texture));
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "Failed to open file '" + path + "'\n");
}

TEST_F(Textures, CubeMapUploadsSixFacesInOrder) {
    width_ = height_ = 2;
    std::array<std::string, 6> paths;
    for (int i = 0; i < 6; ++i)
        paths[i] = writeImage("face" + std::to_string(i) + ".png", 32);
    GLuint cube = 0;
    ASSERT_TRUE(loadTextureCube(paths, cube));
    EXPECT_EQ(boundTexture(GL_TEXTURE_BINDING_CUBE_MAP), static_cast<GLint>(cube));
    for (GLenum i = 0; i < 6; ++i) {
        SCOPED_TRACE(i);
        expectTexels(GL_TEXTURE_CUBE_MAP_POSITIVE_X + i, true);
    }
}

TEST_F(Textures, CubeMapStopsAtTheFirstMissingFace) {
    width_ = height_ = 2;
    std::array<std::string, 6> paths;
    for (int i = 0; i < 6; ++i)
        paths[i] = writeImage("face" + std::to_string(i) + ".png", 24);
    paths[2] = (dir_ / "missing-third.png").string();
    paths[4] = (dir_ / "missing-fifth.png").string();

    GLuint cube = 777;
    ::testing::internal::CaptureStdout();
    const bool loaded = loadTextureCube(paths, cube);
    const std::string out = ::testing::internal::GetCapturedStdout();
    EXPECT_FALSE(loaded);
    EXPECT_EQ(cube, 777u);
    EXPECT_EQ(out, "Failed to open file '" + paths[2] + "'\n") << "only the first failure is reported";
    EXPECT_NE(boundTexture(GL_TEXTURE_BINDING_CUBE_MAP), 0);
    for (GLenum i = 0; i < 2; ++i)
        EXPECT_EQ(levelParameter(GL_TEXTURE_CUBE_MAP_POSITIVE_X + i, GL_TEXTURE_WIDTH), width_) << i;
    for (GLenum i = 2; i < 6; ++i)
        EXPECT_EQ(levelParameter(GL_TEXTURE_CUBE_MAP_POSITIVE_X + i, GL_TEXTURE_WIDTH), 0)
            << "face " << i << " must not be tried";
}
