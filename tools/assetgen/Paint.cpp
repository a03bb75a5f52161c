#include "Paint.h"

namespace assetgen::paint {

Image normalMapFromHeight(const ScalarField& height, float strength, bool wrap) {
    const int w = height.width(), h = height.height();
    Image normals(w, h);
    auto sample = [&](int x, int y) {
        if (wrap) return height.wrapped(x, y);
        return height.at(std::clamp(x, 0, w - 1), std::clamp(y, 0, h - 1));
    };
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const float dx = (sample(x + 1, y) - sample(x - 1, y)) * 0.5f;
            const float dy = (sample(x, y + 1) - sample(x, y - 1)) * 0.5f;
            const glm::vec3 n = glm::normalize(glm::vec3(-dx * strength, -dy * strength, 1.0f));
            normals.at(x, y) = glm::vec4(n * 0.5f + 0.5f, 1.0f);
        }
    }
    return normals;
}

ScalarField blurred(const ScalarField& field, int radius, int passes) {
    const int w = field.width(), h = field.height();
    ScalarField current = field;
    ScalarField scratch(w, h);
    const float norm = 1.0f / static_cast<float>(2 * radius + 1);
    for (int pass = 0; pass < passes; ++pass) {
        for (int y = 0; y < h; ++y) {
            float sum = 0.0f;
            for (int k = -radius; k <= radius; ++k) sum += current.wrapped(k, y);
            for (int x = 0; x < w; ++x) {
                scratch.at(x, y) = sum * norm;
                sum += current.wrapped(x + radius + 1, y) - current.wrapped(x - radius, y);
            }
        }
        for (int x = 0; x < w; ++x) {
            float sum = 0.0f;
            for (int k = -radius; k <= radius; ++k) sum += scratch.wrapped(x, k);
            for (int y = 0; y < h; ++y) {
                current.at(x, y) = sum * norm;
                sum += scratch.wrapped(x, y + radius + 1) - scratch.wrapped(x, y - radius);
            }
        }
    }
    return current;
}

} // namespace assetgen::paint
