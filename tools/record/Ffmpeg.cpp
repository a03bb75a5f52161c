#include "Ffmpeg.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <mutex>
#include <thread>

extern char** environ;

namespace recorder {

namespace fs = std::filesystem;

fs::path findOnPath(const std::string& program) {
    const char* path = std::getenv("PATH");
    if (path == nullptr)
        return {};
    std::string folders = path;
    std::size_t begin = 0;
    while (begin <= folders.size()) {
        std::size_t end = folders.find(':', begin);
        if (end == std::string::npos)
            end = folders.size();
        // An empty entry means the current directory.
        const fs::path folder = end > begin ? fs::path(folders.substr(begin, end - begin)) : fs::path(".");
        const fs::path candidate = folder / program;
        std::error_code error;
        if (fs::is_regular_file(candidate, error) && ::access(candidate.c_str(), X_OK) == 0)
            return candidate;
        begin = end + 1;
    }
    return {};
}

// Reads the child's standard error to its end on a thread of its own, so a
// child that says much never blocks on a full pipe, and keeps the last
// lines.
struct ChildProcess::ErrorTail {
    static constexpr std::size_t kLines = 5;

    explicit ErrorTail(int readEnd) : fd(readEnd), reader([this] { readAll(); }) {}
    ~ErrorTail() {
        if (reader.joinable())
            reader.join();
        ::close(fd);
    }

    void readAll() {
        std::string pending;
        char buffer[4096];
        for (;;) {
            const ssize_t n = ::read(fd, buffer, sizeof buffer);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                break;
            pending.append(buffer, static_cast<std::size_t>(n));
            for (std::size_t newline; (newline = pending.find('\n')) != std::string::npos;) {
                keep(pending.substr(0, newline));
                pending.erase(0, newline + 1);
            }
        }
        keep(pending);
    }

    void keep(std::string line) {
        while (!line.empty() && std::isspace(static_cast<unsigned char>(line.back())) != 0)
            line.pop_back();
        // ffmpeg's note that it left out copies of the line before.
        if (line.empty() || line.find("Last message repeated") != std::string::npos)
            return;
        const std::lock_guard lock(mutex);
        lines.push_back(std::move(line));
        if (lines.size() > kLines)
            lines.pop_front();
    }

    std::string text() {
        const std::lock_guard lock(mutex);
        std::string joined;
        for (const std::string& line : lines)
            joined += (joined.empty() ? "" : " | ") + line;
        return joined;
    }

    int fd;
    std::mutex mutex;
    std::deque<std::string> lines;
    std::thread reader; // last: it starts once the rest is made
};

ChildProcess::ChildProcess(const std::vector<std::string>& arguments, bool pipeInput) {
    int inputEnds[2] = {-1, -1};
    int errorEnds[2] = {-1, -1};
    if (pipeInput && ::pipe2(inputEnds, O_CLOEXEC) != 0) {
        spawnError_ = errno;
        return;
    }
    if (::pipe2(errorEnds, O_CLOEXEC) != 0) {
        spawnError_ = errno;
        if (pipeInput) {
            ::close(inputEnds[0]);
            ::close(inputEnds[1]);
        }
        return;
    }

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (pipeInput)
        posix_spawn_file_actions_adddup2(&actions, inputEnds[0], STDIN_FILENO);
    else
        posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, errorEnds[1], STDERR_FILENO);

    // Its own process group keeps the terminal's Ctrl-C away from it; the
    // recorder's own handlers and ignored signals do not carry over.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setpgroup(&attributes, 0);
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    sigaddset(&defaults, SIGINT);
    sigaddset(&defaults, SIGTERM);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGDEF);

    std::vector<char*> argv;
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    pid_t pid = -1;
    const int result = posix_spawn(&pid, argv[0], &actions, &attributes, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);

    // Only the child holds the writing end now: the reader sees the end of
    // its messages when it exits.
    ::close(errorEnds[1]);
    if (pipeInput)
        ::close(inputEnds[0]);
    if (result != 0) {
        spawnError_ = result;
        ::close(errorEnds[0]);
        if (pipeInput)
            ::close(inputEnds[1]);
        return;
    }
    errors_ = std::make_unique<ErrorTail>(errorEnds[0]);
    pid_ = pid;
    if (pipeInput) {
        input_ = inputEnds[1];
        // A bigger pipe lets a small frame go in whole while ffmpeg is busy.
        ::fcntl(input_, F_SETPIPE_SZ, 1 << 20);
    }
}

ChildProcess::~ChildProcess() { finish(); }

