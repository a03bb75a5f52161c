#include "ImageFile.h"

#include <FreeImage.h>

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>

namespace assetgen {

namespace {

struct BitmapDeleter {
    void operator()(FIBITMAP* bitmap) const { FreeImage_Unload(bitmap); }
};
using Bitmap = std::unique_ptr<FIBITMAP, BitmapDeleter>;

std::uint8_t toByte(float value) {
    return static_cast<std::uint8_t>(std::lround(std::clamp(value, 0.0f, 1.0f) * 255.0f));
}

Bitmap toBitmap(const Image& image, int bitsPerPixel) {
    Bitmap bitmap(FreeImage_Allocate(image.width(), image.height(), bitsPerPixel));
    if (!bitmap) throw std::runtime_error("FreeImage could not allocate a bitmap");
    const int bytesPerPixel = bitsPerPixel / 8;
    for (int y = 0; y < image.height(); ++y) {
        BYTE* row = FreeImage_GetScanLine(bitmap.get(), y);
        for (int x = 0; x < image.width(); ++x) {
            const glm::vec4& texel = image.at(x, y);
            BYTE* pixel = row + x * bytesPerPixel;
            pixel[FI_RGBA_RED] = toByte(texel.r);
            pixel[FI_RGBA_GREEN] = toByte(texel.g);
            pixel[FI_RGBA_BLUE] = toByte(texel.b);
            if (bytesPerPixel == 4) pixel[FI_RGBA_ALPHA] = toByte(texel.a);
        }
    }
    return bitmap;
}

void save(FREE_IMAGE_FORMAT format, const Bitmap& bitmap, const std::filesystem::path& path, int flags) {
    std::filesystem::create_directories(path.parent_path());
    if (!FreeImage_Save(format, bitmap.get(), path.string().c_str(), flags))
        throw std::runtime_error("FreeImage could not write " + path.string());
}

} // namespace

void writePng(const Image& image, const std::filesystem::path& path, PngChannels channels) {
    const Bitmap bitmap = toBitmap(image, channels == PngChannels::Rgba ? 32 : 24);
    save(FIF_PNG, bitmap, path, PNG_Z_DEFAULT_COMPRESSION);
}

void writeJpeg(const Image& image, const std::filesystem::path& path, int quality) {
    const Bitmap bitmap = toBitmap(image, 24);
    save(FIF_JPEG, bitmap, path, quality | JPEG_OPTIMIZE);
}

Image readImage(const std::filesystem::path& path) {
    const std::string name = path.string();
    FREE_IMAGE_FORMAT format = FreeImage_GetFileType(name.c_str(), 0);
    if (format == FIF_UNKNOWN) format = FreeImage_GetFIFFromFilename(name.c_str());
    Bitmap loaded(FreeImage_Load(format, name.c_str(), 0));
    if (!loaded) throw std::runtime_error("FreeImage could not read " + name);
    Bitmap converted(FreeImage_ConvertTo32Bits(loaded.get()));
    Image image(static_cast<int>(FreeImage_GetWidth(converted.get())),
                static_cast<int>(FreeImage_GetHeight(converted.get())));
    for (int y = 0; y < image.height(); ++y) {
        const BYTE* row = FreeImage_GetScanLine(converted.get(), y);
        for (int x = 0; x < image.width(); ++x) {
            const BYTE* pixel = row + x * 4;
            image.at(x, y) = glm::vec4(pixel[FI_RGBA_RED], pixel[FI_RGBA_GREEN], pixel[FI_RGBA_BLUE],
                                       pixel[FI_RGBA_ALPHA]) / 255.0f;
        }
    }
    return image;
}

} // namespace assetgen
