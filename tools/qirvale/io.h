// Files and the standard streams. The name "-" stands for standard input or output.
// Every failure becomes a ToolError with status kInputOutput naming the file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "bytes.h"
#include "status.h"

namespace QIRVALETool {

// The name of a file in messages: the path, or "standard input" / "standard output" for "-".
std::string DisplayName(const std::string& path, bool output = false);

// Puts standard input and output in binary mode (Windows translates line ends otherwise).
void UseBinaryStandardStreams();

// A file opened for reading, or standard input.
class InputFile {
  public:
    explicit InputFile(const std::string& path);
    ~InputFile();
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    // Fills `buffer` with up to `capacity` bytes; fewer only at the end of the file, and 0
    // once the end is reached.
    std::size_t Read(uint8_t* buffer, std::size_t capacity);
    // The path, or "standard input".
    const std::string& name() const noexcept { return name_; }

  private:
    std::FILE* file_ = nullptr;
    bool owned_ = false;
    std::string name_;
};

// Reads a whole small file (a key, signature or S-box file). A file larger than `limit`
// bytes is malformed: `what` names the kind of file in that message.
SecretBytes ReadSmallFile(const std::string& path, std::size_t limit, std::string_view what);

// A file opened for writing, or standard output. A file that is not committed (an error
// occurred before Commit) is removed again when the object goes away.
class OutputFile {
  public:
    enum class Existing { kReplace, kRefuse };
    enum class Access { kOrdinary, kOwnerOnly };

    // kRefuse fails when the file exists; kOwnerOnly creates it readable and writable by
    // its owner only (POSIX mode 0600), also when it replaces an existing file.
    OutputFile(const std::string& path, Existing existing, Access access = Access::kOrdinary);
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    void Write(const uint8_t* data, std::size_t size);
    void Write(std::string_view text);
    // Flushes and closes the file; its content is then final.
    void Commit();
    const std::string& name() const noexcept { return name_; }

  private:
    std::FILE* file_ = nullptr;
    bool owned_ = false;
    bool committed_ = false;
    std::string path_;
    std::string name_;
};

// For each named file (standard input when there is none) prints "<value>  <name>", the
// value being what `valueOf` computes from the opened file, in the manner of sha256sum. A
// file that cannot be opened or read is reported on standard error and skipped; the others
// are still processed, and the result is then kInputOutput.
ExitStatus PrintForEachFile(const std::vector<std::string>& paths,
                            const std::function<std::string(InputFile&)>& valueOf);

// Writes text to standard output; a write error is a ToolError.
void PrintLine(const std::string& line);
// Flushes standard output; a write error is a ToolError.
void FlushStandardOutput();

}  // namespace QIRVALETool
