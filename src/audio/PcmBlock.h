#pragma once
// A sound decoded whole into one block of 16-bit PCM, and that block mixed
// down to mono. The block grows with what the decoder really gives: a
// stream's header only claims a length, and a damaged file can claim hours
// that are not there, so memory follows the real content. Pure logic
// without OpenAL, so that damaged and lying streams can be tested alone.

#include <climits>
#include <cstddef>
#include <functional>
#include <optional>
#include <vector>

namespace rtr::Audio {

// The most bytes of PCM one OpenAL buffer takes: alBufferData's size is a
// 32-bit signed int, and a longer sound would wrap it and upload garbage.
inline constexpr std::size_t kMaxPcmBytes = INT_MAX;

// Hands out up to `capacity` bytes of PCM: the number of bytes read, 0 at
// the end of the stream, or a negative decoder error (a hole in the data).
using PcmReader = std::function<long(char* destination, int capacity)>;

// A hole in the data shows up as one failed read; this many failures in a
// row mean the decoder will not recover, and decoding stops there.
inline constexpr int kMaxConsecutiveReadErrors = 32;

// Reads until the stream ends or the decoder keeps failing, and keeps
// everything decoded; nullopt as soon as the data grows beyond `maxBytes`.
std::optional<std::vector<char>> decodeWhole(const PcmReader& read, std::size_t maxBytes = kMaxPcmBytes);

// Interleaved 16-bit stereo made mono in place: each frame becomes the mean
// of its two samples, so nothing clips.
void mixDownToMono(std::vector<char>& stereo);

} // namespace rtr::Audio
