#include "app/Screenshots.h"

#include "app/Options.h"
#include "render/GLDebug.h"

#include <FreeImage.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include <fcntl.h>
#include <unistd.h>

namespace {

// More pictures than this in one second means something else is wrong.
constexpr int kMaxAttempts = 1000;

// strerror's text, without strerror's shared buffer: workers call this.
std::string describe(int error) { return std::error_code(error, std::generic_category()).message(); }

void report(const char* line) {
    // One call per line: workers and the frame loop may print at once.
    std::fputs(line, stdout);
    std::fflush(stdout);
}

void reportFailure(const std::string& path, const std::string& reason) {
    const std::string line = "Could not save " + path + ": " + reason + "\n";
    std::fputs(line.c_str(), stderr);
    std::fflush(stderr);
}

std::string askXdgUserDir() {
    FILE* pipe = ::popen("xdg-user-dir PICTURES 2>/dev/null", "r");
    if (pipe == nullptr)
        return {};
    std::string answer;
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, pipe) != nullptr)
        answer += buffer;
    return ::pclose(pipe) == 0 ? answer : std::string();
}

// 24-bit PNG bytes of bottom-up BGRA rows (the window's alpha is no part
// of the picture).
bool encodePng(const std::vector<unsigned char>& bgra, int width, int height, std::vector<unsigned char>& png) {
    FIBITMAP* withAlpha = FreeImage_ConvertFromRawBits(const_cast<BYTE*>(bgra.data()), width, height, width * 4, 32,
                                                       FI_RGBA_RED_MASK, FI_RGBA_GREEN_MASK, FI_RGBA_BLUE_MASK, FALSE);
    if (withAlpha == nullptr)
        return false;
    FIBITMAP* picture = FreeImage_ConvertTo24Bits(withAlpha);
    FreeImage_Unload(withAlpha);
    if (picture == nullptr)
        return false;
    FIMEMORY* memory = FreeImage_OpenMemory();
    bool saved = memory != nullptr && FreeImage_SaveToMemory(FIF_PNG, picture, memory, PNG_DEFAULT) != 0;
    BYTE* data = nullptr;
    DWORD size = 0;
    if (saved && FreeImage_AcquireMemory(memory, &data, &size) != 0)
        png.assign(data, data + size);
    else
        saved = false;
    if (memory != nullptr)
        FreeImage_CloseMemory(memory);
    FreeImage_Unload(picture);
    return saved;
}

void saveScreenshot(const std::vector<unsigned char>& bgra, int width, int height, std::string folder,
                    std::tm takenAt) {
    if (folder.empty())
        folder = defaultScreenshotFolder();
    std::vector<unsigned char> png;
    if (!encodePng(bgra, width, height, png)) {
        reportFailure((std::filesystem::path(folder) / screenshotFileName(takenAt, 1)).string(),
                      "the picture could not be encoded as PNG");
        return;
    }
    std::string path, reason;
    if (writeNewFile(folder, takenAt, png, path, reason))
        report(("Saved " + path + "\n").c_str());
    else
        reportFailure(path, reason);
}

} // namespace

std::string screenshotFileName(const std::tm& takenAt, int attempt) {
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &takenAt);
    std::string name = std::string("thalvek-") + stamp;
    if (attempt > 1)
        name += "-" + std::to_string(attempt);
    return name + ".png";
}

std::string defaultScreenshotFolder() {
    // Thread-safe once: the first worker asks, the others wait for it.
    static const std::string folder = [] {
        const char* home = std::getenv("HOME");
        const std::string homeText = home != nullptr ? home : "";
        std::error_code error;
        const bool picturesIsFolder =
            !homeText.empty() && std::filesystem::is_directory(std::filesystem::path(homeText) / "Pictures", error);
        // Where the user started the command: the launcher's word for it,
        // else where the program runs, which is where they started it.
        const char* started = std::getenv(kStartFolderVariable);
        std::filesystem::path startFolder = started != nullptr ? started : "";
        if (!startFolder.is_absolute())
            startFolder = std::filesystem::current_path(error);
        return picturesFolder(askXdgUserDir(), homeText, picturesIsFolder, startFolder.string());
    }();
    return folder;
}

bool writeNewFile(const std::string& folder, const std::tm& takenAt, const std::vector<unsigned char>& bytes,
                  std::string& path, std::string& reason) {
    int descriptor = -1;
    for (int attempt = 1; attempt <= kMaxAttempts; ++attempt) {
        path = (std::filesystem::path(folder) / screenshotFileName(takenAt, attempt)).string();
        // O_EXCL: the name is taken only if nobody has it, even another
        // picture being written at this moment.
        descriptor = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (descriptor >= 0 || errno != EEXIST)
            break;
    }
    if (descriptor < 0) {
        reason = errno == EEXIST ? "every name for this second is taken" : describe(errno);
        return false;
    }
    std::size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t n = ::write(descriptor, bytes.data() + written, bytes.size() - written);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            reason = n < 0 ? describe(errno) : "nothing could be written";
            ::close(descriptor);
            ::unlink(path.c_str());
            return false;
        }
        written += static_cast<std::size_t>(n);
    }
    // A full disk or a network folder may only say so on close.
    if (::close(descriptor) != 0) {
        reason = describe(errno);
        ::unlink(path.c_str());
        return false;
    }
    return true;
}

