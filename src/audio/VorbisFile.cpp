#include "audio/VorbisFile.h"

#include "audio/PcmBlock.h"

#include <vorbis/vorbisfile.h>

#include <chrono>
#include <cstdio>
#include <future>
#include <map>
#include <stdexcept>
#include <system_error>
#include <thread>

namespace rtr {

namespace {

// A decode started ahead: its worker and the result it hands over. The
// worker owns all it uses (the path and its promise), so it may outlive the
// entry: one that nobody took (no sound device) is joined when the entry
// goes if it has finished, and otherwise left to end on its own, so that a
// decode that never ends (a file that blocks on opening) does not hold up
// the program's exit.
struct PendingDecode {
    std::future<VorbisPcm> result;
    std::thread worker;

    PendingDecode(std::future<VorbisPcm> result, std::thread worker)
        : result(std::move(result)), worker(std::move(worker)) {}
    PendingDecode(PendingDecode&&) = default;
    PendingDecode& operator=(PendingDecode&&) = delete;
    ~PendingDecode() {
        if (!worker.joinable())
            return;
        if (result.wait_for(std::chrono::seconds(0)) == std::future_status::ready)
            worker.join();
        else
            worker.detach();
    }
};

// Decodes started ahead, by path. Only the main thread touches the map; the
// workers only decode.
std::map<std::string, PendingDecode>& pendingDecodes() {
    static std::map<std::string, PendingDecode> pending;
    return pending;
}

VorbisPcm takeOrDecode(const std::string& path) {
    auto& pending = pendingDecodes();
    const auto found = pending.find(path);
    if (found == pending.end())
        return decodeVorbisFile(path);
    PendingDecode decode = std::move(found->second);
    pending.erase(found);
    decode.worker.join(); // as long as the decode takes, as get() would wait
    return decode.result.get();
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
    // Not std::async: its future would wait at exit for a decode nobody
    // takes, or for one that never ends.
    std::promise<VorbisPcm> promise;
    std::future<VorbisPcm> decode = promise.get_future();
    std::thread worker;
    try {
        worker = std::thread([path, promise = std::move(promise)]() mutable {
            try {
                promise.set_value(decodeVorbisFile(path));
            } catch (...) {
                promise.set_exception(std::current_exception());
            }
        });
    } catch (const std::system_error&) {
        return; // no thread to be had: the file is decoded when it is needed
    }
    pending.emplace(path, PendingDecode(std::move(decode), std::move(worker)));
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
