#pragma once
// What an MP4 file says it holds, read from its movie box ("moov"): for each
// track its kind (the handler, "vide" or "soun"), the format of its samples
// ("avc1", "mp4a") and how many there are. The recorder reads its finished
// file back before that file replaces the user's: ffmpeg's exit status alone
// does not prove that it wrote one.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace recorder {

struct Mp4Track {
    std::string handler;
    std::string format;
    std::uint32_t samples = 0;
};

// The tracks of `file`, or nothing when it holds no whole movie box.
std::optional<std::vector<Mp4Track>> readMp4Tracks(const std::filesystem::path& file);

// Why `file` is not a recording of `frames` H.264 frames with AAC sound, in
// words that follow "its file", or nothing when it is one.
std::optional<std::string> notARecording(const std::filesystem::path& file, long frames);

} // namespace recorder
