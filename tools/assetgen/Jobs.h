#pragma once
// Runs independent generation jobs on a few threads. Every job writes its
// own files from its own fixed seed, so the output does not depend on the
// order in which the threads pick the jobs up.

#include <functional>
#include <string>
#include <vector>

namespace assetgen {

struct Job {
    std::string label;
    std::function<void()> run;
};

// Runs every job; rethrows the first failure after all threads have ended.
// With verbose set, prints how long each job took.
void runJobs(const std::vector<Job>& jobs, unsigned threads, bool verbose);

} // namespace assetgen
