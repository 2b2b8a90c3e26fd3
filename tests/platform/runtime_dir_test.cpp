#include "platform/runtime_dir.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

namespace {

namespace fs = std::filesystem;

class PrivateDir : public testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/thrumbleworx-dir-test-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        root_ = pattern;
    }
    void TearDown() override { fs::remove_all(root_); }
    static mode_t modeOf(const fs::path& path) {
        struct stat st {};
        lstat(path.c_str(), &st);
        return st.st_mode & 0777;
    }
    fs::path root_;
};

TEST_F(PrivateDir, MakesAMissingFolderPrivate) {
    const fs::path dir = root_ / "new";
    ASSERT_TRUE(platform::ensurePrivateDir(dir));
    EXPECT_EQ(modeOf(dir), 0700u);
}

TEST_F(PrivateDir, ClosesAnOwnFolderThatOthersCouldEnter) {
    const fs::path dir = root_ / "open";
    fs::create_directory(dir);
    chmod(dir.c_str(), 0755);
    ASSERT_TRUE(platform::ensurePrivateDir(dir));
    EXPECT_EQ(modeOf(dir), 0700u);
}

// Someone else could have put a link or a file where the folder belongs.
TEST_F(PrivateDir, RefusesWhatIsNotARealFolder) {
    const fs::path target = root_ / "elsewhere";
    fs::create_directory(target);
    fs::create_directory_symlink(target, root_ / "link");
    EXPECT_FALSE(platform::ensurePrivateDir(root_ / "link"));
    {
        std::FILE* f = std::fopen((root_ / "file").c_str(), "w");
        std::fclose(f);
    }
    EXPECT_FALSE(platform::ensurePrivateDir(root_ / "file"));
    EXPECT_FALSE(platform::ensurePrivateDir(""));
}

TEST_F(PrivateDir, UserFolderLivesInTheRuntimeFolder) {
    const char* old = std::getenv("XDG_RUNTIME_DIR");
    const std::string saved = old != nullptr ? old : "";
    setenv("XDG_RUNTIME_DIR", root_.c_str(), 1);
    const auto dir = platform::userRuntimeDir();
    if (old != nullptr) {
        setenv("XDG_RUNTIME_DIR", saved.c_str(), 1);
    } else {
        unsetenv("XDG_RUNTIME_DIR");
    }
    ASSERT_TRUE(dir.has_value());
    EXPECT_EQ(*dir, (root_ / "thrumbleworx").string());
    EXPECT_EQ(modeOf(*dir), 0700u);
}

}  // namespace
