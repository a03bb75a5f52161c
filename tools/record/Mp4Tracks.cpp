#include "Mp4Tracks.h"

#include <algorithm>
#include <fstream>

namespace recorder {

namespace {

// Far beyond the movie box of a recording (a few bytes a frame): a larger
// size is a damaged file, not a reason to allocate it.
constexpr std::uint64_t kMaxMovieBox = 64u << 20;

std::uint64_t bigEndian(const unsigned char* bytes, int count) {
    std::uint64_t value = 0;
    for (int i = 0; i < count; ++i)
        value = value << 8 | bytes[i];
    return value;
}

struct Box {
    std::string type;
    const unsigned char* body;
    std::size_t size; // of the body
};

// The boxes that fill [begin, end) exactly, or nothing when one of them
// runs past the end.
std::optional<std::vector<Box>> boxesIn(const unsigned char* begin, const unsigned char* end) {
    std::vector<Box> boxes;
    while (begin != end) {
        const auto left = static_cast<std::uint64_t>(end - begin);
        if (left < 8)
            return std::nullopt;
        std::uint64_t size = bigEndian(begin, 4);
        std::uint64_t header = 8;
        if (size == 1) {
            if (left < 16)
                return std::nullopt;
            size = bigEndian(begin + 8, 8);
            header = 16;
        } else if (size == 0) {
            size = left; // to the end
        }
        if (size < header || size > left)
            return std::nullopt;
        boxes.push_back({std::string(reinterpret_cast<const char*>(begin) + 4, 4), begin + header, size - header});
        begin += size;
    }
    return boxes;
}

// The first box of `type` in the body of `parent`.
std::optional<Box> child(const Box& parent, const char* type) {
    const auto boxes = boxesIn(parent.body, parent.body + parent.size);
    if (!boxes)
        return std::nullopt;
    for (const Box& box : *boxes)
        if (box.type == type)
            return box;
    return std::nullopt;
}

// The box at the end of a chain of first children of these types.
std::optional<Box> descend(Box box, std::initializer_list<const char*> types) {
    for (const char* type : types) {
        const auto next = child(box, type);
        if (!next)
            return std::nullopt;
        box = *next;
    }
    return box;
}

Mp4Track trackOf(const Box& trak) {
    Mp4Track track;
    // Full boxes: a version and flags (4 bytes) before their fields.
    if (const auto hdlr = descend(trak, {"mdia", "hdlr"}); hdlr && hdlr->size >= 12)
        track.handler.assign(reinterpret_cast<const char*>(hdlr->body) + 8, 4);
    const auto stbl = descend(trak, {"mdia", "minf", "stbl"});
    if (!stbl)
        return track;
    // The first sample entry: its size, then its format.
    if (const auto stsd = child(*stbl, "stsd"); stsd && stsd->size >= 16 && bigEndian(stsd->body + 4, 4) > 0)
        track.format.assign(reinterpret_cast<const char*>(stsd->body) + 12, 4);
    if (const auto stsz = child(*stbl, "stsz"); stsz && stsz->size >= 12)
        track.samples = static_cast<std::uint32_t>(bigEndian(stsz->body + 8, 4));
    return track;
}

} // namespace

std::optional<std::vector<Mp4Track>> readMp4Tracks(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    unsigned char header[16];
    while (in.read(reinterpret_cast<char*>(header), 8)) {
        std::uint64_t size = bigEndian(header, 4);
        std::uint64_t headerSize = 8;
        if (size == 1) {
            if (!in.read(reinterpret_cast<char*>(header) + 8, 8))
                return std::nullopt;
            size = bigEndian(header + 8, 8);
            headerSize = 16;
        }
        if (size != 0 && size < headerSize)
            return std::nullopt;
        if (std::string(reinterpret_cast<const char*>(header) + 4, 4) != "moov") {
            if (size == 0) // the last box, to the end of the file
                return std::nullopt;
            in.seekg(static_cast<std::streamoff>(size - headerSize), std::ios::cur);
            continue;
        }
        if (size == 0 || size - headerSize > kMaxMovieBox)
            return std::nullopt;
        std::vector<unsigned char> body(size - headerSize);
        if (!in.read(reinterpret_cast<char*>(body.data()), static_cast<std::streamsize>(body.size())))
            return std::nullopt;
        const auto boxes = boxesIn(body.data(), body.data() + body.size());
        if (!boxes)
            return std::nullopt;
        std::vector<Mp4Track> tracks;
        for (const Box& box : *boxes)
            if (box.type == "trak")
                tracks.push_back(trackOf(box));
        return tracks;
    }
    return std::nullopt;
}

std::optional<std::string> notARecording(const std::filesystem::path& file, long frames) {
    std::error_code error;
    const auto bytes = std::filesystem::file_size(file, error);
    if (error)
        return "cannot be read: " + error.message();
    if (bytes == 0)
        return std::string("is empty");
    const auto tracks = readMp4Tracks(file);
    if (!tracks)
        return std::string("is not a whole MP4 file");
    auto find = [&](const char* handler, const char* format) {
        return std::find_if(tracks->begin(), tracks->end(), [&](const Mp4Track& track) {
            return track.handler == handler && track.format == format;
        });
    };
    const auto video = find("vide", "avc1");
    if (video == tracks->end())
        return std::string("holds no H.264 video");
    if (video->samples != static_cast<std::uint64_t>(frames))
        return "holds " + std::to_string(video->samples) + " of the " + std::to_string(frames) + " frames";
    const auto sound = find("soun", "mp4a");
    if (sound == tracks->end() || sound->samples == 0)
        return std::string("holds no AAC sound");
    return std::nullopt;
}

} // namespace recorder
