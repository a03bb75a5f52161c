#pragma once
// Image files read for textures without trusting them. The header is read
// first (FreeImage can load an image without its pixels), so a file that
// claims more pixels than the driver can hold is refused before any memory
// goes to it. What passes is decoded and converted to the one layout every
// upload here takes: 32 bits per pixel, bytes B, G, R, A, rows bottom-up as
// FreeImage holds them, whatever the file's bit depth or colour type.

#include <memory>
#include <string>

struct FIBITMAP;

namespace rtr {

struct FreeImageUnload {
    void operator()(FIBITMAP* bitmap) const;
};
using Bitmap = std::unique_ptr<FIBITMAP, FreeImageUnload>;

struct DecodedImage {
    Bitmap bitmap; // 32-bit BGRA; null when the file gave no image
    unsigned width = 0;
    unsigned height = 0;
    std::string reason; // why there is no image, for reportImageFailure
};

// The image at `path`, refused when either side is above `maxSize` pixels.
// Formats whose size FreeImage cannot read before decoding (GIF, DDS and a
// few rare ones) are refused too: their memory could not be bounded.
DecodedImage decodeImage(const std::string& path, int maxSize);

// The loaders' failure message on standard output:
//   Failed to open file '<path>'
//   <path>: <reason>
void reportImageFailure(const std::string& path, const std::string& reason);

} // namespace rtr
