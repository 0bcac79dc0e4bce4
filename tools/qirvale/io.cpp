#include "io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>

#if defined(_WIN32)
#include <io.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

#include "os_random.h"

namespace QIRVALETool {

namespace {

std::string SystemMessage(int error) {
    return std::strerror(error);
}

[[noreturn]] void FailFile(const std::string& name, const char* action, int error) {
    Fail(ExitStatus::kInputOutput, name + ": cannot " + action + ": " + SystemMessage(error));
}

bool IsStandardStream(const std::string& path) {
    return path == "-";
}

bool IsTerminal(std::FILE* stream) {
#if defined(_WIN32)
    return _isatty(_fileno(stream)) != 0;
#else
    return isatty(fileno(stream)) != 0;
#endif
}

bool progressShown = true;

}  // namespace

std::string DisplayName(const std::string& path, bool output) {
    if (!IsStandardStream(path)) return path;
    return output ? "standard output" : "standard input";
}

void UseBinaryStandardStreams() {
#if defined(_WIN32)
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
#endif
}

void ShowProgress(bool shown) {
    progressShown = shown;
}

// ---------------------------------------------------------------------------------------
// Progress of a large input: one line on standard error, redrawn in place at most twice a
// second (the first time half a second after the start, so that quick runs show nothing),
// and blanked out when the input ends or is abandoned.
// ---------------------------------------------------------------------------------------

class InputFile::Progress {
  public:
    using Clock = std::chrono::steady_clock;
    static constexpr uint64_t kThreshold = 256u << 20;  // bytes: "a few hundred megabytes"
    static constexpr std::chrono::milliseconds kInterval{500};

    // total: the size of the input, or 0 when it is not known (a pipe).
    Progress(const std::string& name, uint64_t total)
        : name_(name.size() > 40 ? "..." + name.substr(name.size() - 37) : name),
          total_(total),
          started_(Clock::now()),
          next_(started_ + kInterval) {}
    ~Progress() {
        if (width_ != 0) std::fprintf(stderr, "\r%*s\r", static_cast<int>(width_), "");
    }
    Progress(const Progress&) = delete;
    Progress& operator=(const Progress&) = delete;

    void Advance(std::size_t bytes) {
        done_ += bytes;
        const Clock::time_point now = Clock::now();
        if (now < next_ || (total_ == 0 && done_ <= kThreshold)) return;
        next_ = now + kInterval;
        const double seconds = std::chrono::duration<double>(now - started_).count();
        char text[160];
        const unsigned long long mib = done_ >> 20;
        const unsigned long long rate = static_cast<unsigned long long>(done_ / seconds) >> 20;
        int length;
        if (total_ != 0) {
            length = std::snprintf(
                text, sizeof text, "qirvale: %s: %llu MiB of %llu MiB (%u%%), %llu MiB/s",
                name_.c_str(), mib, static_cast<unsigned long long>(total_ >> 20),
                static_cast<unsigned>(done_ * 100 / total_), rate);
        } else {
            length = std::snprintf(text, sizeof text, "qirvale: %s: %llu MiB, %llu MiB/s",
                                   name_.c_str(), mib, rate);
        }
        const std::size_t width = length < 0 ? 0 : std::min<std::size_t>(length, sizeof text - 1);
        // Spaces over what is left of a longer line before.
        std::fprintf(stderr, "\r%s%*s", text, static_cast<int>(width_ > width ? width_ - width : 0),
                     "");
        width_ = std::max(width_, width);
    }

