#include "render/ImageFile.h"

#include <FreeImage.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <system_error>
#include <thread>

namespace rtr {

void FreeImageUnload::operator()(FIBITMAP* bitmap) const { FreeImage_Unload(bitmap); }

namespace {

// FreeImage says why a load failed only through its message callback, on
// the thread of the load; the last message of the current load is the
// reason given for it.
thread_local std::string lastFreeImageMessage;

void keepFreeImageMessage(FREE_IMAGE_FORMAT, const char* message) {
    lastFreeImageMessage = message != nullptr ? message : "";
}

std::string unreadable(FREE_IMAGE_FORMAT format) {
    if (!lastFreeImageMessage.empty())
        return lastFreeImageMessage;
    return std::string("not a readable ") + FreeImage_GetFormatFromFIF(format) + " image";
}

// The system's reason when the file cannot be read at all (missing, a
// folder, no permission); empty when it can.
std::string fileProblem(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr)
        return std::strerror(errno);
    std::fgetc(file);
    const int error = std::ferror(file) ? errno : 0;
    std::fclose(file);
    return error != 0 ? std::strerror(error) : "";
}

BYTE toByte(float value) {
    if (!(value > 0.0f)) // NaN too
        return 0;
    return static_cast<BYTE>(std::lround(std::min(value, 1.0f) * 255.0f));
}

// Floating-point images (HDR, EXR, PFM, float TIFF) hold colours with 1.0 as
// full intensity; brighter values are clipped.
Bitmap clippedToBytes(FIBITMAP* source) {
    Bitmap rgba(FreeImage_ConvertToRGBAF(source));
    if (rgba == nullptr)
        return nullptr;
    const unsigned width = FreeImage_GetWidth(rgba.get()), height = FreeImage_GetHeight(rgba.get());
    Bitmap result(FreeImage_Allocate(static_cast<int>(width), static_cast<int>(height), 32));
    if (result == nullptr)
        return nullptr;
    for (unsigned y = 0; y < height; ++y) {
        const auto* in = reinterpret_cast<const FIRGBAF*>(FreeImage_GetScanLine(rgba.get(), static_cast<int>(y)));
        BYTE* out = FreeImage_GetScanLine(result.get(), static_cast<int>(y));
        for (unsigned x = 0; x < width; ++x, out += 4) {
            out[FI_RGBA_RED] = toByte(in[x].red);
            out[FI_RGBA_GREEN] = toByte(in[x].green);
            out[FI_RGBA_BLUE] = toByte(in[x].blue);
            out[FI_RGBA_ALPHA] = toByte(in[x].alpha);
        }
    }
    return result;
}

// Any pixel type to 32-bit BGRA. FreeImage's 32-bit conversion takes only
// 8-bit-per-channel bitmaps and 16-bit RGB(A); 16-bit grey goes through
// 16-bit RGB, which keeps its high bytes, and the remaining integer types are
// scaled to 8 bits over their range.
Bitmap toBgra32(FIBITMAP* source) {
    switch (FreeImage_GetImageType(source)) {
    case FIT_BITMAP:
    case FIT_RGB16:
    case FIT_RGBA16:
        return Bitmap(FreeImage_ConvertTo32Bits(source));
    case FIT_UINT16: {
        Bitmap rgb(FreeImage_ConvertToRGB16(source));
        return rgb != nullptr ? Bitmap(FreeImage_ConvertTo32Bits(rgb.get())) : nullptr;
    }
    case FIT_FLOAT:
    case FIT_RGBF:
    case FIT_RGBAF:
        return clippedToBytes(source);
    default: {
        Bitmap standard(FreeImage_ConvertToType(source, FIT_BITMAP, TRUE));
        return standard != nullptr ? Bitmap(FreeImage_ConvertTo32Bits(standard.get())) : nullptr;
    }
    }
}

DecodedImage refused(std::string reason) {
    DecodedImage image;
    image.reason = std::move(reason);
    return image;
}

} // namespace

