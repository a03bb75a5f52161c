#pragma once
// Ogg Vorbis test files written with libvorbisenc: a steady sine tone per
// channel, optionally with a last page that claims more frames than the
// file holds, or with a page in the middle whose body is damaged.

#include <cstdint>
#include <filesystem>
#include <optional>

namespace audio_testing {

struct ToneFile {
    int channels = 1;
    long rate = 44100;
    long frames = 44100;
    double frequency = 440.0; // channel c plays (c + 1) times this
    // The stream's length as its last page gives it (ov_pcm_total).
    std::optional<std::int64_t> claimedFrames{};
    // Garbles the body of an audio page halfway through the file.
    bool damageMiddlePage = false;
};

void writeToneFile(const std::filesystem::path& path, const ToneFile& tone);

// A folder of this process's own under the temporary folder, made on first
// use.
std::filesystem::path scratchFolder();

} // namespace audio_testing
