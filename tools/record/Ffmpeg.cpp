#include "Ffmpeg.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <deque>
#include <fstream>

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

ChildProcess::ChildProcess(const std::vector<std::string>& arguments, const fs::path& log, bool pipeInput) {
    int pipeEnds[2] = {-1, -1};
    if (pipeInput && ::pipe2(pipeEnds, O_CLOEXEC) != 0)
        return;

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (pipeInput)
        posix_spawn_file_actions_adddup2(&actions, pipeEnds[0], STDIN_FILENO);
    else
        posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);

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

    if (pipeInput) {
        ::close(pipeEnds[0]);
        if (result != 0) {
            ::close(pipeEnds[1]);
            return;
        }
        input_ = pipeEnds[1];
        // A bigger pipe lets a small frame go in whole while ffmpeg is busy.
        ::fcntl(input_, F_SETPIPE_SZ, 1 << 20);
    }
    if (result == 0)
        pid_ = pid;
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
        return false;
    int status = 0;
    pid_t result;
    do {
        result = ::waitpid(pid_, &status, 0);
    } while (result < 0 && errno == EINTR);
    pid_ = -1;
    return result > 0 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

namespace {

std::vector<std::string> ffmpegCommand(const fs::path& ffmpeg) {
    return {ffmpeg.string(), "-hide_banner", "-nostats", "-loglevel", "error", "-y"};
}

} // namespace

VideoEncoder::VideoEncoder(const fs::path& ffmpeg, const fs::path& video, int width, int height, int fps,
                           bool lossless, const fs::path& log)
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
              command.insert(command.end(), {"-f", "mp4", video.string()});
              return command;
          }(),
          log, true) {}

bool muxWithSound(const fs::path& ffmpeg, const fs::path& video, const fs::path& samples, int sampleRate,
                  const fs::path& output, const fs::path& log) {
    auto command = ffmpegCommand(ffmpeg);
    const std::vector<std::string> rest = {
        "-i", video.string(), "-f", "f32le", "-ar", std::to_string(sampleRate), "-ac", "2", "-i",
        samples.string(), "-map", "0:v:0", "-map", "1:a:0", "-c:v", "copy", "-c:a", "aac", "-b:a", "192k",
        // The index at the front, so a player can start before the whole
        // file has arrived.
        "-movflags", "+faststart", "-f", "mp4", output.string()};
    command.insert(command.end(), rest.begin(), rest.end());
    ChildProcess process(command, log, false);
    return process.finish();
}

std::string tailOf(const fs::path& log, int lines) {
    std::ifstream in(log);
    std::deque<std::string> last;
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty())
            continue;
        last.push_back(line);
        if (static_cast<int>(last.size()) > lines)
            last.pop_front();
    }
    std::string text;
    for (const std::string& kept : last)
        text += (text.empty() ? "" : " | ") + kept;
    return text;
}

} // namespace recorder
