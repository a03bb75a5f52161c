#pragma once
// Encoding a loop as Ogg Vorbis with libvorbisenc. The stream's serial
// number is fixed and no tags are written, so the same samples always make
// the same file.

#include <filesystem>

#include "Audio.h"

namespace assetgen::audio {

// `samples` are interleaved, in [-1, 1].
void writeOggVorbis(const Signal& samples, int channels, const std::filesystem::path& file, float quality, int serial);

} // namespace assetgen::audio
