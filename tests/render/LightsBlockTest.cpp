// The bytes of the "Lights" block: count, then 48-byte entries with the
// intensity times four, and never more entries than the block holds.

#include "render/LightsBlock.h"
#include "render/PointLight.h"

#include <gtest/gtest.h>

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

TEST(PointLight, FaceMatricesLookDownTheSixAxesFromTheLight) {
    PointLight light({1.0f, 2.0f, 3.0f}, {1, 1, 1}, 1.0f);
    ASSERT_EQ(light.faceViews.size(), 6u);
    EXPECT_EQ(light.nearPlane, 0.0f);
    EXPECT_EQ(light.farPlane, 100.0f);
    const glm::vec3 directions[6] = {{1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -1, 0}, {0, 0, 1}, {0, 0, -1}};
    for (int i = 0; i < 6; ++i) {
        // A point one unit along the face's direction sits on the view axis,
        // one unit in front of the eye (eye space looks down -z).
        const glm::vec4 eye = light.faceViews[i] * glm::vec4(light.position + directions[i], 1.0f);
        EXPECT_NEAR(eye.x, 0.0f, 1e-6f) << i;
        EXPECT_NEAR(eye.y, 0.0f, 1e-6f) << i;
        EXPECT_NEAR(eye.z, -1.0f, 1e-6f) << i;
    }
    // Slightly over 90 degrees: tan(fovy / 2) = 1024 / 1023.
    EXPECT_NEAR(1.0f / light.faceProjection[1][1], 1024.0f / 1023.0f, 1e-6f);
}
