#include "audio/VorbisFile.h"

#include "audio/PcmBlock.h"

#include <stdexcept>
#include <memory>

namespace rtr {

VorbisFile::VorbisFile(const std::string& path) {
    file = std::fopen(path.c_str(), "rb");
    if (file == nullptr)
        throw std::runtime_error("Failed to open file for reading");
    // The default callbacks close the file with fclose when the decoder is
    // cleared; a failed open leaves the file to us.
    if (ov_open_callbacks(file, &stream, nullptr, 0, OV_CALLBACKS_DEFAULT) != 0) {
        std::fclose(file);
        file = nullptr;
        throw std::runtime_error("Failed to read Vorbis file");
    }
    try {
        decodeAndUpload();
    } catch (...) {
        ov_clear(&stream);
        throw;
    }
}

VorbisFile::~VorbisFile() { ov_clear(&stream); }

void VorbisFile::decodeAndUpload() {
    const vorbis_info* info = ov_info(&stream, -1);
    const ogg_int64_t frames = ov_pcm_total(&stream, -1);
    if (info == nullptr || frames < 0)
        throw std::runtime_error("Failed to read Vorbis file");
    const auto size = Audio::pcmBlockBytes(frames, info->channels);
    if (!size)
        throw std::runtime_error("Sound too long for one AL buffer");

    // Allocated once at its final size; decodeInto zeros what it leaves unfilled.
    const auto block = std::make_unique_for_overwrite<char[]>(*size);
    Audio::decodeInto({block.get(), *size}, [this](char* destination, int capacity) {
        // Little-endian, 16-bit, signed samples.
        return ov_read(&stream, destination, capacity, 0, 2, 1, nullptr);
    });
    alBufferData(name, info->channels == 1 ? AL_FORMAT_MONO16 : AL_FORMAT_STEREO16, block.get(),
                 static_cast<ALsizei>(*size), static_cast<ALsizei>(info->rate));
}

} // namespace rtr
