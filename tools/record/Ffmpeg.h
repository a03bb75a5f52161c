#pragma once
// The MP4 is made by the ffmpeg program, in two runs. The first encodes the
// raw frames that the recorder pipes into its standard input (H.264); the
// sound goes meanwhile to a plain file of samples beside it. When the
// recording ends, however it ends, a second short run copies the video and
// encodes the sound (AAC) into the final file. Feeding both live into one
// ffmpeg would need two pipes, and ffmpeg reading one of them while the
// recorder waits to write the other deadlocks. Each ffmpeg runs in a process
// group of its own: the terminal's Ctrl-C reaches only the recorder, which
// then closes the pipe and finishes the file itself.

#include <sys/types.h>

#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

namespace recorder {

// The `program` found on PATH (an executable file), or an empty path.
std::filesystem::path findOnPath(const std::string& program);

// A child process in its own process group, its standard error appended to
// `log`.
class ChildProcess {
public:
    // `pipeInput`: the child's standard input is a pipe that write() fills;
    // otherwise /dev/null.
    ChildProcess(const std::vector<std::string>& arguments, const std::filesystem::path& log, bool pipeInput);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool started() const { return pid_ > 0; }
    // Writes everything, or returns false once the child has stopped reading.
    bool write(const void* data, std::size_t size);
    // Closes the input pipe (end of input) and waits; true for exit status 0.
    bool finish();

private:
    pid_t pid_ = -1;
    int input_ = -1;
};

// The first run: BGRA frames, bottom row first as GL reads them, into an
// H.264 MP4 at `fps`.
class VideoEncoder {
public:
    VideoEncoder(const std::filesystem::path& ffmpeg, const std::filesystem::path& video, int width, int height,
                 int fps, bool lossless, const std::filesystem::path& log);
    bool started() const { return process_.started(); }
    bool writeFrame(const void* pixels) { return process_.write(pixels, frameBytes_); }
    bool finish() { return process_.finish(); }

private:
    std::size_t frameBytes_;
    ChildProcess process_;
};

// The second run: the video stream copied, the interleaved stereo float
// samples at `sampleRate` encoded as AAC, into an MP4 at `output`.
bool muxWithSound(const std::filesystem::path& ffmpeg, const std::filesystem::path& video,
                  const std::filesystem::path& samples, int sampleRate, const std::filesystem::path& output,
                  const std::filesystem::path& log);

// The last lines of a log, for an error message.
std::string tailOf(const std::filesystem::path& log, int lines = 5);

} // namespace recorder
