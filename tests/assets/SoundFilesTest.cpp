// The two Ogg Vorbis sounds decode with libvorbisfile in the layout the
// audio system uploads: the crackling mono (so OpenAL places it at the
// fire), the music stereo, both at 44.1 kHz, audible but never clipped, and
// both loop without a click where the end runs into the start.

#include <vorbis/vorbisfile.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace {

struct Sound {
    int channels = 0;
    long rate = 0;
    std::vector<std::int16_t> samples; // interleaved

    std::size_t frames() const { return channels ? samples.size() / channels : 0; }
    int at(std::size_t frame, int channel) const { return samples[frame * channels + channel]; }
};

Sound decode(const std::string& path) {
    Sound sound;
    OggVorbis_File file;
    if (ov_fopen(path.c_str(), &file) != 0) return sound;
    const vorbis_info* info = ov_info(&file, -1);
    sound.channels = info->channels;
    sound.rate = info->rate;
    sound.samples.resize(static_cast<std::size_t>(ov_pcm_total(&file, -1)) * info->channels);
    char* bytes = reinterpret_cast<char*>(sound.samples.data());
    const long total = static_cast<long>(sound.samples.size() * 2);
    long position = 0;
    int failures = 0;
    while (position < total && failures < 16) {
        const long n = ov_read(&file, bytes + position, static_cast<int>(total - position), 0, 2, 1, nullptr);
        if (n == 0) break;
        if (n < 0) {
            ++failures;
            continue;
        }
        position += n;
    }
    sound.samples.resize(static_cast<std::size_t>(position / 2));
    ov_clear(&file);
    return sound;
}

double rms(const Sound& sound) {
    double sum = 0.0;
    for (std::int16_t s : sound.samples) sum += double(s) * s;
    return std::sqrt(sum / std::max<std::size_t>(sound.samples.size(), 1));
}

class SoundFiles : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        crackling = new Sound(decode("../SFX/crackling.ogg"));
        music = new Sound(decode("../SFX/music.ogg"));
    }
    static void TearDownTestSuite() {
        delete crackling;
        delete music;
    }
    static Sound* crackling;
    static Sound* music;
};

Sound* SoundFiles::crackling = nullptr;
Sound* SoundFiles::music = nullptr;

TEST_F(SoundFiles, CracklingIsMonoAt44100HzForTenToTwentySeconds) {
    ASSERT_EQ(crackling->channels, 1);
    EXPECT_EQ(crackling->rate, 44100);
    const double seconds = double(crackling->frames()) / 44100.0;
    EXPECT_GE(seconds, 10.0);
    EXPECT_LE(seconds, 20.0);
}

TEST_F(SoundFiles, MusicIsStereoAt44100HzForOneToTwoMinutes) {
    ASSERT_EQ(music->channels, 2);
    EXPECT_EQ(music->rate, 44100);
    const double seconds = double(music->frames()) / 44100.0;
    EXPECT_GE(seconds, 60.0);
    EXPECT_LE(seconds, 120.0);
}

// The jump from the last frame back to the first must look like any other
// step near the seam: between single samples, and between the means of
// eight samples on either side, which shows a jump in the low rumble that
// the hiss would hide from the single-sample step.
void expectSeamlessLoop(const Sound& sound, const char* name) {
    ASSERT_GT(sound.frames(), 44100u) << name;
    const long n = static_cast<long>(sound.frames());
    for (int c = 0; c < sound.channels; ++c) {
        auto sample = [&](long i) { return double(sound.at(static_cast<std::size_t>(((i % n) + n) % n), c)); };
        for (const int width : {1, 8}) {
            // Difference of the means of `width` samples after and before p.
            auto step = [&](long p) {
                double after = 0.0, before = 0.0;
                for (int k = 0; k < width; ++k) {
                    after += sample(p + k);
                    before += sample(p - 1 - k);
                }
                return std::abs(after - before) / width;
            };
            double sum = 0.0;
            int count = 0;
            for (long p = -22050; p <= 22050; p += 3) {
                if (std::abs(p) < width) continue;
                sum += step(p) * step(p);
                ++count;
            }
            const double typical = std::sqrt(sum / count);
            EXPECT_LE(step(0), 3.0 * typical + 2.0) << name << " channel " << c << " over " << width << " samples";
        }
    }
}

TEST_F(SoundFiles, CracklingLoopsWithoutAClick) { expectSeamlessLoop(*crackling, "crackling"); }

TEST_F(SoundFiles, MusicLoopsWithoutAClick) { expectSeamlessLoop(*music, "music"); }

TEST_F(SoundFiles, NeitherIsSilentOrClipped) {
    for (const Sound* sound : {crackling, music}) {
        ASSERT_FALSE(sound->samples.empty());
        EXPECT_GT(rms(*sound), 32768.0 * 0.01); // above -40 dBFS
        int peak = 0;
        for (std::int16_t s : sound->samples) peak = std::max(peak, std::abs(int(s)));
        EXPECT_LT(peak, 32000);
    }
}

TEST_F(SoundFiles, MusicSitsUnderTheCrackling) {
    EXPECT_LT(rms(*music), 0.8 * rms(*crackling));
}

} // namespace
