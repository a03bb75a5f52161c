#pragma once
// Image files read for textures without trusting them. The header is read
// first (FreeImage can load an image without its pixels), so a file that
// claims more pixels than the driver can hold is refused before any memory
// goes to it. What passes is decoded and converted to the one layout every
// upload here takes: 32 bits per pixel, bytes B, G, R, A, rows bottom-up as
// FreeImage holds them, whatever the file's bit depth or colour type. A
// batch of files can be decoded on worker threads while the GL thread
// uploads (ImageDecodeQueue).

#include <cstddef>
#include <functional>
#include <future>
#include <memory>
#include <string>
#include <vector>

struct FIBITMAP;

namespace rtr {

struct FreeImageUnload {
    void operator()(FIBITMAP* bitmap) const;
};
using Bitmap = std::unique_ptr<FIBITMAP, FreeImageUnload>;

// One mip level below the image: tightly packed BGRA rows, bottom-up.
struct MipLevel {
    unsigned width = 0;
    unsigned height = 0;
    std::vector<unsigned char> bytes;
};

struct DecodedImage {
    Bitmap bitmap; // 32-bit BGRA; null when the file gave no image
    unsigned width = 0;
    unsigned height = 0;
    std::string reason; // why there is no image, for reportImageFailure
    std::vector<MipLevel> mipLevels; // levels 1 to 1 x 1, when asked for
};

// The mip levels below a 32-bit image, each half the size of the one above
// (rounded down, at least 1), down to 1 x 1. A texel is the mean of the
// 2 x 2 texels above it, each row's pair first and rounded up at each halving,
// as Mesa's glGenerateMipmap on llvmpipe rounds, so the textures come out the
// same; along a side of odd length the last texel of each pair repeats.
std::vector<MipLevel> halvedLevels(const unsigned char* bgra, unsigned width, unsigned height, unsigned pitch);

// The image at `path`, refused when either side is above `maxSize` pixels.
// Formats whose size FreeImage cannot read before decoding (GIF, DDS and a
// few rare ones) are refused too: their memory could not be bounded.
DecodedImage decodeImage(const std::string& path, int maxSize);

// Decoding is plain CPU work and needs no GL context, so a batch of files is
// decoded on worker threads, a few files ahead of the caller, while the
// caller uploads the ones before on the GL thread; with `mipmaps` the
// workers also make each image's mip levels. next() hands the images
// over in the order of `paths`, waiting for each as needed; an empty path
// gives an empty image without decoding anything. How far ahead the workers
// go bounds the memory: at most that many decoded images wait at once. A
// file whose worker could not be started, or whose worker threw, is decoded
// on the calling thread by next().
class ImageDecodeQueue {
public:
    // What decodes one file, on a worker or on the calling thread.
    using Decoder = std::function<DecodedImage(const std::string& path)>;

    ImageDecodeQueue(std::vector<std::string> paths, int maxSize, bool mipmaps = false);
    ImageDecodeQueue(std::vector<std::string> paths, Decoder decode);
    // Waits for the workers still decoding (each future does on its own).
    ~ImageDecodeQueue() = default;
    ImageDecodeQueue(const ImageDecodeQueue&) = delete;
    ImageDecodeQueue& operator=(const ImageDecodeQueue&) = delete;

    // The image of the next path; call at most once per path.
    DecodedImage next();

private:
    void start(std::size_t index);

    std::vector<std::string> paths_;
    Decoder decode_;
    std::size_t ahead_;
    std::size_t nextIndex_ = 0;
    std::vector<std::future<DecodedImage>> decoded_;
};

// The loaders' failure message on standard output:
//   Failed to open file '<path>'
//   <path>: <reason>
void reportImageFailure(const std::string& path, const std::string& reason);

} // namespace rtr