DecodedImage decodeImage(const std::string& path, int maxSize) {
    static const bool messagesKept = (FreeImage_SetOutputMessage(keepFreeImageMessage), true);
    (void)messagesKept;
    if (std::string problem = fileProblem(path); !problem.empty())
        return refused(std::move(problem));

    FREE_IMAGE_FORMAT format = FreeImage_GetFileType(path.c_str(), 0);
    if (format == FIF_UNKNOWN)
        format = FreeImage_GetFIFFromFilename(path.c_str());
    if (format == FIF_UNKNOWN || !FreeImage_FIFSupportsReading(format))
        return refused("its image type cannot be told from its content or its name");
    if (!FreeImage_FIFSupportsNoPixels(format))
        return refused(std::string(FreeImage_GetFormatFromFIF(format)) +
                       " images cannot have their size checked before decoding; use PNG or JPEG");

    lastFreeImageMessage.clear();
    unsigned width = 0, height = 0;
    {
        const Bitmap header(FreeImage_Load(format, path.c_str(), FIF_LOAD_NOPIXELS));
        if (header == nullptr)
            return refused(unreadable(format));
        width = FreeImage_GetWidth(header.get());
        height = FreeImage_GetHeight(header.get());
    }
    const auto limit = static_cast<unsigned>(std::max(maxSize, 0));
    if (width > limit || height > limit)
        return refused(std::to_string(width) + " x " + std::to_string(height) + " pixels, more than the " +
                       std::to_string(limit) + " this driver takes in either direction");

    const Bitmap loaded(FreeImage_Load(format, path.c_str(), 0));
    if (loaded == nullptr || !FreeImage_HasPixels(loaded.get()))
        return refused(unreadable(format));
    DecodedImage image;
    image.bitmap = toBgra32(loaded.get());
    if (image.bitmap == nullptr)
        return refused("its pixel type has no colour form");
    image.width = FreeImage_GetWidth(image.bitmap.get());
    image.height = FreeImage_GetHeight(image.bitmap.get());
    return image;
}

std::vector<MipLevel> halvedLevels(const unsigned char* bgra, unsigned width, unsigned height, unsigned pitch) {
    std::vector<MipLevel> levels;
    const unsigned char* above = bgra;
    unsigned aboveWidth = width, aboveHeight = height, abovePitch = pitch;
    while (above != nullptr && (aboveWidth > 1 || aboveHeight > 1)) {
        MipLevel level;
        level.width = std::max(aboveWidth / 2, 1u);
        level.height = std::max(aboveHeight / 2, 1u);
        level.bytes.resize(std::size_t{level.width} * level.height * 4);
        const auto mean = [](unsigned a, unsigned b) { return (a + b + 1) / 2; };
        for (unsigned y = 0; y < level.height; ++y) {
            const unsigned char* lower = above + std::size_t{std::min(2 * y, aboveHeight - 1)} * abovePitch;
            const unsigned char* upper = above + std::size_t{std::min(2 * y + 1, aboveHeight - 1)} * abovePitch;
            unsigned char* out = level.bytes.data() + std::size_t{y} * level.width * 4;
            for (unsigned x = 0; x < level.width; ++x) {
                const std::size_t left = std::size_t{std::min(2 * x, aboveWidth - 1)} * 4;
                const std::size_t right = std::size_t{std::min(2 * x + 1, aboveWidth - 1)} * 4;
                for (std::size_t c = 0; c < 4; ++c)
                    out[4 * x + c] = static_cast<unsigned char>(
                        mean(mean(lower[left + c], lower[right + c]), mean(upper[left + c], upper[right + c])));
            }
        }
        levels.push_back(std::move(level));
        above = levels.back().bytes.data();
        aboveWidth = levels.back().width;
        aboveHeight = levels.back().height;
        abovePitch = aboveWidth * 4;
    }
    return levels;
}

ImageDecodeQueue::ImageDecodeQueue(std::vector<std::string> paths, int maxSize, bool mipmaps)
    : ImageDecodeQueue(std::move(paths), [maxSize, mipmaps](const std::string& path) {
          DecodedImage image = decodeImage(path, maxSize);
          if (mipmaps && image.bitmap != nullptr)
              image.mipLevels = halvedLevels(FreeImage_GetBits(image.bitmap.get()), image.width, image.height,
                                             FreeImage_GetPitch(image.bitmap.get()));
          return image;
      }) {}

ImageDecodeQueue::ImageDecodeQueue(std::vector<std::string> paths, Decoder decode)
    : paths_(std::move(paths)), decode_(std::move(decode)),
      ahead_(std::max<std::size_t>(2, std::thread::hardware_concurrency())), decoded_(paths_.size()) {
    for (std::size_t i = 0; i < std::min(ahead_, paths_.size()); ++i)
        start(i);
}

void ImageDecodeQueue::start(std::size_t index) {
    if (paths_[index].empty())
        return;
    try {
        decoded_[index] = std::async(std::launch::async, decode_, paths_[index]);
    } catch (const std::system_error&) {
        // No thread to be had: next() decodes the file itself.
    }
}

DecodedImage ImageDecodeQueue::next() {
    const std::size_t index = nextIndex_++;
    if (index + ahead_ < paths_.size())
        start(index + ahead_);
    if (index >= paths_.size() || paths_[index].empty())
        return {};
    if (decoded_[index].valid()) {
        try {
            return decoded_[index].get();
        } catch (const std::exception&) {
            // What failed on a worker (memory held by the other workers'
            // images, say) may well succeed here, alone.
        }
    }
    return decode_(paths_[index]);
}

void reportImageFailure(const std::string& path, const std::string& reason) {
    std::cout << "Failed to open file '" << path << "'" << std::endl;
    std::cout << path << ": " << reason << std::endl;
}

} // namespace rtr
