// The recorder never loses what it recorded nor a file it did not make: a
// last step (adding the sound) that fails on a full disk, a killed ffmpeg or
// an ffmpeg that ends well without writing its file leaves the earlier file
// at the output as it was and keeps the silent video;
// an output that is not a regular file is refused before anything renders;
// and the messages for a scratch folder that cannot be made or fills up
// name the reason. The tool runs as a user runs it, in a folder of the
// test's own that is also its TMPDIR; a full disk is a small tmpfs, where
// this machine lets the test mount one.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>

namespace fs = std::filesystem;

namespace {

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string inQuotes(const fs::path& path) { return "'" + path.string() + "'"; }

std::set<std::string> namesIn(const fs::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.insert(entry.path().filename().string());
    return names;
}

// Decoded video frames of a file, or -1 when ffprobe cannot read it.
int framesIn(const fs::path& video) {
    const std::string command = "ffprobe -v error -count_frames -select_streams v:0 -show_entries "
                                "stream=nb_read_frames -of csv=p=0 " + inQuotes(video);
    std::FILE* pipe = ::popen(command.c_str(), "r");
    int frames = -1;
    if (pipe != nullptr) {
        if (std::fscanf(pipe, "%d", &frames) != 1)
            frames = -1;
        ::pclose(pipe);
    }
    return frames;
}

struct RecorderRun {
    int status = -1; // exit status; -1 when it did not exit
    std::string out, err;
};

class RecorderFiles : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
        folder = fs::temp_directory_path() / ("thalvek-recorder-" + std::to_string(::getpid()) + "-" + test->name());
        tmp = folder / "tmp";
        fs::remove_all(folder);
        fs::create_directories(tmp);
    }
    void TearDown() override {
        for (auto mount = mounts.rbegin(); mount != mounts.rend(); ++mount)
            std::system(("umount " + inQuotes(*mount)).c_str());
        fs::remove_all(folder);
    }

    // thalvek-record at a small size for three frames, with `arguments` and
    // the environment `environment` ("NAME=value ..."), in `folder`.
    RecorderRun record(const std::string& arguments, const std::string& environment = "", int timeoutSeconds = 300) {
        const std::string command = "cd " + inQuotes(folder) + " && env TMPDIR=" + inQuotes(tmp) + " " + environment +
                                    " timeout " + std::to_string(timeoutSeconds) + " " +
                                    inQuotes(fs::path(THALVEK_RUNTIME_DIR) / "tools/thalvek-record") +
                                    " --size 64x36 --length 0.1 " + arguments + " >out.txt 2>err.txt";
        RecorderRun run;
        const int status = std::system(command.c_str());
        if (WIFEXITED(status))
            run.status = WEXITSTATUS(status);
        run.out = readFile(folder / "out.txt");
        run.err = readFile(folder / "err.txt");
        return run;
    }

    // A PATH whose ffmpeg runs the real one, except for the run that adds
    // the sound: that one runs the shell commands `soundStep`, which find
    // the file to write in $last, the silent video in $video and the PATH
    // of the real ffmpeg in $real.
    std::string pathWithStandIn(const std::string& soundStep) {
        const fs::path fake = folder / "fake";
        fs::create_directories(fake);
        const std::string path = std::getenv("PATH");
        {
            std::ofstream script(fake / "ffmpeg");
            script << "#!/bin/sh\n"
                      "real='" << path << "'\n"
                      "case \" $* \" in *\" aac \"*)\n"
                      "  for last; do :; done; video=$(printf '%s\\n' \"$@\" | sed -n '/^-i$/{n;p;q}')\n"
                      "  " << soundStep << ";;\n"
                      "esac\n"
                      "PATH=\"$real\" exec ffmpeg \"$@\"\n";
        }
        fs::permissions(fake / "ffmpeg", fs::perms::owner_all);
        return "PATH=" + inQuotes(fake.string() + ":" + path);
    }

    // A file system of `size` at `at`, unmounted again at the end; false
    // where mounting needs rights the test does not have.
    bool mountSmallDisk(const fs::path& at, const std::string& size) {
        fs::create_directories(at);
        if (std::system(("mount -t tmpfs -o size=" + size + " tmpfs " + inQuotes(at) + " 2>/dev/null").c_str()) != 0)
            return false;
        mounts.push_back(at);
        return true;
    }

    // The one silent video kept under the scratch folders, or nothing.
    fs::path keptVideo() const {
        for (const auto& entry : fs::recursive_directory_iterator(tmp))
            if (entry.path().filename() == "video.mp4")
                return entry.path();
        return {};
    }

    fs::path folder;
    fs::path tmp; // the recorder's TMPDIR, in `folder`
    std::vector<fs::path> mounts;
};

const std::string kEarlier = "an earlier recording of the user's";

// A successful recording ends with a "Wrote ..." line; a failed one with one
// line of its own on standard error.
void expectOneLine(const RecorderRun& run) {
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    EXPECT_EQ(run.err.rfind("thalvek-record: ", 0), 0u) << run.err;
}

} // namespace

TEST_F(RecorderFiles, AKilledLastStepKeepsTheEarlierFileAndTheSilentVideo) {
    const fs::path out = folder / "out";
    fs::create_directories(out);
    std::ofstream(out / "tour.mp4") << kEarlier;

    const RecorderRun run = record("--output " + inQuotes(out / "tour.mp4"),
                                   pathWithStandIn("printf partial >\"$last\"; kill -9 $$"));
    EXPECT_EQ(run.status, 1);
    expectOneLine(run);
    EXPECT_NE(run.err.find("killed"), std::string::npos) << run.err;
    EXPECT_TRUE(readFile(out / "tour.mp4") == kEarlier) << "the earlier file was changed";
    EXPECT_EQ(namesIn(out), std::set<std::string>{"tour.mp4"}) << "nothing half-written stays beside it";
    const fs::path kept = keptVideo();
    ASSERT_FALSE(kept.empty()) << run.err;
    EXPECT_NE(run.err.find(kept.string()), std::string::npos) << run.err;
    EXPECT_EQ(framesIn(kept), 3);
}

