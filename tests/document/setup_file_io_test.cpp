#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "document/setup_file_io.h"

namespace fs = std::filesystem;

namespace {

class RecordingHost : public SetupFileHost {
public:
    WindowPlacement placement{0x00302010, 120, 45};
    int refreshes = 0;
    int titlesShown = 0;
    SetupFileContents lastRead;
    std::string titleAtRefresh;

    WindowPlacement windowPlacement() const override { return placement; }
    void refreshAfterRead(CSetupDoc& doc, const SetupFileContents& read) override {
        ++refreshes;
        lastRead = read;
        titleAtRefresh = doc.title;
    }
    void showTitle(const CSetupDoc&) override { ++titlesShown; }
};

std::string slurp(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void spit(const fs::path& p, const std::string& bytes) {
    std::ofstream(p, std::ios::binary) << bytes;
}

class SetupFileIo : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/thrumbleworx-test-XXXXXX";
        dir = ::mkdtemp(pattern);
    }
    void TearDown() override {
        fs::permissions(dir, fs::perms::owner_all, fs::perm_options::add);
        fs::remove_all(dir);
    }
    std::vector<std::string> leftovers() const {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(dir)) {
            if (e.path().filename().string().starts_with(".")) {
                names.push_back(e.path().filename());
            }
        }
        return names;
    }

    fs::path dir;
    RecordingHost host;
};

}  // namespace

TEST_F(SetupFileIo, SaveThenOpenGivesBackTheSetupAndItsWindow) {
    CSetupDoc saved;
    saved.measures[2].samples[3].notes.assign({0, 4, 7});
    saved.tempoBpm = 99.5;
    saved.midiOut.portName = "Synth \u00e9";
    saved.modified = 1;
    const std::string path = dir / "loop.ozk";
    ASSERT_FALSE(writeSetupFile(saved, path, host));
    EXPECT_EQ(saved.path, path);
    EXPECT_EQ(saved.title, " -  +  \u00f7  x :   loop.ozk");
    EXPECT_EQ(saved.modified, 0);
    EXPECT_EQ(host.titlesShown, 1);

    CSetupDoc opened;
    opened.modified = 1;
    RecordingHost other;
    ASSERT_FALSE(readSetupFile(opened, path, other));
    EXPECT_EQ(opened.path, path);
    EXPECT_EQ(opened.modified, 0);
    EXPECT_EQ(other.refreshes, 1);
    EXPECT_EQ(other.titleAtRefresh, saved.title);
    EXPECT_EQ(other.lastRead.baseColor, 0x00302010u);
    EXPECT_EQ(other.lastRead.windowLeft, 120);
    EXPECT_EQ(other.lastRead.windowTop, 45);
    EXPECT_EQ(captureSetupFile(opened, {}).measures, captureSetupFile(saved, {}).measures);
    EXPECT_EQ(opened.tempoBpm, 99.5);
    EXPECT_EQ(opened.midiOut.portName, "Synth \u00e9");
    EXPECT_EQ(fs::file_size(path), 2387u + 8 + 7);  // two more notes, a 7-byte name
    EXPECT_TRUE(leftovers().empty());
}

TEST_F(SetupFileIo, ADamagedFileLeavesTheSetupAsItWas) {
    CSetupDoc good;
    const std::string goodPath = dir / "good.ozk";
    ASSERT_FALSE(writeSetupFile(good, goodPath, host));
    const std::string bytes = slurp(goodPath);
    spit(dir / "short.ozk", bytes.substr(0, bytes.size() - 3));

    CSetupDoc doc;
    doc.path = "/somewhere/mine.ozk";
    doc.title = setupTitle(doc.path);
    doc.modified = 1;
    doc.measures[0].samples[0].notes.assign({1, 2, 3});
    const auto before = captureSetupFile(doc, {});
    const auto error = readSetupFile(doc, dir / "short.ozk", host);
    ASSERT_TRUE(error);
    EXPECT_EQ(*error,
              "Could not open \"" + (dir / "short.ozk").string() + "\": the file ends too early.");
    EXPECT_EQ(captureSetupFile(doc, {}), before);
    EXPECT_EQ(doc.path, "/somewhere/mine.ozk");
    EXPECT_EQ(doc.title, " -  +  \u00f7  x :   mine.ozk");
    EXPECT_EQ(doc.modified, 1);
    EXPECT_EQ(host.refreshes, 0);

    for (const fs::path& p : {dir / "missing.ozk", dir}) {
        const auto e = readSetupFile(doc, p, host);
        ASSERT_TRUE(e);
        EXPECT_NE(e->find(p.string()), std::string::npos) << *e;
        EXPECT_EQ(doc.path, "/somewhere/mine.ozk");
    }
}

