// Files and the standard streams. The name "-" stands for standard input or output.
// Every failure becomes a ToolError with status kInputOutput naming the file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "bytes.h"
#include "status.h"

namespace QIRVALETool {

// The name of a file in messages: the path, or "standard input" / "standard output" for "-".
std::string DisplayName(const std::string& path, bool output = false);

// Puts standard input and output in binary mode (Windows translates line ends otherwise).
void UseBinaryStandardStreams();

// Whether reading a large input (above a few hundred megabytes) shows how far it has got, on
// standard error and only when that is a terminal. On by default; --quiet turns it off.
void ShowProgress(bool shown);

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
    class Progress;

    std::FILE* file_ = nullptr;
    bool owned_ = false;
    std::string name_;
    std::unique_ptr<Progress> progress_;  // only for a large input, with stderr a terminal
};

// Reads a whole small file (a key, signature or S-box file). A file larger than `limit`
// bytes is malformed: `what` names the kind of file in that message.
SecretBytes ReadSmallFile(const std::string& path, std::size_t limit, std::string_view what);

// A file opened for writing, or standard output.
//
// A destination that is a regular file, or that does not exist yet, is never written in
// place: the data go to a new temporary file beside it (".NAME.XXXXXXXX", created exclusively
// and readable by its owner only), which Commit renames over the destination once everything
// is written and synced. Until then the destination stays exactly as it was, and a command that
// fails removes only its temporary file. A symbolic link is followed: the file it points to is
// the one replaced, and the link stays. A replaced file keeps its permission bits (and, where
// allowed, its owner); a new one gets 0666 less the umask.
//
// A destination that exists and is not a regular file (a device, a FIFO, a socket) is opened
// and written directly, and never removed; standard output too. A directory is an error.
class OutputFile {
  public:
    enum class Existing { kReplace, kRefuse };
    enum class Access { kOrdinary, kOwnerOnly };

    // kRefuse fails when anything exists at the path (also when it appears before Commit);
    // kOwnerOnly makes the file readable and writable by its owner only (POSIX mode 0600)
    // from its creation on, also when it replaces a file of another mode.
    OutputFile(const std::string& path, Existing existing, Access access = Access::kOrdinary);
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    void Write(const uint8_t* data, std::size_t size);
    void Write(std::string_view text);
    // Writes everything out and closes the file (syncing a temporary file to the disk); the
    // destination is not changed yet. Called by Commit when not called before.
    void Close();
    // Puts the written file in place; its content is then final.
    void Commit();
    const std::string& name() const noexcept { return name_; }

  private:
    std::FILE* file_ = nullptr;
    bool owned_ = false;
    bool closed_ = false;
    Existing existing_;
    std::string destination_;  // the path written at Commit, symbolic links followed
    std::string temporary_;    // empty when the destination is written directly
    int finalMode_ = 0600;     // the permission bits the committed file gets
    std::optional<std::pair<unsigned, unsigned>> owner_;  // of the file replaced, if not ours
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
