#include "audio/PcmBlock.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace rtr::Audio {

std::optional<std::vector<char>> decodeWhole(const PcmReader& read, std::size_t maxBytes) {
    // Room for one more piece each time: the vector's capacity grows
    // geometrically, so a long sound is copied a few times at most, and
    // only what is decoded is ever written.
    constexpr std::size_t kPiece = 64 * 1024;
    std::vector<char> block;
    std::size_t position = 0;
    int consecutiveErrors = 0;
    while (consecutiveErrors < kMaxConsecutiveReadErrors) {
        block.resize(position + kPiece);
        const long n = read(block.data() + position, static_cast<int>(kPiece));
        if (n == 0)
            break;
        if (n < 0) {
            ++consecutiveErrors;
            continue;
        }
        consecutiveErrors = 0;
        position += std::min(static_cast<std::size_t>(n), kPiece);
        if (position > maxBytes)
            return std::nullopt;
    }
    block.resize(position);
    return block;
}

void mixDownToMono(std::vector<char>& stereo) {
    const std::size_t frames = stereo.size() / 4;
    for (std::size_t frame = 0; frame < frames; ++frame) {
        std::int16_t left = 0, right = 0;
        std::memcpy(&left, stereo.data() + 4 * frame, 2);
        std::memcpy(&right, stereo.data() + 4 * frame + 2, 2);
        const auto mono = static_cast<std::int16_t>((int(left) + int(right)) / 2);
        std::memcpy(stereo.data() + 2 * frame, &mono, 2);
    }
    stereo.resize(2 * frames);
}

} // namespace rtr::Audio
