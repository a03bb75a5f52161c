#include "support/HostileFiles.h"

#include <gtest/gtest.h>

#include <array>
#include <fstream>
#include <iterator>
#include <vector>

namespace testing_support {

namespace {

// PNG chunks carry the CRC-32 of ISO 3309 over their type and data.
uint32_t crc32(const std::vector<uint8_t>& bytes, size_t from) {
    uint32_t crc = 0xFFFFFFFFu;
    for (size_t i = from; i < bytes.size(); ++i) {
        crc ^= bytes[i];
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return crc ^ 0xFFFFFFFFu;
}

void putBigEndian(std::vector<uint8_t>& bytes, uint32_t value, int size) {
    for (int shift = 8 * (size - 1); shift >= 0; shift -= 8)
        bytes.push_back(static_cast<uint8_t>(value >> shift));
}

void chunk(std::vector<uint8_t>& png, const char* type, const std::vector<uint8_t>& data) {
    putBigEndian(png, static_cast<uint32_t>(data.size()), 4);
    const size_t start = png.size();
    png.insert(png.end(), type, type + 4);
    png.insert(png.end(), data.begin(), data.end());
    putBigEndian(png, crc32(png, start), 4);
}

void writeBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    ASSERT_TRUE(out.good()) << path;
}

} // namespace

void writeLyingPng(const std::string& path, unsigned width, unsigned height) {
    std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    std::vector<uint8_t> header;
    putBigEndian(header, width, 4);
    putBigEndian(header, height, 4);
    header.insert(header.end(), {1, 0, 0, 0, 0}); // 1 bit, grey, deflate, no filter, not interlaced
    chunk(png, "IHDR", header);
    chunk(png, "IDAT", {}); // the header ends at the first data chunk
    chunk(png, "IEND", {});
    writeBytes(path, png);
}

void writeLyingJpeg(const std::string& path, unsigned width, unsigned height) {
    writeImage(path, 8, 8, RGBQUAD{90, 90, 90, 255}, FIF_JPEG);
    std::ifstream in(path, std::ios::binary);
    std::vector<uint8_t> jpeg{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    in.close();
    // Baseline frame header: FF C0, length (2), precision (1), height (2), width (2).
    for (size_t i = 0; i + 8 < jpeg.size(); ++i)
        if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xC0) {
            jpeg[i + 5] = static_cast<uint8_t>(height >> 8);
            jpeg[i + 6] = static_cast<uint8_t>(height);
            jpeg[i + 7] = static_cast<uint8_t>(width >> 8);
            jpeg[i + 8] = static_cast<uint8_t>(width);
            writeBytes(path, jpeg);
            return;
        }
    FAIL() << "no baseline frame header in " << path;
}

void writeGrey16Png(const std::string& path, unsigned width, unsigned height, uint16_t value) {
    FIBITMAP* bitmap = FreeImage_AllocateT(FIT_UINT16, static_cast<int>(width), static_cast<int>(height));
    for (unsigned y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<uint16_t*>(FreeImage_GetScanLine(bitmap, static_cast<int>(y)));
        std::fill(row, row + width, value);
    }
    EXPECT_TRUE(FreeImage_Save(FIF_PNG, bitmap, path.c_str(), 0)) << path;
    FreeImage_Unload(bitmap);
}

void writeImage(const std::string& path, unsigned width, unsigned height, RGBQUAD colour, FREE_IMAGE_FORMAT format,
                int bpp) {
    FIBITMAP* bitmap = FreeImage_Allocate(static_cast<int>(width), static_cast<int>(height), bpp);
    if (bpp == 8) {
        FreeImage_GetPalette(bitmap)[0] = colour; // every index is 0
    } else {
        for (unsigned y = 0; y < height; ++y)
            for (unsigned x = 0; x < width; ++x)
                FreeImage_SetPixelColor(bitmap, x, y, &colour);
    }
    EXPECT_TRUE(FreeImage_Save(format, bitmap, path.c_str(), format == FIF_JPEG ? JPEG_QUALITYSUPERB : 0)) << path;
    FreeImage_Unload(bitmap);
}

NodeSpec nodeChain(const std::string& prefix, int depth, unsigned mesh) {
    NodeSpec chain{prefix + std::to_string(depth - 1), {mesh}, {}, {}};
    for (int i = depth - 2; i >= 0; --i) {
        NodeSpec parent{prefix + std::to_string(i), {mesh}, {}, {}};
        parent.children.push_back(std::move(chain)); // moved, not copied: the chain is long
        chain = std::move(parent);
    }
    return chain;
}

} // namespace testing_support
