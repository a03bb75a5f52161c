#pragma once
// An Ogg Vorbis file decoded whole, at construction, into one OpenAL buffer
// of 16-bit PCM: mono files as AL_FORMAT_MONO16, any other channel count as
// AL_FORMAT_STEREO16, at the file's own sample rate. Sounds are short loops,
// so decoding once at start-up is cheaper than streaming while the frames run.

#include "audio/AudioBuffer.h"

#include <vorbis/vorbisfile.h>

#include <cstdio>
#include <string>

namespace rtr {

class VorbisFile : public Audio::Buffer {
public:
    // Throws std::runtime_error with "Failed to open file for reading",
    // "Failed to read Vorbis file" or "Sound too long for one AL buffer"; the
    // buffer name is deleted again and the file closed.
    explicit VorbisFile(const std::string& path);
    // Closes the decoder, and with it the file.
    ~VorbisFile() override;

    std::FILE* file = nullptr;
    OggVorbis_File stream{};

private:
    void decodeAndUpload();
};

} // namespace rtr
