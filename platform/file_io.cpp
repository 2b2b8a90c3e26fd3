#include "file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <system_error>

namespace platform {
namespace {

std::string describe(int error) {
    return std::generic_category().message(error);
}

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    ~FileDescriptor() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    int get() const { return fd_; }
    // Closes now and reports the error close gives (some file systems report write errors only
    // here).
    int close() {
        const int result = ::close(fd_);
        fd_ = -1;
        return result == 0 ? 0 : errno;
    }

private:
    int fd_;
};

std::string folderOf(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

// Follows symbolic links to the file that is finally written; the target need not exist yet.
std::optional<std::string> resolveLinks(std::string path, std::string& target) {
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
            target = path;
            return std::nullopt;
        }
        std::string link(PATH_MAX, '\0');
        const ssize_t n = ::readlink(path.c_str(), link.data(), link.size());
        if (n < 0) {
            return describe(errno);
        }
        link.resize(static_cast<std::size_t>(n));
        path = link.starts_with('/') ? link : folderOf(path) + "/" + link;
    }
    return describe(ELOOP);
}

int writeAll(int fd, std::span<const std::uint8_t> bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return errno;
        }
        bytes = bytes.subspan(static_cast<std::size_t>(n));
    }
    return 0;
}

mode_t newFileMode() {
    // umask can only be read by setting it; this runs on the window thread alone.
    const mode_t mask = ::umask(022);
    ::umask(mask);
    return 0666 & ~mask;
}

}  // namespace

std::optional<std::string> readFileBytes(const std::string& path, std::vector<std::uint8_t>& out,
                                         std::size_t maxBytes) {
    FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0) {
        return describe(errno);
    }
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0) {
        return describe(errno);
    }
    if (S_ISDIR(st.st_mode)) {
        return "it is a folder";
    }
    if (!S_ISREG(st.st_mode)) {
        return "it is not a regular file";
    }
    if (static_cast<std::uint64_t>(st.st_size) > maxBytes) {
        return "it is too large to be a settings file";
    }
    std::vector<std::uint8_t> bytes;
    bytes.reserve(static_cast<std::size_t>(st.st_size));
    std::uint8_t chunk[65536];
    for (;;) {
        const ssize_t n = ::read(fd.get(), chunk, sizeof chunk);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return describe(errno);
        }
        if (n == 0) {
            break;
        }
        if (bytes.size() + static_cast<std::size_t>(n) > maxBytes) {
            return "it is too large to be a settings file";
        }
        bytes.insert(bytes.end(), chunk, chunk + n);
    }
    out = std::move(bytes);
    return std::nullopt;
}

std::optional<std::string> writeFileDurably(const std::string& path,
                                            std::span<const std::uint8_t> bytes) {
    if (path.empty()) {
        return "no file name was given";
    }
    std::string target;
    if (auto error = resolveLinks(path, target)) {
        return error;
    }
    mode_t mode = newFileMode();
    struct stat st {};
    if (::stat(target.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode)) {
            return "it is a folder";
        }
        if (!S_ISREG(st.st_mode)) {
            return "it is not a regular file";
        }
        mode = st.st_mode & 07777;
    } else if (errno != ENOENT) {
        return describe(errno);
    }

    const std::string folder = folderOf(target);
    const auto slash = target.rfind('/');
    const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
    // Cut long names so that the temporary name stays within the 255 bytes a name may have.
    std::string temp = folder + "/." + name.substr(0, 200) + ".XXXXXX";
    FileDescriptor fd(::mkostemp(temp.data(), O_CLOEXEC));
    if (fd.get() < 0) {
        return describe(errno);
    }
    auto fail = [&](int error) -> std::optional<std::string> {
        ::unlink(temp.c_str());
        return describe(error);
    };
    if (::fchmod(fd.get(), mode) != 0) {
        return fail(errno);
    }
    if (const int error = writeAll(fd.get(), bytes)) {
        return fail(error);
    }
    if (::fsync(fd.get()) != 0) {
        return fail(errno);
    }
    if (const int error = fd.close()) {
        return fail(error);
    }
    if (::rename(temp.c_str(), target.c_str()) != 0) {
        return fail(errno);
    }
    // The rename itself is on the disk only once the folder is.
    FileDescriptor dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.get() < 0) {
        return describe(errno);
    }
    if (::fsync(dir.get()) != 0 && errno != EINVAL) {
        return describe(errno);
    }
    return std::nullopt;
}

std::string displayFileName(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace platform
