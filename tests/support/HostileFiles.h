#pragma once
// Damaged and unusual input files, written by the tests that feed them to the
// loaders: images whose header lies about their size, 16-bit grey images,
// plain images of any size, and node chains nested thousands deep.

#include "support/SceneBuilder.h"

#include <FreeImage.h>

#include <cstdint>
#include <string>

namespace testing_support {

// A PNG of 57 bytes whose header claims width x height 1-bit grey pixels
// and that holds no pixel data: decoding it first would allocate
// width * height / 8 bytes before finding out.
void writeLyingPng(const std::string& path, unsigned width, unsigned height);

// A small JPEG whose frame header is rewritten to claim width x height.
void writeLyingJpeg(const std::string& path, unsigned width, unsigned height);

// A width x height 16-bit greyscale PNG of one value.
void writeGrey16Png(const std::string& path, unsigned width, unsigned height, uint16_t value);

// A width x height image of one colour, in `format` at `bpp` bits per pixel
// (24 or 32; 8 for a palettised GIF).
void writeImage(const std::string& path, unsigned width, unsigned height, RGBQUAD colour,
                FREE_IMAGE_FORMAT format = FIF_PNG, int bpp = 24);

// `depth` nodes, each the only child of the one before and each with the
// mesh `mesh`, named "<prefix>0" (outermost) to "<prefix><depth-1>".
NodeSpec nodeChain(const std::string& prefix, int depth, unsigned mesh);

} // namespace testing_support
