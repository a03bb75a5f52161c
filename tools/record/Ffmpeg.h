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
#include <memory>
#include <string>
#include <vector>

namespace recorder {

// The `program` found on PATH (an executable file), or an empty path.
std::filesystem::path findOnPath(const std::string& program);

// A child process in its own process group. Its standard error is read on
// a thread of the recorder's and the last lines are kept in memory: a log
// file would sit in the scratch folder, and when that folder is full the
// reason ffmpeg gives would be lost with it.
class ChildProcess {
public:
    // `pipeInput`: the child's standard input is a pipe that write() fills;
    // otherwise /dev/null.
    ChildProcess(const std::vector<std::string>& arguments, bool pipeInput);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool started() const { return pid_ > 0; }
    // Writes everything, or returns false once the child has stopped reading.
    bool write(const void* data, std::size_t size);
    // Closes the input pipe (end of input) and waits; true for exit status 0.
    bool finish();
    // Why it failed, after finish(): its last lines on standard error and,
    // when a signal ended it, which one; empty when it never started.
    std::string failure() const;

private:
    pid_t pid_ = -1;
    int input_ = -1;
    int spawnError_ = 0; // errno of a child that did not start
    int status_ = 0;   // as waitpid gives it, once finished
    bool ended_ = false;
    struct ErrorTail;
    std::unique_ptr<ErrorTail> errors_;
};

// The first run: BGRA frames, bottom row first as GL reads them, into an
// H.264 MP4 at `fps`, fragmented, so that what ffmpeg wrote before it died
// stays playable.
class VideoEncoder {
public:
    VideoEncoder(const std::filesystem::path& ffmpeg, const std::filesystem::path& video, int width, int height,
                 int fps, bool lossless);
    bool started() const { return process_.started(); }
    bool writeFrame(const void* pixels) { return process_.write(pixels, frameBytes_); }
    bool finish() { return process_.finish(); }
    std::string failure() const { return process_.failure(); }

private:
    std::size_t frameBytes_;
    ChildProcess process_;
};

// The second run: the video stream copied, the interleaved stereo float
// samples at `sampleRate` encoded as AAC, into an MP4 at `output`. Empty on
// success, otherwise why it failed.
std::string muxWithSound(const std::filesystem::path& ffmpeg, const std::filesystem::path& video,
                         const std::filesystem::path& samples, int sampleRate, const std::filesystem::path& output);

} // namespace recorder
