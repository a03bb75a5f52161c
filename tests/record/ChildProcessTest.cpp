// A child that fails is reported by the last lines it wrote on standard
// error: ffmpeg says first what it was doing and last why it stopped.

#include "Ffmpeg.h"

#include <gtest/gtest.h>

using namespace recorder;

TEST(ChildProcess, AFailureIsToldByTheLastLinesOnStandardError) {
    ChildProcess child({"/bin/sh", "-c", "for n in 1 2 3 4 5 6 7; do echo \"line $n\" >&2; done; exit 3"}, false);
    ASSERT_TRUE(child.started());
    EXPECT_FALSE(child.finish());
    const std::string said = child.failure();
    EXPECT_TRUE(said.ends_with("line 7")) << said;
    EXPECT_EQ(said.find("line 1"), std::string::npos) << said;
}
