#include "audio/PcmBlock.h"

#include <algorithm>
#include <climits>
#include <cstring>

namespace rtr::Audio {

std::optional<std::size_t> pcmBlockBytes(std::int64_t frames, int channels) {
    if (frames < 0 || channels <= 0)
        return std::nullopt;
    constexpr std::uint64_t kMaxBytes = INT_MAX;
    const std::uint64_t bytesPerFrame = static_cast<std::uint64_t>(channels) * 2u;
    if (static_cast<std::uint64_t>(frames) > kMaxBytes / bytesPerFrame)
        return std::nullopt;
    return static_cast<std::size_t>(static_cast<std::uint64_t>(frames) * bytesPerFrame);
}

std::size_t decodeInto(std::span<char> block, const PcmReader& read) {
    std::size_t position = 0;
    int consecutiveErrors = 0;
    while (position < block.size() && consecutiveErrors < kMaxConsecutiveReadErrors) {
        // The decoder takes an int; a block of up to 2 GiB is read in pieces.
        const std::size_t remaining = block.size() - position;
        const int capacity = static_cast<int>(std::min<std::size_t>(remaining, 1u << 20));
        const long n = read(block.data() + position, capacity);
        if (n == 0)
            break;
        if (n < 0) {
            ++consecutiveErrors;
            continue;
        }
        consecutiveErrors = 0;
        position += std::min(static_cast<std::size_t>(n), remaining);
    }
    std::memset(block.data() + position, 0, block.size() - position);
    return position;
}

} // namespace rtr::Audio
