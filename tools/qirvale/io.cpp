#include "io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <cerrno>
#include <cstring>

#if defined(_WIN32)
#include <io.h>
#else
#include <unistd.h>
#endif

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

// ---------------------------------------------------------------------------------------
// Input
// ---------------------------------------------------------------------------------------

InputFile::InputFile(const std::string& path) {
    if (IsStandardStream(path)) {
        file_ = stdin;
        name_ = DisplayName(path);
        return;
    }
    name_ = path;
    file_ = std::fopen(path.c_str(), "rb");
    if (file_ == nullptr) FailFile(name_, "open", errno);
    owned_ = true;
}

InputFile::~InputFile() {
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

OutputFile::OutputFile(const std::string& path, Existing existing, Access access) {
    if (IsStandardStream(path)) {
        file_ = stdout;
        name_ = DisplayName(path, true);
        return;
    }
    path_ = path;
    name_ = path;
#if defined(_WIN32)
    int flags = _O_WRONLY | _O_CREAT | _O_BINARY;
    flags |= existing == Existing::kRefuse ? _O_EXCL : _O_TRUNC;
    const int fd = _open(path.c_str(), flags, _S_IREAD | _S_IWRITE);
    (void)access;  // Windows files get the default access of their directory.
    if (fd < 0) FailFile(name_, "create", errno);
    file_ = _fdopen(fd, "wb");
    if (file_ == nullptr) {
        const int error = errno;
        _close(fd);
        FailFile(name_, "create", error);
    }
#else
    int flags = O_WRONLY | O_CREAT | O_CLOEXEC;
    flags |= existing == Existing::kRefuse ? O_EXCL : O_TRUNC;
    const mode_t mode = access == Access::kOwnerOnly ? 0600 : 0666;
    const int fd = open(path.c_str(), flags, mode);
    if (fd < 0) FailFile(name_, "create", errno);
    // A replaced file keeps its old mode: narrow it before anything is written.
    if (access == Access::kOwnerOnly && fchmod(fd, 0600) != 0) {
        const int error = errno;
        close(fd);
        FailFile(name_, "restrict access to", error);
    }
    file_ = fdopen(fd, "wb");
    if (file_ == nullptr) {
        const int error = errno;
        close(fd);
        FailFile(name_, "create", error);
    }
#endif
    owned_ = true;
}

OutputFile::~OutputFile() {
    if (!owned_ || committed_) return;
    std::fclose(file_);
    std::remove(path_.c_str());
}

void OutputFile::Write(const uint8_t* data, std::size_t size) {
    if (size != 0 && std::fwrite(data, 1, size, file_) != size) FailFile(name_, "write", errno);
}

void OutputFile::Write(std::string_view text) {
    Write(reinterpret_cast<const uint8_t*>(text.data()), text.size());
}

void OutputFile::Commit() {
    if (std::fflush(file_) != 0) FailFile(name_, "write", errno);
    if (owned_) {
        committed_ = true;
        if (std::fclose(file_) != 0) {
            const int error = errno;
            std::remove(path_.c_str());
            FailFile(name_, "write", error);
        }
    }
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
