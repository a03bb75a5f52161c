// A spruce crown leaves out the branch cards that point away from every
// place it is seen from, and only those: seen from all around it is whole,
// and the cards it keeps are the whole crown's cards, unchanged.

#include "assetgen/Forest.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <tuple>

namespace {

using glm::vec3;

const assetgen::Spruce kTree{{10.0f, 2.0f, 30.0f}, 14.0f, 0.4f, 3.0f, 2.2f, 0x5eedu};

std::set<std::tuple<float, float, float>> positionsOf(const assetgen::Mesh& mesh) {
    std::set<std::tuple<float, float, float>> out;
    for (const vec3& p : mesh.positions) out.emplace(p.x, p.y, p.z);
    return out;
}

// A place 40 m from the tree, `angle` radians round from +x.
vec3 around(float angle) { return kTree.base + vec3(40.0f * std::cos(angle), 5.0f, 40.0f * std::sin(angle)); }

} // namespace

TEST(SpruceCrown, SeenFromAllAroundKeepsEveryCard) {
    std::vector<vec3> seenFrom;
    for (int k = 0; k < 6; ++k) seenFrom.push_back(around(1.0471976f * k));
    const assetgen::Mesh whole = assetgen::spruceCrown(kTree);
    const assetgen::Mesh seen = assetgen::spruceCrown(kTree, seenFrom);
    EXPECT_EQ(seen.positions, whole.positions);
    EXPECT_EQ(seen.indices, whole.indices);
}

TEST(SpruceCrown, SeenFromOneSideLeavesOutOnlyCardsBehindTheTrunk) {
    const assetgen::Mesh whole = assetgen::spruceCrown(kTree);
    const assetgen::Mesh seen = assetgen::spruceCrown(kTree, {around(0.0f), around(0.3f)});
    ASSERT_LT(seen.positions.size(), whole.positions.size()) << "no card was left out";

    const auto kept = positionsOf(seen);
    const auto all = positionsOf(whole);
    for (const auto& p : kept) ASSERT_EQ(all.count(p), 1u) << "a kept card changed";
    // What was left out lies, taken together, beyond the trunk from +x.
    double beyond = 0.0;
    int leftOut = 0;
    for (const auto& [x, y, z] : all)
        if (kept.count({x, y, z}) == 0) {
            beyond += x - kTree.base.x;
            ++leftOut;
        }
    ASSERT_GT(leftOut, 0);
    EXPECT_LT(beyond / leftOut, -0.25 * kTree.crownRadius);
}
