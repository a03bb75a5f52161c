#pragma once
// F12's pictures: what the window shows, at the framebuffer's size, as PNG
// files named after the moment they were taken. Reading the pixels is
// queued into a pixel-buffer object on the GL thread and picked up a frame
// later once the driver has finished it; the PNG is encoded and written on a
// worker thread, so the frame loop never waits for either. A file is created
// only where no file of that name exists (a second picture in the same
// second gets "-2", then "-3"...), so no file is ever overwritten.

#include "render/GLObjects.h"

#include <ctime>
#include <future>
#include <string>
#include <vector>

// "thalvek-YYYYMMDD-HHMMSS.png", then "thalvek-YYYYMMDD-HHMMSS-2.png" for
// attempt 2, and so on.
std::string screenshotFileName(const std::tm& takenAt, int attempt);

// The user's pictures folder, asked of xdg-user-dir once per run; without
// $HOME, the absolute path of the folder the user started the command in.
std::string defaultScreenshotFolder();

// Writes `bytes` to a new file `folder`/screenshotFileName(takenAt, n) for
// the first n whose name is free; returns the path written. On failure it
// returns false with `path` and `reason` for the message, and leaves no
// partial file behind.
bool writeNewFile(const std::string& folder, const std::tm& takenAt, const std::vector<unsigned char>& bytes,
                  std::string& path, std::string& reason);

class Screenshots {
public:
    // `folder` empty: the user's pictures folder, found when first needed.
    explicit Screenshots(std::string folder);
    // Finishes what was taken: the last read-back and every file still
    // being written. The GL context must still be current.
    ~Screenshots();
    Screenshots(const Screenshots&) = delete;
    Screenshots& operator=(const Screenshots&) = delete;

    // After the frame is drawn and before the swap: queues the copy of the
    // window's back buffer, width x height from the bottom-left corner.
    void capture(int width, int height);
    // Once per frame: a copy the driver has finished goes to a worker,
    // which prints "Saved <path>" or one line saying why not.
    void collect();

private:
    void handOver();

    std::string folder_;
    rtr::gl::BufferName pixels_;
    std::size_t capacity_ = 0; // bytes allocated for pixels_
    GLsync fence_ = nullptr;   // set while a copy is in flight
    int width_ = 0;
    int height_ = 0;
    std::tm takenAt_{};
    std::vector<std::future<void>> writers_;
};