Screenshots::Screenshots(std::string folder) : folder_(std::move(folder)) {}

Screenshots::~Screenshots() {
    if (fence_ != nullptr) {
        glClientWaitSync(fence_, GL_SYNC_FLUSH_COMMANDS_BIT, GLuint64(10) * 1000 * 1000 * 1000);
        handOver();
    }
    // The futures' destructors wait for the files still being written.
}

void Screenshots::capture(int width, int height) {
    if (width <= 0 || height <= 0)
        return;
    // One copy in flight at a time: an earlier one is handed over first.
    if (fence_ != nullptr) {
        glClientWaitSync(fence_, GL_SYNC_FLUSH_COMMANDS_BIT, GLuint64(10) * 1000 * 1000 * 1000);
        handOver();
    }
    const std::time_t now = std::time(nullptr);
    localtime_r(&now, &takenAt_);
    width_ = width;
    height_ = height;

    GLint readFramebuffer = 0, readBuffer = 0, packBuffer = 0, packAlignment = 4;
    glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &readFramebuffer);
    glGetIntegerv(GL_PIXEL_PACK_BUFFER_BINDING, &packBuffer);
    glGetIntegerv(GL_PACK_ALIGNMENT, &packAlignment);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    glGetIntegerv(GL_READ_BUFFER, &readBuffer);

    const bool created = !pixels_;
    if (created)
        pixels_ = rtr::gl::BufferName::generate();
    glBindBuffer(GL_PIXEL_PACK_BUFFER, pixels_.get());
    if (created)
        rtr::labelObject(GL_BUFFER, pixels_.get(), "screenshot pixels");
    const std::size_t bytes = static_cast<std::size_t>(width) * height * 4;
    if (bytes != capacity_) {
        glBufferData(GL_PIXEL_PACK_BUFFER, static_cast<GLsizeiptr>(bytes), nullptr, GL_STREAM_READ);
        capacity_ = bytes;
    }
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    // BGRA bottom-up is how FreeImage holds a picture: no reordering.
    glReadPixels(0, 0, width, height, GL_BGRA, GL_UNSIGNED_BYTE, nullptr);
    fence_ = glFenceSync(GL_SYNC_GPU_COMMANDS_COMPLETE, 0);

    glReadBuffer(static_cast<GLenum>(readBuffer));
    glPixelStorei(GL_PACK_ALIGNMENT, packAlignment);
    glBindBuffer(GL_PIXEL_PACK_BUFFER, static_cast<GLuint>(packBuffer));
    glBindFramebuffer(GL_READ_FRAMEBUFFER, static_cast<GLuint>(readFramebuffer));
}

void Screenshots::collect() {
    for (auto writer = writers_.begin(); writer != writers_.end();)
        writer = writer->wait_for(std::chrono::seconds(0)) == std::future_status::ready ? writers_.erase(writer)
                                                                                        : writer + 1;
    if (fence_ == nullptr)
        return;
    const GLenum state = glClientWaitSync(fence_, 0, 0);
    if (state == GL_TIMEOUT_EXPIRED)
        return;
    handOver();
}

void Screenshots::handOver() {
    glDeleteSync(fence_);
    fence_ = nullptr;
    GLint packBuffer = 0;
    glGetIntegerv(GL_PIXEL_PACK_BUFFER_BINDING, &packBuffer);
    glBindBuffer(GL_PIXEL_PACK_BUFFER, pixels_.get());
    const auto* mapped = static_cast<const unsigned char*>(
        glMapBufferRange(GL_PIXEL_PACK_BUFFER, 0, static_cast<GLsizeiptr>(capacity_), GL_MAP_READ_BIT));
    std::vector<unsigned char> bgra;
    if (mapped != nullptr) {
        bgra.assign(mapped, mapped + capacity_);
        glUnmapBuffer(GL_PIXEL_PACK_BUFFER);
    }
    glBindBuffer(GL_PIXEL_PACK_BUFFER, static_cast<GLuint>(packBuffer));
    if (bgra.empty()) {
        const std::string folder = folder_.empty() ? defaultScreenshotFolder() : folder_;
        reportFailure((std::filesystem::path(folder) / screenshotFileName(takenAt_, 1)).string(),
                      "the driver did not hand over the picture");
        return;
    }
    try {
        writers_.push_back(std::async(std::launch::async, [bgra = std::move(bgra), width = width_, height = height_,
                                                          folder = folder_, takenAt = takenAt_]() {
            try {
                saveScreenshot(bgra, width, height, folder, takenAt);
            } catch (const std::exception& error) {
                reportFailure(folder.empty() ? "the pictures folder" : folder, error.what());
            }
        }));
    } catch (const std::system_error& error) {
        reportFailure(folder_.empty() ? "the pictures folder" : folder_, error.what());
    }
}
