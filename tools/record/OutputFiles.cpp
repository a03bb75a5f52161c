#include "OutputFiles.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace recorder {

namespace fs = std::filesystem;

namespace {

std::string inQuotes(const fs::path& path) { return "'" + path.string() + "'"; }

// What a path that is not a regular file is, in the user's words.
const char* kindOf(fs::file_type type) {
    switch (type) {
    case fs::file_type::directory:
        return "a folder";
    case fs::file_type::character:
    case fs::file_type::block:
        return "a device";
    case fs::file_type::fifo:
        return "a pipe";
    case fs::file_type::socket:
        return "a socket";
    default:
        return "something else";
    }
}

// The temporary folder as the C++ library picks it.
fs::path temporaryFolder() {
    for (const char* name : {"TMPDIR", "TMP", "TEMP", "TEMPDIR"})
        if (const char* value = std::getenv(name); value != nullptr && *value != '\0')
            return value;
    return "/tmp";
}

} // namespace

std::optional<std::string> cannotWriteOutput(const fs::path& output) {
    std::error_code error;
    // Through symbolic links: a link to a device is a device.
    const fs::file_status status = fs::status(output, error);
    if (status.type() != fs::file_type::not_found) {
        if (error)
            return "cannot look at " + inQuotes(output) + ": " + error.message();
        if (!fs::is_regular_file(status))
            return inQuotes(output) + " is " + kindOf(status.type()) +
                   ", not a regular file: give --output the name of a file to write";
        if (::access(output.c_str(), W_OK) != 0)
            return "cannot write " + inQuotes(output) + ": " + std::strerror(errno);
    }
    // The final file is made beside it: that is the sure test of the folder
    // (permissions, read-only file systems, missing folders).
    const PendingOutput probe(output);
    if (!probe.ok())
        return probe.error();
    return std::nullopt;
}

ScratchFolder::ScratchFolder() {
    const fs::path base = temporaryFolder();
    std::string pattern = (base / "thalvek-record-XXXXXX").string();
    if (::mkdtemp(pattern.data()) != nullptr)
        path_ = pattern;
    else
        error_ = "cannot make a scratch folder in " + base.string() + ": " + std::strerror(errno);
}

ScratchFolder::~ScratchFolder() {
    std::error_code error;
    if (!path_.empty() && !kept_)
        fs::remove_all(path_, error);
}

PendingOutput::PendingOutput(const fs::path& output) {
    // A symbolic link at the output stays a link: its target is replaced.
    std::error_code error;
    target_ = fs::weakly_canonical(fs::absolute(output), error);
    if (error)
        target_ = fs::absolute(output);
    const fs::path folder = target_.parent_path();
    const std::string stem = target_.filename().string() + "." + std::to_string(::getpid());
    for (int attempt = 0; attempt < 100; ++attempt) {
        const fs::path candidate = folder / (stem + (attempt == 0 ? "" : "-" + std::to_string(attempt)) + ".part");
        // 0666: the umask gives it the permissions of any new file.
        const int file = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (file >= 0) {
            ::close(file);
            path_ = candidate;
            return;
        }
        if (errno != EEXIST) {
            error_ = "cannot write " + inQuotes(output) + ": " + std::strerror(errno);
            return;
        }
    }
    error_ = "cannot find a free name for a file in " + inQuotes(folder);
}

PendingOutput::~PendingOutput() {
    if (!path_.empty())
        ::unlink(path_.c_str());
}

std::string PendingOutput::putInPlace() {
    std::error_code error;
    const fs::file_status earlier = fs::status(target_, error);
    if (fs::is_regular_file(earlier))
        fs::permissions(path_, earlier.permissions(), error);
    if (std::rename(path_.c_str(), target_.c_str()) != 0)
        return "cannot put it in place of " + inQuotes(target_) + ": " + std::strerror(errno);
    path_.clear();
    return {};
}

} // namespace recorder
