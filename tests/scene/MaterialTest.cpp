// The bytes of the "Material" block, as the lit program reads them (std140).

#include "scene/Material.h"

#include <gtest/gtest.h>

#include <cstring>

TEST(MaterialBlock, ColoursShininessAndPaddingAtTheirOffsets) {
    const auto block = packMaterialBlock({0.1f, 0.2f, 0.3f, 0.4f}, {0.5f, 0.6f, 0.7f, 0.8f},
                                         {0.9f, 1.0f, 1.1f, 1.2f}, {1.3f, 1.4f, 1.5f, 1.6f}, 32.0f);
    ASSERT_EQ(block.size(), 80u);
    float floats[20];
    std::memcpy(floats, block.data(), sizeof floats);
    const float expected[20] = {0.1f, 0.2f, 0.3f, 0.4f, 0.5f, 0.6f, 0.7f, 0.8f, 0.9f, 1.0f,
                                1.1f, 1.2f, 1.3f, 1.4f, 1.5f, 1.6f, 32.0f, 81.0f, 81.0f, 81.0f};
    for (int i = 0; i < 20; ++i)
        EXPECT_EQ(floats[i], expected[i]) << "float " << i << " (byte " << i * 4 << ")";
}
