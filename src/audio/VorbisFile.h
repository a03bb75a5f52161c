#pragma once
// An Ogg Vorbis file decoded whole, at construction, into one OpenAL buffer
// of 16-bit PCM: mono files as AL_FORMAT_MONO16, stereo files as
// AL_FORMAT_STEREO16 (or mixed down to mono on request), at the file's own
// sample rate. OpenAL has no format for other channel counts, so those files
// are refused. Sounds are short loops, so decoding once at start-up is
// cheaper than streaming while the frames run. Decoding needs no OpenAL, so
// a file can be decoded on a worker thread while start-up goes on, and
// taken over by the buffer made from it later.

#include "audio/AudioBuffer.h"

#include <string>
#include <vector>

namespace rtr {

// A whole file's 16-bit PCM and its layout.
struct VorbisPcm {
    int channels = 0;
    long rate = 0;
    std::vector<char> bytes;
};

// Decodes the whole file without touching OpenAL, so on any thread. Throws
// what the VorbisFile constructor throws.
VorbisPcm decodeVorbisFile(const std::string& path);

// Starts decoding `path` on a worker thread (once per path until it is
// taken); the next VorbisFile made from that path waits for it and takes
// its result, a failure included, instead of decoding the file itself.
// Without a thread to spare the file is simply decoded when it is needed.
void startDecoding(const std::string& path);

class VorbisFile : public Audio::Buffer {
public:
    // Throws std::runtime_error with "Failed to open file for reading",
    // "Failed to read Vorbis file", "Sound too long for one AL buffer" or
    // "Sound with N channels (mono or stereo only)"; the buffer name is
    // deleted again and the file closed. `mono`: a stereo file is mixed
    // down to mono.
    explicit VorbisFile(const std::string& path, bool mono = false);

    // The file was stereo and its buffer is mono.
    bool mixedDown = false;
};

} // namespace rtr
