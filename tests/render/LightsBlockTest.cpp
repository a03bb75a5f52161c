// The bytes of the "Lights" block: count, then 48-byte entries with the
// intensity times four, and never more entries than the block holds; and a
// light's six cube-face matrices.

#include "render/LightsBlock.h"
#include "render/PointLight.h"

#include <glm/gtc/matrix_transform.hpp>
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>

namespace {

template <typename T>
T at(const std::vector<std::byte>& bytes, std::size_t offset) {
    T value;
    std::memcpy(&value, bytes.data() + offset, sizeof value);
    return value;
}

std::vector<std::unique_ptr<PointLight>> fourLights() {
    std::vector<std::unique_ptr<PointLight>> lights;
    for (int i = 0; i < 4; ++i) {
        lights.push_back(std::make_unique<PointLight>(glm::vec3(1.0f + i, 2.0f + i, 3.0f + i),
                                                      glm::vec3(0.1f * i, 0.2f, 0.3f), 10.0f * (i + 1)));
        lights.back()->lightIndex = i + 2;
    }
    return lights;
}

std::vector<PointLight*> pointers(const std::vector<std::unique_ptr<PointLight>>& lights) {
    std::vector<PointLight*> result;
    for (const auto& light : lights)
        result.push_back(light.get());
    return result;
}

} // namespace

TEST(LightsBlock, EveryFieldOfFourLightsAtItsOffset) {
    const auto lights = fourLights();
    std::vector<std::byte> staging(208, std::byte{0xAB});
    EXPECT_EQ(lights_block::pack(pointers(lights), staging), 208u);
    EXPECT_EQ(at<int32_t>(staging, 0), 4);
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        const std::size_t e = 16 + 48 * i;
        EXPECT_EQ(at<float>(staging, e + 0), 1.0f + i);
        EXPECT_EQ(at<float>(staging, e + 4), 2.0f + i);
        EXPECT_EQ(at<float>(staging, e + 8), 3.0f + i);
        EXPECT_EQ(at<float>(staging, e + 16), 0.1f * i);
        EXPECT_EQ(at<float>(staging, e + 20), 0.2f);
        EXPECT_EQ(at<float>(staging, e + 24), 0.3f);
        EXPECT_EQ(at<float>(staging, e + 28), 40.0f * (i + 1)) << "intensity is uploaded times four";
        EXPECT_EQ(at<float>(staging, e + 32), 0.0f);
        EXPECT_EQ(at<float>(staging, e + 36), 100.0f);
        EXPECT_EQ(at<int32_t>(staging, e + 40), i + 2);
        // The padding after the position and the tail are not written.
        EXPECT_EQ(staging[e + 12], std::byte{0xAB});
        EXPECT_EQ(staging[e + 44], std::byte{0xAB});
    }
}

TEST(LightsBlock, UploadGrowsBy48BytesPerLight) {
    auto lights = fourLights();
    std::vector<std::byte> staging(208);
    auto list = pointers(lights);
    list.resize(1);
    EXPECT_EQ(lights_block::pack(list, staging), 64u);
    EXPECT_EQ(at<int32_t>(staging, 0), 1);
    list.clear();
    EXPECT_EQ(lights_block::pack(list, staging), 16u);
    EXPECT_EQ(at<int32_t>(staging, 0), 0);
}

TEST(LightsBlock, MoreLightsThanTheBlockHoldsAreCappedNotWrittenPastTheEnd) {
    auto lights = fourLights();
    lights.push_back(std::make_unique<PointLight>(glm::vec3(9.0f), glm::vec3(1.0f), 1.0f));
    // A block of 208 bytes holds four lights; bytes past it must stay put.
    std::vector<std::byte> memory(208 + 64, std::byte{0x5A});
    std::vector<std::byte> staging(memory.begin(), memory.begin() + 208);
    EXPECT_EQ(lights_block::capacity(208), 4u);
    EXPECT_EQ(lights_block::pack(pointers(lights), staging), 208u);
    EXPECT_EQ(staging.size(), 208u);
    EXPECT_EQ(at<int32_t>(staging, 0), 4) << "the count must say how many entries are really there";
    EXPECT_EQ(lights_block::capacity(10), 0u);
    std::vector<std::byte> tiny(10);
    EXPECT_EQ(lights_block::pack(pointers(lights), tiny), 0u);
}

TEST(PointLight, FaceMatricesAreTheLookAtsOfTheSixCubeFacesWithAWidenedFieldOfView) {
    PointLight light({1.0f, -2.0f, 3.5f}, {1, 1, 1}, 1.0f);
    light.position = {-4.0f, 7.0f, 0.25f}; // a light that moved since
    updateFaceMatrices(light);
    ASSERT_EQ(light.faceViews.size(), 6u);
    EXPECT_EQ(light.nearPlane, 0.0f);
    EXPECT_EQ(light.farPlane, 100.0f);
    // GL's cube-map faces in order +X, -X, +Y, -Y, +Z, -Z, with their up vectors.
    const glm::vec3 directions[6] = {{1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -1, 0}, {0, 0, 1}, {0, 0, -1}};
    const glm::vec3 ups[6] = {{0, -1, 0}, {0, -1, 0}, {0, 0, 1}, {0, 0, -1}, {0, -1, 0}, {0, -1, 0}};
    for (int i = 0; i < 6; ++i) {
        const glm::mat4 lookAt = glm::lookAt(light.position, light.position + directions[i], ups[i]);
        for (int c = 0; c < 4; ++c)
            for (int r = 0; r < 4; ++r)
                EXPECT_NEAR(light.faceViews[i][c][r], lookAt[c][r], 1e-6f) << "face " << i << ", column " << c;
    }
    const auto fovy = static_cast<float>(2.0 * std::atan(1024.0 / 1023.0));
    EXPECT_EQ(light.faceProjection, glm::perspective(fovy, 1.0f, 0.0f, 100.0f));
    EXPECT_NEAR(1.0f / light.faceProjection[1][1], 1024.0f / 1023.0f, 1e-6f) << "tan(fovy / 2)";
}
