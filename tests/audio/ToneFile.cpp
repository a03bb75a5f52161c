#include "ToneFile.h"

#include <vorbis/vorbisenc.h>

#include <cmath>
#include <fstream>
#include <numbers>
#include <stdexcept>
#include <string>
#include <vector>

#include <unistd.h>

namespace audio_testing {

namespace {

struct Page {
    std::vector<unsigned char> header, body;
};

void collect(std::vector<Page>& pages, const ogg_page& page) {
    pages.push_back({{page.header, page.header + page.header_len}, {page.body, page.body + page.body_len}});
}

void resetChecksum(Page& page) {
    ogg_page view{page.header.data(), static_cast<long>(page.header.size()), page.body.data(),
                  static_cast<long>(page.body.size())};
    ogg_page_checksum_set(&view);
}

} // namespace

void writeToneFile(const std::filesystem::path& path, const ToneFile& tone) {
    vorbis_info info;
    vorbis_info_init(&info);
    if (vorbis_encode_init_vbr(&info, tone.channels, tone.rate, 0.3f) != 0)
        throw std::runtime_error("libvorbisenc refused the settings");
    vorbis_comment comment;
    vorbis_comment_init(&comment);
    vorbis_dsp_state dsp;
    vorbis_analysis_init(&dsp, &info);
    vorbis_block block;
    vorbis_block_init(&dsp, &block);
    ogg_stream_state stream;
    ogg_stream_init(&stream, 1234);

    std::vector<Page> pages;
    ogg_packet identification, commentPacket, codebooks;
    vorbis_analysis_headerout(&dsp, &comment, &identification, &commentPacket, &codebooks);
    ogg_stream_packetin(&stream, &identification);
    ogg_stream_packetin(&stream, &commentPacket);
    ogg_stream_packetin(&stream, &codebooks);
    ogg_page page;
    while (ogg_stream_flush(&stream, &page) != 0)
        collect(pages, page);
    const std::size_t headerPages = pages.size();

    auto drain = [&] {
        while (vorbis_analysis_blockout(&dsp, &block) == 1) {
            vorbis_analysis(&block, nullptr);
            vorbis_bitrate_addblock(&block);
            ogg_packet packet;
            while (vorbis_bitrate_flushpacket(&dsp, &packet) == 1) {
                ogg_stream_packetin(&stream, &packet);
                while (ogg_stream_pageout(&stream, &page) != 0)
                    collect(pages, page);
            }
        }
    };
    // A little hiss on top of the tone keeps the encoder from packing
    // seconds into one page, so there are pages to damage or trim.
    std::uint32_t noise = 12345;
    auto hiss = [&noise] {
        noise = noise * 1664525u + 1013904223u;
        return 0.1 * (double(noise >> 8) / double(1u << 24) - 0.5);
    };
    constexpr long kChunk = 4096;
    for (long start = 0; start < tone.frames; start += kChunk) {
        const long count = std::min(kChunk, tone.frames - start);
        float** buffer = vorbis_analysis_buffer(&dsp, static_cast<int>(count));
        for (int c = 0; c < tone.channels; ++c)
            for (long i = 0; i < count; ++i)
                buffer[c][i] = static_cast<float>(
                    0.5 * std::sin(2.0 * std::numbers::pi * tone.frequency * (c + 1) * double(start + i) / tone.rate) +
                    hiss());
        vorbis_analysis_wrote(&dsp, static_cast<int>(count));
        drain();
    }
    vorbis_analysis_wrote(&dsp, 0);
    drain();
    while (ogg_stream_flush(&stream, &page) != 0)
        collect(pages, page);

    ogg_stream_clear(&stream);
    vorbis_block_clear(&block);
    vorbis_dsp_clear(&dsp);
    vorbis_comment_clear(&comment);
    vorbis_info_clear(&info);

    if (tone.claimedFrames) {
        // The granule position (bytes 6-13, little-endian) of the last page
        // is the stream's length.
        Page& last = pages.back();
        for (int i = 0; i < 8; ++i)
            last.header[6 + i] = static_cast<unsigned char>(*tone.claimedFrames >> (8 * i));
        resetChecksum(last);
    }
    if (tone.damageMiddlePage) {
        const std::size_t audioPages = pages.size() - headerPages;
        if (audioPages < 3)
            throw std::runtime_error("too few pages to damage one in the middle");
        // The checksum no longer matches, so the reader drops the page.
        for (unsigned char& byte : pages[headerPages + audioPages / 2].body)
            byte ^= 0xA5;
    }

    std::ofstream out(path, std::ios::binary);
    for (const Page& p : pages) {
        out.write(reinterpret_cast<const char*>(p.header.data()), static_cast<std::streamsize>(p.header.size()));
        out.write(reinterpret_cast<const char*>(p.body.data()), static_cast<std::streamsize>(p.body.size()));
    }
    if (!out)
        throw std::runtime_error("could not write " + path.string());
}

std::filesystem::path scratchFolder() {
    // Removed again when the test process ends.
    static const struct Folder {
        std::filesystem::path path =
            std::filesystem::temp_directory_path() / ("thalvek-audio-" + std::to_string(::getpid()));
        Folder() { std::filesystem::create_directories(path); }
        ~Folder() {
            std::error_code ignored;
            std::filesystem::remove_all(path, ignored);
        }
    } folder;
    return folder.path;
}

} // namespace audio_testing
