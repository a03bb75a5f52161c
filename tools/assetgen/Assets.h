#pragma once
// Every file of the run-time tree as a generation job.

#include <cstdint>
#include <vector>

#include "Jobs.h"
#include "RuntimeTree.h"

namespace assetgen {

inline constexpr std::uint32_t kSkySeed = 0x5E11A7u;

std::vector<Job> assetJobs(const RuntimeTree& tree);

} // namespace assetgen
