#pragma once
// Where a recording's files live until it is complete. The intermediate
// video and the sound's samples go to a private scratch folder; the final
// MP4 is written beside the output under a temporary name and renamed over
// the output only once ffmpeg has finished it, so whatever was at the
// output path (a user's earlier file) stays as it was until then, and a
// failed or interrupted last step never leaves a cut-off file there. The
// recorder removes only files it made itself.

#include <filesystem>
#include <optional>
#include <string>

namespace recorder {

// Why the recording cannot be written to `output`, in one line, or nothing:
// it must be a regular file (or not exist yet) that the recorder may write,
// in a folder where it may make a file. Nothing at the path is opened or
// changed.
std::optional<std::string> cannotWriteOutput(const std::filesystem::path& output);

// A private folder under the temporary folder for the intermediate video,
// the sound's samples and what ffmpeg says; removed with everything in it,
// unless kept.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    bool ok() const { return !path_.empty(); }
    // When it could not be made: where, and the system's reason.
    const std::string& error() const { return error_; }
    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const char* name) const { return path_ / name; }
    // Leaves the folder and its files in place: they hold what was recorded.
    void keep() { kept_ = true; }

private:
    std::filesystem::path path_;
    std::string error_;
    bool kept_ = false;
};

// The final file, new and empty, beside the output under a temporary name
// of its own; removed again unless it is put in place.
class PendingOutput {
public:
    explicit PendingOutput(const std::filesystem::path& output);
    ~PendingOutput();
    PendingOutput(const PendingOutput&) = delete;
    PendingOutput& operator=(const PendingOutput&) = delete;

    bool ok() const { return !path_.empty(); }
    // When it could not be made: which file, and the system's reason.
    const std::string& error() const { return error_; }
    const std::filesystem::path& path() const { return path_; }
    // Renames it over the output, with the permissions the output had (a new
    // output gets those of a new file). Empty on success, otherwise why not.
    std::string putInPlace();

private:
    std::filesystem::path target_; // the output, through any symbolic links
    std::filesystem::path path_;
    std::string error_;
};

} // namespace recorder