bool ChildProcess::write(const void* data, std::size_t size) {
    if (input_ < 0)
        return false;
    const auto* bytes = static_cast<const unsigned char*>(data);
    while (size > 0) {
        const ssize_t written = ::write(input_, bytes, size);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false; // EPIPE: the child has gone
        }
        bytes += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

bool ChildProcess::finish() {
    if (input_ >= 0) {
        ::close(input_);
        input_ = -1;
    }
    if (pid_ <= 0)
        return ended_ && WIFEXITED(status_) && WEXITSTATUS(status_) == 0;
    pid_t result;
    do {
        result = ::waitpid(pid_, &status_, 0);
    } while (result < 0 && errno == EINTR);
    pid_ = -1;
    ended_ = result > 0;
    if (errors_)
        errors_->reader.join();
    return ended_ && WIFEXITED(status_) && WEXITSTATUS(status_) == 0;
}

std::string ChildProcess::failure() const {
    if (spawnError_ != 0)
        return std::string("it does not start: ") + std::strerror(spawnError_);
    std::string why = errors_ ? errors_->text() : std::string();
    auto add = [&why](const std::string& text) { why += (why.empty() ? "" : "; ") + text; };
    if (ended_ && WIFSIGNALED(status_))
        add("it was killed by signal " + std::to_string(WTERMSIG(status_)) + " (" + strsignal(WTERMSIG(status_)) +
            ")");
    else if (ended_ && WIFEXITED(status_) && WEXITSTATUS(status_) != 0 && why.empty())
        add("it ended with status " + std::to_string(WEXITSTATUS(status_)));
    return why;
}

namespace {

std::vector<std::string> ffmpegCommand(const fs::path& ffmpeg) {
    // -xerror: without it ffmpeg 5 reports a trailer it could not write (a
    // full disk) and still exits with status 0, leaving a cut-off file.
    return {ffmpeg.string(), "-hide_banner", "-nostats", "-loglevel", "error", "-xerror", "-y"};
}

} // namespace

VideoEncoder::VideoEncoder(const fs::path& ffmpeg, const fs::path& video, int width, int height, int fps,
                           bool lossless)
    : frameBytes_(static_cast<std::size_t>(width) * height * 4),
      process_(
          [&] {
              auto command = ffmpegCommand(ffmpeg);
              const std::vector<std::string> input = {
                  "-f", "rawvideo", "-pix_fmt", "bgra", "-video_size", std::to_string(width) + "x" +
                  std::to_string(height), "-framerate", std::to_string(fps), "-i", "pipe:0",
                  // GL's rows come bottom-up.
                  "-vf", "vflip"};
              command.insert(command.end(), input.begin(), input.end());
              const std::vector<std::string> codec =
                  lossless ? std::vector<std::string>{"-c:v", "libx264rgb", "-qp", "0", "-preset", "ultrafast",
                                                      "-pix_fmt", "rgb24"}
                           // 4:2:0 is what every player shows; "veryfast" keeps the encoder well
                           // behind the renderer on the time it takes.
                           : std::vector<std::string>{"-c:v", "libx264", "-preset", "veryfast", "-crf", "20",
                                                      "-pix_fmt", "yuv420p"};
              command.insert(command.end(), codec.begin(), codec.end());
              // Fragments of a fifth of a second, each written out as it is
              // cut: a plain MP4 plays only once its index is written at the
              // end, so an ffmpeg that dies (killed, out of memory) would leave
              // nothing, where this leaves every fragment that reached the disk.
              command.insert(command.end(), {"-movflags", "+empty_moov", "-frag_duration", "200000",
                                             "-flush_packets", "1", "-f", "mp4", video.string()});
              return command;
          }(),
          true) {}

std::string muxWithSound(const fs::path& ffmpeg, const fs::path& video, const fs::path& samples, int sampleRate,
                         const fs::path& output) {
    auto command = ffmpegCommand(ffmpeg);
    const std::vector<std::string> rest = {
        "-i", video.string(), "-f", "f32le", "-ar", std::to_string(sampleRate), "-ac", "2", "-i",
        samples.string(), "-map", "0:v:0", "-map", "1:a:0", "-c:v", "copy", "-c:a", "aac", "-b:a", "192k",
        // The index at the front, so a player can start before the whole
        // file has arrived.
        "-movflags", "+faststart", "-f", "mp4", output.string()};
    command.insert(command.end(), rest.begin(), rest.end());
    ChildProcess process(command, false);
    if (process.finish())
        return {};
    const std::string why = process.failure();
    return why.empty() ? "ffmpeg failed" : why;
}

} // namespace recorder
