#include "audio/VorbisFile.h"

#include "audio/PcmBlock.h"

#include <vorbis/vorbisfile.h>

#include <cstdio>
#include <future>
#include <map>
#include <stdexcept>
#include <system_error>
#include <thread>

namespace rtr {

namespace {

// Decodes started ahead, by path. Only the main thread touches the map; the
// workers only decode.
std::map<std::string, std::future<VorbisPcm>>& pendingDecodes() {
    static std::map<std::string, std::future<VorbisPcm>> pending;
    return pending;
}

VorbisPcm takeOrDecode(const std::string& path) {
    auto& pending = pendingDecodes();
    const auto found = pending.find(path);
    if (found == pending.end())
        return decodeVorbisFile(path);
    std::future<VorbisPcm> decode = std::move(found->second);
    pending.erase(found);
    return decode.get();
}

} // namespace

VorbisPcm decodeVorbisFile(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr)
        throw std::runtime_error("Failed to open file for reading");
    // The default callbacks close the file with fclose when the decoder is
    // cleared; a failed open leaves the file to us.
    OggVorbis_File stream{};
    if (ov_open_callbacks(file, &stream, nullptr, 0, OV_CALLBACKS_DEFAULT) != 0) {
        std::fclose(file);
        throw std::runtime_error("Failed to read Vorbis file");
    }
    struct Clear {
        OggVorbis_File* stream;
        ~Clear() { ov_clear(stream); }
    } clear{&stream};

    const vorbis_info* info = ov_info(&stream, -1);
    if (info == nullptr || ov_pcm_total(&stream, -1) < 0)
        throw std::runtime_error("Failed to read Vorbis file");
    // OpenAL takes mono and stereo; more channels, uploaded as stereo, play
    // as loud garbled tones.
    if (info->channels != 1 && info->channels != 2)
        throw std::runtime_error("Sound with " + std::to_string(info->channels) + " channels (mono or stereo only)");

    // The length the stream claims is not used to size anything: a damaged
    // last page can claim hours. The block grows with what really decodes.
    auto bytes = Audio::decodeWhole([&stream](char* destination, int capacity) {
        // Little-endian, 16-bit, signed samples.
        return ov_read(&stream, destination, capacity, 0, 2, 1, nullptr);
    });
    if (!bytes)
        throw std::runtime_error("Sound too long for one AL buffer");
    return VorbisPcm{info->channels, info->rate, std::move(*bytes)};
}

void startDecoding(const std::string& path) {
    auto& pending = pendingDecodes();
    if (pending.count(path) != 0)
        return;
    // A detached worker: a decode nobody takes (no sound device) or one
    // that never ends (a file that blocks on opening) must not hold up the
    // program's exit, as a future of std::async would.
    std::promise<VorbisPcm> promise;
    std::future<VorbisPcm> decode = promise.get_future();
    try {
        std::thread([path, promise = std::move(promise)]() mutable {
            try {
                promise.set_value(decodeVorbisFile(path));
            } catch (...) {
                promise.set_exception(std::current_exception());
            }
        }).detach();
    } catch (const std::system_error&) {
        return; // no thread to be had: the file is decoded when it is needed
    }
    pending.emplace(path, std::move(decode));
}

VorbisFile::VorbisFile(const std::string& path, bool mono) {
    VorbisPcm pcm = takeOrDecode(path);
    if (mono && pcm.channels == 2) {
        Audio::mixDownToMono(pcm.bytes);
        pcm.channels = 1;
        mixedDown = true;
    }
    alBufferData(name, pcm.channels == 1 ? AL_FORMAT_MONO16 : AL_FORMAT_STEREO16, pcm.bytes.data(),
                 static_cast<ALsizei>(pcm.bytes.size()), static_cast<ALsizei>(pcm.rate));
}

} // namespace rtr
