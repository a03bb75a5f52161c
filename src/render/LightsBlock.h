#pragma once
// The CPU side of the lit program's "Lights" block (std140): the light count
// at byte 0, then one 48-byte entry per light: position at +0, colour at +16,
// intensity x 4 at +28, near plane at +32, far plane at +36, list key at +40.

#include <cstddef>
#include <vector>

class PointLight;

namespace lights_block {

inline constexpr std::size_t kHeaderSize = 16;
inline constexpr std::size_t kEntrySize = 48;

// How many lights a block of `blockSize` bytes holds.
inline std::size_t capacity(std::size_t blockSize) {
    return blockSize < kHeaderSize ? 0 : (blockSize - kHeaderSize) / kEntrySize;
}

// Writes the count and the entries into `staging` (the block's bytes) and
// returns how many bytes to upload: 16 + 48 x count. Lights beyond the
// block's capacity are left out, and the count says so, rather than written
// past the end of the block.
std::size_t pack(const std::vector<PointLight*>& lights, std::vector<std::byte>& staging);

} // namespace lights_block
