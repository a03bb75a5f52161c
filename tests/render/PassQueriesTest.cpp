#include "render/PassQueries.h"

#include <gtest/gtest.h>

// The renderer strings the drivers report, as GL_RENDERER gives them: the
// overlay's GPU times are shown as meaningless only on software rasterisers.
TEST(PassQueries, OnlySoftwareRasterisersAreTakenForTheCpu) {
    EXPECT_TRUE(rtr::rendersOnTheCpu("llvmpipe (LLVM 15.0.6, 256 bits)"));
    EXPECT_TRUE(rtr::rendersOnTheCpu("softpipe"));
    EXPECT_TRUE(rtr::rendersOnTheCpu("zink (llvmpipe (LLVM 15.0.6, 256 bits))"));
    EXPECT_FALSE(rtr::rendersOnTheCpu("NVIDIA GeForce RTX 3060/PCIe/SSE2"));
    EXPECT_FALSE(rtr::rendersOnTheCpu("AMD Radeon RX 6600 (navi23, LLVM 15.0.6, DRM 3.49, 6.1.0-13-amd64)"));
    EXPECT_FALSE(rtr::rendersOnTheCpu("Mesa Intel(R) UHD Graphics 620 (KBL GT2)"));
}
