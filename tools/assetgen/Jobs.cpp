#include "Jobs.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <exception>
#include <mutex>
#include <thread>

namespace assetgen {

void runJobs(const std::vector<Job>& jobs, unsigned threads, bool verbose) {
    std::atomic<std::size_t> next{0};
    std::mutex failureLock;
    std::exception_ptr failure;
    auto worker = [&] {
        for (std::size_t i = next++; i < jobs.size(); i = next++) {
            try {
                const auto start = std::chrono::steady_clock::now();
                jobs[i].run();
                if (verbose) {
                    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
                    std::printf("  %-24s %6.2f s\n", jobs[i].label.c_str(), seconds);
                }
            } catch (...) {
                const std::lock_guard lock(failureLock);
                if (!failure) failure = std::current_exception();
            }
        }
    };
    std::vector<std::thread> pool;
    for (unsigned t = 1; t < threads; ++t) pool.emplace_back(worker);
    worker();
    for (std::thread& thread : pool) thread.join();
    if (failure) std::rethrow_exception(failure);
}

} // namespace assetgen