TEST_F(SetupFileIo, OpeningDrawsNoRandomNumbersAndKeepsWhatOldFilesLack) {
    // A 1.0 file: no volume, transpose or port name.
    std::string old;
    auto put = [&](std::uint64_t v, int n) {
        for (int i = 0; i < n; ++i) {
            old += static_cast<char>(v >> (8 * i));
        }
    };
    put(0x3F800000, 4);  // 1.0f
    put(0, 2), put(0x405F800000000000, 8), put(0, 4), put(1, 2), put(0, 2), put(0, 4);
    put(0, 4), put(0, 4), put(0, 4);
    for (int m = 0; m < 8; ++m) {
        put(0, 4), put(0, 2);
        for (int s = 0; s < 16; ++s) {
            put(static_cast<std::uint64_t>(s), 2), put(0, 2), put(100, 2), put(64, 2), put(1, 4),
                put(0, 4);
        }
    }
    put(0, 4), put(0, 4), put(682, 4), put(300, 4);
    spit(dir / "old.ozk", old);

    CSetupDoc doc;
    doc.volume = 42;
    doc.transpose = -3;
    doc.midiOut.portName = "Kept";
    std::srand(77);
    const int expected = std::rand();
    std::srand(77);
    ASSERT_FALSE(readSetupFile(doc, dir / "old.ozk", host));
    EXPECT_EQ(std::rand(), expected);
    EXPECT_EQ(doc.volume, 42);
    EXPECT_EQ(doc.transpose, -3);
    EXPECT_EQ(doc.midiOut.portName, "Kept");
    EXPECT_EQ(doc.measureLength, 16);
    EXPECT_EQ(doc.polyphonic, 0);
    EXPECT_EQ(doc.tempoBpm, 126.0);
    EXPECT_EQ(doc.measures[4].nextMeasure, 4);
    EXPECT_EQ(doc.measures[4].samples[9].notes.values(), std::vector<std::int32_t>{9});
}

TEST_F(SetupFileIo, AFailedSaveReportsAndLeavesTheOldFile) {
    CSetupDoc doc;
    const std::string path = dir / "keep.ozk";
    spit(path, "previous contents");
    doc.path = "/earlier/name.ozk";
    doc.modified = 1;

    // The disk fills up: a file size limit makes the write itself fail.
    struct rlimit old {};
    ::getrlimit(RLIMIT_FSIZE, &old);
    auto* previous = ::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old;
    small.rlim_cur = 1000;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const auto error = writeSetupFile(doc, path, host);
    ::setrlimit(RLIMIT_FSIZE, &old);
    ::signal(SIGXFSZ, previous);

    ASSERT_TRUE(error);
    EXPECT_EQ(error->rfind("Could not save \"" + path + "\": ", 0), 0u) << *error;
    EXPECT_EQ(slurp(path), "previous contents");
    EXPECT_EQ(doc.modified, 1);
    EXPECT_EQ(doc.path, "/earlier/name.ozk");
    EXPECT_EQ(host.titlesShown, 0);
    EXPECT_TRUE(leftovers().empty());

    for (const fs::path& p : {dir / "no-such-folder" / "x.ozk", dir}) {
        EXPECT_TRUE(writeSetupFile(doc, p, host)) << p;
        EXPECT_EQ(doc.modified, 1);
    }
}

TEST_F(SetupFileIo, SaveKeepsPermissionsAndFollowsLinks) {
    CSetupDoc doc;
    const fs::path target = dir / "real.ozk";
    spit(target, "x");
    ::chmod(target.c_str(), 0640);
    fs::create_symlink("real.ozk", dir / "link.ozk");

    ASSERT_FALSE(writeSetupFile(doc, dir / "link.ozk", host));
    EXPECT_TRUE(fs::is_symlink(dir / "link.ozk"));
    EXPECT_EQ(fs::file_size(target), 2387u);
    struct stat st {};
    ::stat(target.c_str(), &st);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(doc.path, (dir / "link.ozk").string());

    // A link to a file not yet made creates it.
    fs::create_symlink(dir / "later.ozk", dir / "dangling.ozk");
    ASSERT_FALSE(writeSetupFile(doc, dir / "dangling.ozk", host));
    EXPECT_TRUE(fs::is_regular_file(dir / "later.ozk"));
    EXPECT_TRUE(leftovers().empty());
}
