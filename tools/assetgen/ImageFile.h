#pragma once
// Writing rasters as the image files the program reads, through FreeImage:
// 24-bit PNG for normal and distortion maps and the sky, 32-bit PNG where
// alpha matters, 24-bit JPEG for opaque colour textures.

#include <filesystem>

#include "Image.h"

namespace assetgen {

enum class PngChannels { Rgb, Rgba };

void writePng(const Image& image, const std::filesystem::path& path, PngChannels channels);
void writeJpeg(const Image& image, const std::filesystem::path& path, int quality = 92);

// Decodes any image FreeImage reads into RGBA (used by the contact sheet).
Image readImage(const std::filesystem::path& path);

} // namespace assetgen