  private:
    std::string name_;
    uint64_t total_;
    uint64_t done_ = 0;
    Clock::time_point started_;
    Clock::time_point next_;
    std::size_t width_ = 0;  // of the longest line shown
};

// ---------------------------------------------------------------------------------------
// Input
// ---------------------------------------------------------------------------------------

InputFile::InputFile(const std::string& path) {
    if (IsStandardStream(path)) {
        file_ = stdin;
        name_ = DisplayName(path);
    } else {
        name_ = path;
        file_ = std::fopen(path.c_str(), "rb");
        if (file_ == nullptr) FailFile(name_, "open", errno);
        owned_ = true;
    }
    if (!progressShown || !IsTerminal(stderr)) return;
#if defined(_WIN32)
    struct _stat64 status;
    const bool known = _fstat64(_fileno(file_), &status) == 0 && (status.st_mode & _S_IFREG) != 0;
#else
    struct stat status;
    const bool known = fstat(fileno(file_), &status) == 0 && S_ISREG(status.st_mode);
#endif
    const uint64_t total = known ? static_cast<uint64_t>(status.st_size) : 0;
    if (!known || total > Progress::kThreshold)
        progress_ = std::make_unique<Progress>(name_, total);
}

InputFile::~InputFile() {
    progress_.reset();
    if (owned_) std::fclose(file_);
}

std::size_t InputFile::Read(uint8_t* buffer, std::size_t capacity) {
    std::size_t total = 0;
    while (total < capacity) {
        const std::size_t got = std::fread(buffer + total, 1, capacity - total, file_);
        total += got;
        if (got == 0) {
            if (std::ferror(file_)) FailFile(name_, "read", errno);
            break;
        }
    }
    if (progress_) {
        progress_->Advance(total);
        if (total < capacity) progress_.reset();  // the end: blank the line out
    }
    return total;
}

SecretBytes ReadSmallFile(const std::string& path, std::size_t limit, std::string_view what) {
    InputFile file(path);
    SecretBytes buffer(limit + 1);
    const std::size_t size = file.Read(buffer.data(), buffer.size());
    if (size > limit) {
        Fail(ExitStatus::kMalformed, file.name() + ": malformed " + std::string(what) +
                                         ": larger than " + std::to_string(limit) + " bytes");
    }
    return SecretBytes(buffer.data(), size);
}

// ---------------------------------------------------------------------------------------
// Output
// ---------------------------------------------------------------------------------------

namespace {

// The place of a new file beside `path`: ".NAME.XXXXXXXX" in the same directory, created
// exclusively, readable and writable by its owner only. Returns the descriptor, or -1 with
// errno set; `temporary` receives the name only when the file was created.
int CreateTemporary(const std::string& path, std::string& temporary) {
    const std::size_t slash = path.find_last_of("/\\");
    const std::size_t start = slash == std::string::npos ? 0 : slash + 1;
    // Room for the prefix and suffix within the usual 255-byte limit of a name.
    const std::string stem = path.substr(0, start) + "." + path.substr(start, 200) + ".";
    for (int attempt = 0; attempt < 16; ++attempt) {
        uint8_t random[4];
        FillRandom(random, sizeof random);
        const std::string name = stem + ToHex(random, sizeof random);
#if defined(_WIN32)
        const int fd =
            _open(name.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
#else
        const int fd = open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
#endif
        if (fd >= 0) temporary = name;
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

#if !defined(_WIN32)
// The file a path names once symbolic links are followed (up to 40 of them): the path itself
// when it is no link; where the target would be for a link that leads nowhere yet.
std::string FollowLinks(std::string path, const std::string& name) {
    for (int depth = 0; depth < 40; ++depth) {
        struct stat status;
        if (lstat(path.c_str(), &status) != 0 || !S_ISLNK(status.st_mode)) return path;
        char target[4096];
        const ssize_t length = readlink(path.c_str(), target, sizeof target);
        if (length < 0) FailFile(name, "create", errno);
        if (static_cast<std::size_t>(length) == sizeof target)
            FailFile(name, "create", ENAMETOOLONG);
        std::string next(target, static_cast<std::size_t>(length));
        const std::size_t slash = path.rfind('/');
        if (next[0] != '/' && slash != std::string::npos) next = path.substr(0, slash + 1) + next;
        path = next;
    }
    FailFile(name, "create", ELOOP);
}

// Makes a completed rename durable; a failure here loses nothing, so it is not reported.
void SyncDirectoryOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    const std::string directory = slash == std::string::npos ? "." : path.substr(0, slash + 1);
    const int fd = open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    (void)fsync(fd);
    close(fd);
}
#endif

// Moves a written temporary file to its destination; returns 0 or an errno value. Without
// `replace`, an existing destination is never replaced (EEXIST).
int PutInPlace(const std::string& temporary, const std::string& destination, bool replace) {
#if defined(_WIN32)
    const DWORD flags = MOVEFILE_WRITE_THROUGH | (replace ? MOVEFILE_REPLACE_EXISTING : 0);
    if (MoveFileExA(temporary.c_str(), destination.c_str(), flags)) return 0;
    const DWORD error = GetLastError();
    return error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS ? EEXIST : EACCES;
#else
    if (!replace) {
        // A hard link is created only where nothing exists; a file system without hard links
        // falls back to a check before the rename.
        if (link(temporary.c_str(), destination.c_str()) == 0) {
            unlink(temporary.c_str());
            return 0;
        }
        struct stat status;
        if (errno == EEXIST || lstat(destination.c_str(), &status) == 0) return EEXIST;
    }
    return std::rename(temporary.c_str(), destination.c_str()) == 0 ? 0 : errno;
#endif
}

}  // namespace

OutputFile::OutputFile(const std::string& path, Existing existing, Access access)
    : existing_(existing) {
    if (IsStandardStream(path)) {
        file_ = stdout;
        name_ = DisplayName(path, true);
        return;
    }
    name_ = path;
    destination_ = path;
    bool direct = false;
#if defined(_WIN32)
    struct _stat64 status;
    if (_stat64(path.c_str(), &status) == 0) {
        if ((status.st_mode & _S_IFDIR) != 0)
            Fail(ExitStatus::kInputOutput, name_ + ": is a directory, not a file");
        if (existing == Existing::kRefuse) FailFile(name_, "create", EEXIST);
        direct = (status.st_mode & _S_IFREG) == 0;
    } else if (errno != ENOENT) {
        FailFile(name_, "create", errno);
    }
#else
    struct stat status;
    if (stat(path.c_str(), &status) == 0) {
        if (S_ISDIR(status.st_mode))
            Fail(ExitStatus::kInputOutput, name_ + ": is a directory, not a file");
        if (existing == Existing::kRefuse) FailFile(name_, "create", EEXIST);
        direct = !S_ISREG(status.st_mode);
        finalMode_ = static_cast<int>(status.st_mode & 0777);
        // Best effort: a replaced file keeps its owner where the system allows it.
        if (!direct && (status.st_uid != geteuid() || status.st_gid != getegid())) {
            owner_ = std::make_pair(status.st_uid, status.st_gid);
        }
    } else if (errno != ENOENT) {
        FailFile(name_, "create", errno);
    } else {
        // Nothing there, or a symbolic link that leads nowhere (kRefuse leaves it alone too).
        if (existing == Existing::kRefuse && lstat(path.c_str(), &status) == 0) {
            FailFile(name_, "create", EEXIST);
        }
        const mode_t mask = umask(0);
        umask(mask);
        finalMode_ = static_cast<int>(0666 & ~mask);
    }
#endif
    if (access == Access::kOwnerOnly) finalMode_ = 0600;

    int fd;
    if (direct) {
        // A device, FIFO or socket: written as it is, never replaced or removed.
#if defined(_WIN32)
        fd = _open(path.c_str(), _O_WRONLY | _O_BINARY);
#else
        fd = open(path.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
#endif
    } else {
#if !defined(_WIN32)
        destination_ = FollowLinks(path, name_);
#endif
        fd = CreateTemporary(destination_, temporary_);
    }
    if (fd < 0) FailFile(name_, "create", errno);
#if defined(_WIN32)
    file_ = _fdopen(fd, "wb");
#else
    file_ = fdopen(fd, "wb");
#endif
    if (file_ == nullptr) {
        const int error = errno;
#if defined(_WIN32)
        _close(fd);
#else
        close(fd);
#endif
        FailFile(name_, "create", error);
    }
    owned_ = true;
}

OutputFile::~OutputFile() {
    if (owned_ && file_ != nullptr) std::fclose(file_);
    // Only the file this object made is ever removed.
    if (!temporary_.empty()) std::remove(temporary_.c_str());
}

void OutputFile::Write(const uint8_t* data, std::size_t size) {
    if (size != 0 && std::fwrite(data, 1, size, file_) != size) FailFile(name_, "write", errno);
}

void OutputFile::Write(std::string_view text) {
    Write(reinterpret_cast<const uint8_t*>(text.data()), text.size());
}

void OutputFile::Close() {
    if (closed_) return;
    closed_ = true;
    if (std::fflush(file_) != 0) FailFile(name_, "write", errno);
    if (!owned_) return;
    if (!temporary_.empty()) {
#if defined(_WIN32)
        if (_commit(_fileno(file_)) != 0) FailFile(name_, "write", errno);
#else
        const int fd = fileno(file_);
        if (owner_ && fchown(fd, static_cast<uid_t>(owner_->first),
                             static_cast<gid_t>(owner_->second)) != 0) {
            // Not allowed (only root may give a file away): the file stays the caller's.
        }
        if (fchmod(fd, static_cast<mode_t>(finalMode_)) != 0) {
            FailFile(name_, "write", errno);
        }
        if (fsync(fd) != 0) FailFile(name_, "write", errno);
#endif
    }
    std::FILE* file = file_;
    file_ = nullptr;
    if (std::fclose(file) != 0) FailFile(name_, "write", errno);
}

void OutputFile::Commit() {
    Close();
    if (temporary_.empty()) return;
    const int error = PutInPlace(temporary_, destination_, existing_ == Existing::kReplace);
    if (error != 0) FailFile(name_, error == EEXIST ? "create" : "write", error);
    temporary_.clear();
#if !defined(_WIN32)
    SyncDirectoryOf(destination_);
#endif
}

ExitStatus PrintForEachFile(const std::vector<std::string>& paths,
                            const std::function<std::string(InputFile&)>& valueOf) {
    std::vector<std::string> names = paths;
    if (names.empty()) names.push_back("-");
    ExitStatus status = ExitStatus::kOk;
    for (const std::string& path : names) {
        try {
            InputFile file(path);
            PrintLine(valueOf(file) + "  " + path);
        } catch (const ToolError& error) {
            if (error.status() != ExitStatus::kInputOutput) throw;
            FlushStandardOutput();  // keep the report in order with the lines before it
            std::fprintf(stderr, "qirvale: %s\n", error.what());
            status = ExitStatus::kInputOutput;
        }
    }
    return status;
}

void PrintLine(const std::string& line) {
    if (std::fwrite(line.data(), 1, line.size(), stdout) != line.size() ||
        std::fputc('\n', stdout) == EOF) {
        FailFile("standard output", "write", errno);
    }
}

void FlushStandardOutput() {
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        FailFile("standard output", "write", errno);
    }
}

}  // namespace QIRVALETool