// Its exit status is not enough: the file must hold the picture and the sound.
TEST_F(RecorderFiles, ALastStepThatEndsWellWithoutItsFileKeepsTheEarlierFileAndTheSilentVideo) {
    const fs::path out = folder / "out";
    fs::create_directories(out);
    const std::string videoOnly =
        "PATH=\"$real\" exec ffmpeg -v error -y -i \"$video\" -c copy -f mp4 \"$last\"";
    for (const std::string& soundStep : {std::string("exit 0"), videoOnly}) {
        std::ofstream(out / "tour.mp4") << kEarlier;
        fs::remove_all(tmp);
        fs::create_directories(tmp);
        const RecorderRun run = record("--output " + inQuotes(out / "tour.mp4"), pathWithStandIn(soundStep));
        EXPECT_EQ(run.status, 1) << soundStep;
        expectOneLine(run);
        EXPECT_TRUE(readFile(out / "tour.mp4") == kEarlier) << "the earlier file was changed: " << soundStep;
        EXPECT_EQ(namesIn(out), std::set<std::string>{"tour.mp4"});
        const fs::path kept = keptVideo();
        ASSERT_FALSE(kept.empty()) << run.err;
        EXPECT_NE(run.err.find(kept.string()), std::string::npos) << run.err;
        EXPECT_EQ(framesIn(kept), 3);
    }
}

TEST_F(RecorderFiles, AFullDiskAtTheOutputKeepsTheEarlierFileAndTheSilentVideo) {
    const fs::path out = folder / "out";
    if (!mountSmallDisk(out, "256k"))
        GTEST_SKIP() << "no tmpfs can be mounted here (it needs root)";
    std::ofstream(out / "tour.mp4") << kEarlier;
    {
        // Full to the last byte: pieces of a page, then single bytes.
        const int filler = ::open((out / "filler").c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
        ASSERT_GE(filler, 0);
        const std::string block(4096, 'x');
        for (const std::size_t piece : {block.size(), std::size_t(1)})
            while (::write(filler, block.data(), piece) > 0) {
            }
        ::close(filler);
    }

    const RecorderRun run = record("--output " + inQuotes(out / "tour.mp4"));
    EXPECT_EQ(run.status, 1);
    expectOneLine(run);
    EXPECT_NE(run.err.find("No space left on device"), std::string::npos) << run.err;
    EXPECT_TRUE(readFile(out / "tour.mp4") == kEarlier) << "the earlier file was changed";
    EXPECT_EQ(namesIn(out), (std::set<std::string>{"filler", "tour.mp4"}));
    const fs::path kept = keptVideo();
    ASSERT_FALSE(kept.empty()) << run.err;
    EXPECT_NE(run.err.find(kept.string()), std::string::npos) << run.err;
    EXPECT_EQ(framesIn(kept), 3);
}

TEST_F(RecorderFiles, AnOutputThatIsNotARegularFileIsRefusedBeforeRendering) {
    std::vector<fs::path> refused = {folder / "folder", folder / "pipe"};
    fs::create_directory(refused[0]);
    ASSERT_EQ(::mkfifo(refused[1].c_str(), 0644), 0);
    // A device node of the test's own (the null device's numbers), where
    // the test may make one: never a device of the system's.
    if (::mknod((folder / "device").c_str(), S_IFCHR | 0644, makedev(1, 3)) == 0)
        refused.push_back(folder / "device");
    for (const fs::path& output : refused) {
        const RecorderRun run = record("--output " + inQuotes(output), "", 60);
        EXPECT_EQ(run.status, 1) << output;
        expectOneLine(run);
        EXPECT_NE(run.err.find(output.string()), std::string::npos) << run.err;
        EXPECT_EQ(run.out, "") << "nothing rendered";
    }
    EXPECT_TRUE(fs::is_directory(refused[0]));
    EXPECT_TRUE(fs::is_fifo(refused[1]));
    if (refused.size() > 2) {
        EXPECT_TRUE(fs::is_character_file(refused[2]));
    }
}

TEST_F(RecorderFiles, AScratchFolderThatCannotBeMadeIsNamedWithTheReason) {
    const fs::path missing = folder / "missing";
    const RecorderRun run = record("--output out.mp4", "TMPDIR=" + inQuotes(missing), 60);
    EXPECT_EQ(run.status, 1);
    expectOneLine(run);
    EXPECT_NE(run.err.find(missing.string() + ": No such file or directory"), std::string::npos) << run.err;
}

TEST_F(RecorderFiles, AFullScratchFolderIsNamedAsFull) {
    if (!mountSmallDisk(tmp, "128k"))
        GTEST_SKIP() << "no tmpfs can be mounted here (it needs root)";
    // Lossless frames this size fill it before the sound's samples do: it
    // is ffmpeg that meets the full disk, and the reason is in its words.
    const RecorderRun run = record("--size 640x360 --lossless --length 1 --output out.mp4");
    EXPECT_EQ(run.status, 1);
    expectOneLine(run);
    EXPECT_NE(run.err.find("No space left on device"), std::string::npos) << run.err;
    EXPECT_FALSE(fs::exists(folder / "out.mp4"));
}
