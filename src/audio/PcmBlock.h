#pragma once
// A sound decoded whole into one block of 16-bit PCM: the block's size from
// the stream's length, and the loop that fills it from a decoder. Pure logic
// without OpenAL, so that damaged and lying streams can be tested alone.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>

namespace rtr::Audio {

// Bytes of 16-bit PCM for `frames` samples per channel: computed in 64 bits
// and refused (nullopt) when it is negative or more than one OpenAL buffer
// can take (alBufferData's size is a 32-bit signed int). A long file would
// otherwise wrap the size and upload garbage.
std::optional<std::size_t> pcmBlockBytes(std::int64_t frames, int channels);

// Hands out up to `capacity` bytes of PCM: the number of bytes read, 0 at
// the end of the stream, or a negative decoder error (a hole in the data).
using PcmReader = std::function<long(char* destination, int capacity)>;

// A hole in the data shows up as one failed read; this many failures in a
// row mean the decoder will not recover, and decoding stops there.
inline constexpr int kMaxConsecutiveReadErrors = 32;

// Reads until the block is full, the stream ends or the decoder keeps
// failing; keeps whatever was decoded and zeros the rest of the block, so a
// stream shorter than its header claims ends in silence, not in stale memory.
// Returns the number of bytes decoded.
std::size_t decodeInto(std::span<char> block, const PcmReader& read);

} // namespace rtr::Audio
