#include "render/GL.h"
#include "render/PassQueries.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <map>
#include <vector>

namespace {

// The driver's timer queries, faked through GLEW's entry points: a query's
// result is the number of the frame that last began it plus one, in
// milliseconds, and it is available only once the GPU (the test) has
// finished that frame. A result read before then would have stalled.
class FakeTimerQueries {
public:
    FakeTimerQueries()
        : gen_(__glewGenQueries), delete_(__glewDeleteQueries), begin_(__glewBeginQuery), end_(__glewEndQuery),
          result_(__glewGetQueryObjectuiv), result64_(__glewGetQueryObjectui64v) {
        __glewGenQueries = [](GLsizei n, GLuint* ids) {
            for (GLsizei i = 0; i < n; ++i)
                ids[i] = ++lastName;
        };
        __glewDeleteQueries = [](GLsizei, const GLuint*) {};
        __glewBeginQuery = [](GLenum, GLuint id) {
            begunIn[id] = frame;
            timedFrames.push_back(frame);
        };
        __glewEndQuery = [](GLenum) {};
        __glewGetQueryObjectuiv = [](GLuint id, GLenum pname, GLuint* value) {
            *value = pname == GL_QUERY_RESULT_AVAILABLE ? begunIn[id] <= finishedThrough : resultOf(id);
        };
        __glewGetQueryObjectui64v = [](GLuint id, GLenum, GLuint64* value) { *value = resultOf(id); };
    }
    ~FakeTimerQueries() {
        __glewGenQueries = gen_;
        __glewDeleteQueries = delete_;
        __glewBeginQuery = begin_;
        __glewEndQuery = end_;
        __glewGetQueryObjectuiv = result_;
        __glewGetQueryObjectui64v = result64_;
    }
    FakeTimerQueries(const FakeTimerQueries&) = delete;
    FakeTimerQueries& operator=(const FakeTimerQueries&) = delete;

    // The newest frame that issued queries and that the GPU has finished.
    static int newestFinished() {
        int newest = -1;
        for (const int timed : timedFrames)
            if (timed <= finishedThrough)
                newest = std::max(newest, timed);
        return newest;
    }

    static inline int frame = 0;
    static inline int finishedThrough = -1;
    static inline int stalls = 0;

private:
    static GLuint resultOf(GLuint id) {
        stalls += begunIn[id] > finishedThrough ? 1 : 0;
        return static_cast<GLuint>(begunIn[id] + 1) * 1000000u;
    }

    static inline GLuint lastName = 0;
    static inline std::map<GLuint, int> begunIn;
    static inline std::vector<int> timedFrames;

    PFNGLGENQUERIESPROC gen_;
    PFNGLDELETEQUERIESPROC delete_;
    PFNGLBEGINQUERYPROC begin_;
    PFNGLENDQUERYPROC end_;
    PFNGLGETQUERYOBJECTUIVPROC result_;
    PFNGLGETQUERYOBJECTUI64VPROC result64_;
};

} // namespace

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

// A GPU that finishes frames late, stops for a while (until every slot of
// the ring is in flight and frames go untimed), then catches up several
// frames at once: each frame shows the newest frame finished, and no result
// is read before it is available.
TEST(PassQueries, EachFrameShowsTheNewestFinishedFrameWithoutWaitingForOne) {
    FakeTimerQueries gpu;
    rtr::PassQueries queries;
    const int finishedThrough[] = {-1, -1, 0, 1, 1, 1, 1, 1, 4, 7, 8, 8, 8, 8, 8, 13, 14};
    for (int frame = 0; frame < static_cast<int>(std::size(finishedThrough)); ++frame) {
        FakeTimerQueries::frame = frame;
        FakeTimerQueries::finishedThrough = finishedThrough[frame];
        queries.beginFrame();
        const int newest = FakeTimerQueries::newestFinished();
        EXPECT_EQ(queries.latest()[static_cast<std::size_t>(rtr::Pass::Shadow)], newest < 0 ? -1.0 : newest + 1.0)
            << "frame " << frame;
        queries.beginPass(rtr::Pass::Shadow);
        queries.endPass();
        queries.endFrame();
    }
    EXPECT_EQ(FakeTimerQueries::stalls, 0) << "a result was read before it was available";
}
