// Image files become 32-bit textures whatever their depth or type, rows
// bottom-up as FreeImage holds them; bad files (lying headers, folders,
// unknown types) print the loader's two lines and leave the new texture
// bound; a cube map stops at its first missing or mis-sized face; mip
// levels made on the CPU are the ones the driver would make; the decoding
// queue decodes on the calling thread what its workers could not.

#include "render/ImageFile.h"
#include "render/TextureLoader.h"
#include "support/GLTestContext.h"
#include "support/HostileFiles.h"

#include <FreeImage.h>
#include <gtest/gtest.h>
#include <pthread.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <new>
#include <optional>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

using namespace testing_support;

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

TEST_F(Textures, TheDecodingQueueDecodesOnTheCallingThreadWhatNoWorkerCould) {
    const std::string path = writeImage("queued.png", 32);
    // Workers that throw (short of memory beside the other workers, say):
    // each file is decoded here instead, in order.
    const std::thread::id caller = std::this_thread::get_id();
    rtr::ImageDecodeQueue throwing({path, "", path}, [caller](const std::string& file) {
        if (std::this_thread::get_id() != caller)
            throw std::bad_alloc();
        return rtr::decodeImage(file, 64);
    });
    for (const bool image : {true, false, true})
        EXPECT_EQ(throwing.next().bitmap != nullptr, image);

    // No thread to be had: with a default stack larger than the address
    // space, every thread creation fails.
    struct DefaultStack {
        pthread_attr_t saved;
        DefaultStack() {
            pthread_getattr_default_np(&saved);
            pthread_attr_t huge;
            pthread_getattr_default_np(&huge);
            pthread_attr_setstacksize(&huge, std::size_t{1} << 48);
            pthread_setattr_default_np(&huge);
            pthread_attr_destroy(&huge);
        }
        ~DefaultStack() {
            pthread_setattr_default_np(&saved);
            pthread_attr_destroy(&saved);
        }
    };
    rtr::DecodedImage image;
    {
        DefaultStack noThreads;
        ASSERT_THROW(std::thread([] {}).join(), std::system_error);
        rtr::ImageDecodeQueue unstarted({path}, 64);
        image = unstarted.next();
    }
    EXPECT_EQ(image.width, 3u);
    EXPECT_EQ(image.height, 2u);
}

TEST_F(Textures, MissingFilePrintsTheMessageAndKeepsTheNewTextureBound) {
    const std::string path = (dir_ / "absent.png").string();
    GLuint texture = 12345;
    ::testing::internal::CaptureStdout();
    const bool loaded = loadTexture2D(path, texture);
    const std::string out = ::testing::internal::GetCapturedStdout();
    EXPECT_FALSE(loaded);
    EXPECT_EQ(out, "Failed to open file '" + path + "'\n" + path + ": No such file or directory\n");
    EXPECT_EQ(texture, 12345u) << "the out-parameter must be left untouched";
    const GLint bound = boundTexture(GL_TEXTURE_BINDING_2D);
    EXPECT_NE(bound, 0);
    EXPECT_EQ(glIsTexture(static_cast<GLuint>(bound)), GL_TRUE);
}

