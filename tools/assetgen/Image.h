#pragma once
// Floating-point RGBA and scalar rasters that the painters work on. Row 0 is
// the bottom row, as in FreeImage and in GL texture space, so a texel (x, y)
// sits at texture coordinates ((x + 0.5) / width, (y + 0.5) / height).

#include <algorithm>
#include <cmath>
#include <vector>

#include <glm/vec4.hpp>

namespace assetgen {

template <typename Texel>
class Raster {
public:
    Raster() = default;
    Raster(int width, int height, Texel fill = Texel{})
        : w(width), h(height), texels(static_cast<std::size_t>(width) * height, fill) {}

    int width() const { return w; }
    int height() const { return h; }

    Texel& at(int x, int y) { return texels[index(x, y)]; }
    const Texel& at(int x, int y) const { return texels[index(x, y)]; }

    // Access with both coordinates wrapped, for tileable painting.
    Texel& wrapped(int x, int y) { return texels[index(wrapCoordinate(x, w), wrapCoordinate(y, h))]; }
    const Texel& wrapped(int x, int y) const { return texels[index(wrapCoordinate(x, w), wrapCoordinate(y, h))]; }

    // Bilinear sample at texel-space coordinates, wrapping at the borders.
    Texel sampleWrapped(float x, float y) const {
        const float fx = std::floor(x - 0.5f), fy = std::floor(y - 0.5f);
        const float tx = x - 0.5f - fx, ty = y - 0.5f - fy;
        const int ix = static_cast<int>(fx), iy = static_cast<int>(fy);
        const Texel a = wrapped(ix, iy) * (1.0f - tx) + wrapped(ix + 1, iy) * tx;
        const Texel b = wrapped(ix, iy + 1) * (1.0f - tx) + wrapped(ix + 1, iy + 1) * tx;
        return a * (1.0f - ty) + b * ty;
    }

    std::vector<Texel>& data() { return texels; }
    const std::vector<Texel>& data() const { return texels; }

private:
    static int wrapCoordinate(int i, int n) {
        const int m = i % n;
        return m < 0 ? m + n : m;
    }
    std::size_t index(int x, int y) const { return static_cast<std::size_t>(y) * w + x; }

    int w = 0;
    int h = 0;
    std::vector<Texel> texels;
};

using Image = Raster<glm::vec4>;
using ScalarField = Raster<float>;

} // namespace assetgen
