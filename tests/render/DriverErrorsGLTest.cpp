// The test context's watch on the driver: an error the driver reports fails
// the test during which it happened, unless the test takes it on purpose.

#include "support/ChildProcess.h"
#include "support/GLTestContext.h"

#include <gtest/gtest.h>

using namespace testing_support;

TEST(DriverErrors, AnErrorFailsTheTestThatCausedIt) {
    const auto result = runInChild([] {
        GLTestContext context(32, 32);
        if (!context.ok())
            _exit(99);
        glEnable(0x7fff); // no such capability: GL_INVALID_ENUM
    });
    ASSERT_TRUE(result.exited) << result.err;
    EXPECT_EQ(result.exitStatus, kChildFailedAnExpectation) << result.out << result.err;
    EXPECT_NE(result.out.find("the GL driver reported"), std::string::npos) << result.out;
    EXPECT_NE(result.out.find("GL_INVALID_ENUM"), std::string::npos) << result.out;
}

TEST(DriverErrors, AnErrorCausedOnPurposeIsTakenAndDoesNotFailTheTest) {
    GLTestContext context(32, 32);
    ASSERT_TRUE(context.ok());
    // On purpose: a core profile binds only names that glGenTextures made.
    glBindTexture(GL_TEXTURE_2D, 4242);
    const auto errors = context.takeDriverErrors();
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].type, static_cast<GLenum>(GL_DEBUG_TYPE_ERROR));
    EXPECT_NE(errors[0].text.find("GL_INVALID_OPERATION"), std::string::npos) << errors[0].text;
    EXPECT_TRUE(context.takeDriverErrors().empty()) << "taken once";
}