// Each row is a file the test writes, and what loading it must give: a
// texture of one colour, or the two lines with the reason and no texture.
TEST_F(Textures, BadAndUnusualFilesGiveAnImageOrAReason) {
    struct Row {
        const char* file;
        std::function<void(const std::string&)> write;
        std::optional<Bgra> texel;                     // loaded, every texel this colour
        const char* reason;                            // or refused with this in the second line
    };
    const auto text = [](const std::string& path) { std::ofstream(path) << "this is not a picture"; };
    const Row rows[] = {
        {"folder.png", [](const std::string& path) { std::filesystem::create_directory(path); }, {},
         "Is a directory"},
        {"noise.png", text, {}, "PNG"},
        {"no-extension", text, {}, "its image type cannot be told from its content or its name"},
        {"huge.png", [](const std::string& path) { writeLyingPng(path, 60000, 60000); }, {},
         "60000 x 60000 pixels, more than the "},
        {"wide.jpg", [](const std::string& path) { writeLyingJpeg(path, 65000, 8); }, {},
         "65000 x 8 pixels, more than the "},
        {"animation.gif", [](const std::string& path) { testing_support::writeImage(path, 2, 2, {1, 2, 3, 0}, FIF_GIF, 8); }, {},
         "GIF images cannot have their size checked before decoding"},
        {"grey16.png", [](const std::string& path) { writeGrey16Png(path, 3, 2, 0x8091); }, Bgra{0x80, 0x80, 0x80, 255},
         nullptr},
        {"bright.hdr",
         [](const std::string& path) {
             FIBITMAP* hdr = FreeImage_AllocateT(FIT_RGBF, 3, 2);
             for (int y = 0; y < 2; ++y)
                 for (int x = 0; x < 3; ++x)
                     reinterpret_cast<FIRGBF*>(FreeImage_GetScanLine(hdr, y))[x] = FIRGBF{4.0f, 0.5f, 0.0f};
             EXPECT_TRUE(FreeImage_Save(FIF_HDR, hdr, path.c_str(), 0));
             FreeImage_Unload(hdr);
         },
         Bgra{0, 128, 255, 255}, nullptr},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.file);
        const std::string path = (dir_ / row.file).string();
        row.write(path);
        GLuint texture = 0;
        ::testing::internal::CaptureStdout();
        const bool loaded = loadTexture2D(path, texture);
        const std::string out = ::testing::internal::GetCapturedStdout();
        if (row.texel) {
            ASSERT_TRUE(loaded) << out;
            EXPECT_EQ(out, "");
            const auto texels = readTexture(GL_TEXTURE_2D);
            for (const Bgra& t : texels)
                EXPECT_EQ(t, *row.texel);
            glDeleteTextures(1, &texture);
            continue;
        }
        EXPECT_FALSE(loaded);
        const std::string first = "Failed to open file '" + path + "'\n";
        ASSERT_EQ(out.substr(0, first.size()), first);
        const std::string second = out.substr(first.size());
        EXPECT_EQ(second.rfind(path + ": ", 0), 0u) << second;
        EXPECT_NE(second.find(row.reason), std::string::npos) << second;
        GLint bound = 0;
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
        glDeleteTextures(1, reinterpret_cast<GLuint*>(&bound));
    }
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
    EXPECT_EQ(out, "Failed to open file '" + paths[2] + "'\n" + paths[2] + ": No such file or directory\n")
        << "only the first failure is reported";
    EXPECT_NE(boundTexture(GL_TEXTURE_BINDING_CUBE_MAP), 0);
    for (GLenum i = 0; i < 2; ++i)
        EXPECT_EQ(levelParameter(GL_TEXTURE_CUBE_MAP_POSITIVE_X + i, GL_TEXTURE_WIDTH), width_) << i;
    for (GLenum i = 2; i < 6; ++i)
        EXPECT_EQ(levelParameter(GL_TEXTURE_CUBE_MAP_POSITIVE_X + i, GL_TEXTURE_WIDTH), 0)
            << "face " << i << " must not be tried";
}

TEST_F(Textures, CubeMapNamesAFaceOfAnotherSize) {
    std::array<std::string, 6> paths;
    for (int i = 0; i < 6; ++i) {
        paths[i] = (dir_ / ("face" + std::to_string(i) + ".png")).string();
        testing_support::writeImage(paths[i], i == 3 ? 4 : 2, i == 3 ? 4 : 2, {10, 20, 30, 255});
    }
    GLuint cube = 0;
    ::testing::internal::CaptureStdout();
    EXPECT_FALSE(loadTextureCube(paths, cube));
    EXPECT_EQ(::testing::internal::GetCapturedStdout(),
              "Failed to open file '" + paths[3] + "'\n" + paths[3] +
                  ": face -Y is 4 x 4 pixels, face +X 2 x 2 pixels; the six faces must be square and of one size\n");
    EXPECT_EQ(levelParameter(GL_TEXTURE_CUBE_MAP_POSITIVE_X + 3, GL_TEXTURE_WIDTH), 0);
}

TEST_F(Textures, MipLevelsMadeOnTheCpuAreTheDriversOwn) {
    // The scene's textures get their mip levels from the decoding workers
    // instead of glGenerateMipmap; the driver's would have been these,
    // texel for texel, down to 1 x 1 (sides of 1 included).
    for (const auto& [width, height] : {std::pair{64u, 32u}, std::pair{2u, 16u}}) {
        std::vector<unsigned char> texels(std::size_t{width} * height * 4);
        for (std::size_t i = 0; i < texels.size(); ++i)
            texels[i] = static_cast<unsigned char>((i * 7919u + i / 5 * 31u) % 251u);
        const std::vector<rtr::MipLevel> levels = rtr::halvedLevels(texels.data(), width, height, width * 4);
        GLuint texture = 0;
        glGenTextures(1, &texture);
        glBindTexture(GL_TEXTURE_2D, texture);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, static_cast<GLsizei>(width), static_cast<GLsizei>(height), 0, GL_BGRA,
                     GL_UNSIGNED_BYTE, texels.data());
        glGenerateMipmap(GL_TEXTURE_2D);
        ASSERT_EQ(levels.size(), static_cast<std::size_t>(std::log2(std::max(width, height))));
        for (std::size_t level = 0; level < levels.size(); ++level) {
            std::vector<unsigned char> driver(levels[level].bytes.size());
            glGetTexImage(GL_TEXTURE_2D, static_cast<GLint>(level + 1), GL_BGRA, GL_UNSIGNED_BYTE, driver.data());
            EXPECT_EQ(levels[level].bytes, driver) << width << " x " << height << ", level " << level + 1;
        }
        glDeleteTextures(1, &texture);
    }
}
