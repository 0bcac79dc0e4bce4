// qirvale: a command-line tool over the QIRVALE library, built on the public C header and
// the shared library only. The commands are in *_command(s).cpp; this file holds the table
// of commands, the help texts and the one place where errors become exit statuses.
#include <cstdio>
#include <exception>
#include <new>
#include <string>
#include <vector>

#include "commands.h"
#include "io.h"

#ifndef QIRVALE_TOOL_VERSION
#define QIRVALE_TOOL_VERSION "unknown"
#endif

namespace QIRVALETool {

namespace {

const OptionSpec kHelp{"help", false};
const OptionSpec kQuiet{"quiet", false};

const char kExitStatuses[] =
    "Exit status: 0 success, 1 signature mismatch, 2 bad usage, 3 a file could not be read\n"
    "or written, 4 malformed key, signature, S-box or ciphertext file, 5 self-test or library\n"
    "failure.\n";

}  // namespace

const std::vector<Command>& Commands() {
    static const std::vector<Command> kCommands = {
        {"selftest",
         "selftest",
         "Runs the library's five known-answer self-tests and prints one line for each.\n"
         "Exit status 5 when any fails.\n",
         {kHelp},
         &RunSelftest},
        {"curves",
         "curves",
         "Lists the standard DSTU 4145 curves: index, basis (pb polynomial, onb normal),\n"
         "field degree m, coefficient A and the bit length of the base-point order n.\n",
         {kHelp},
         &RunCurves},
        {"hash",
         "hash [--sbox FILE] [--iv HEX] [--quiet] [FILE...]",
         "Prints the GOST 34.311-95 digest of each FILE (standard input for - or no FILE) as\n"
         "64 hex digits in the library's byte order, two spaces and the name.\n"
         "  --sbox FILE  S-box: 128 bytes, or 256 hex digits (default: the library's sample\n"
         "               S-box of the standard's worked example)\n"
         "  --iv HEX     start hash value, 64 hex digits (default: zero)\n"
         "  --quiet      no progress display for large files (shown only on a terminal)\n",
         {{"sbox", true}, {"iv", true}, kQuiet, kHelp},
         &RunHash},
        {"keygen",
         "keygen --curve INDEX [--key FILE] [--pub FILE] [--force]",
         "Makes a DSTU 4145 key on a standard curve: a base point generated for the key, a\n"
         "private key and its public key, from the operating system's random source.\n"
         "  --curve INDEX  101..110 (polynomial basis) or 201..205 (normal basis)\n"
         "  --key FILE     private key file, created with mode 0600 (default qirvale.key);\n"
         "                 - writes it to standard output, which must not be a terminal\n"
         "  --pub FILE     public key file (default qirvale.pub)\n"
         "  --force        replace existing files (otherwise they are left alone)\n",
         {{"curve", true}, {"key", true}, {"pub", true}, {"force", false}, kHelp},
         &RunKeygen},
        {"sign",
         "sign --key FILE [--sbox FILE] [--iv HEX] [--out FILE] [--quiet] DOC",
         "Signs the GOST 34.311 hash of DOC (- for standard input) with a private key file\n"
         "and writes a signature file (default: standard output). Warns when the key file is\n"
         "accessible by group or others.\n"
         "  --sbox, --iv  hash parameters, as for 'hash'; the signature file records them\n"
         "                when they are not the defaults (the S-box by its digest)\n"
         "  --quiet       no progress display for a large DOC\n",
         {{"key", true}, {"sbox", true}, {"iv", true}, {"out", true}, kQuiet, kHelp},
         &RunSign},
        {"verify",
         "verify --pub FILE --sig FILE [--sbox FILE] [--iv HEX] [--quiet] DOC",
         "Checks a signature file of DOC under a public key file. Prints \"DOC: signature ok\"\n"
         "and exits 0 when it verifies; \"signature mismatch\" and exit status 1 when not.\n"
         "  --iv HEX     needed only for a signature file that does not record its start value\n"
         "  --sbox FILE  needed when the signature file records an S-box digest: the S-box\n"
         "               must match it (options contradicting the file: exit status 2)\n"
         "  --quiet      no progress display for a large DOC\n",
         {{"pub", true}, {"sig", true}, {"sbox", true}, {"iv", true}, kQuiet, kHelp},
         &RunVerify},
        {"encrypt",
         "encrypt --key FILE --mode ecb|ctr|cfb [--iv HEX] [--sbox FILE] [--out FILE] [--quiet] "
         "[IN]",
         "Encrypts IN (default standard input) with GOST 28147-89 into --out (default\n"
         "standard output).\n"
         "  --key FILE   32 bytes, or 64 hex digits\n"
         "  --mode       ecb: simple replacement, padded with 0x80 then zeros to a multiple of\n"
         "               8 bytes (always at least one byte); ctr: gamma; cfb: gamma with\n"
         "               feedback. ctr and cfb do not pad: output length = input length.\n"
         "  --iv HEX     synchro for ctr and cfb, 16 hex digits; never reuse one with a key\n"
         "  --sbox FILE  as for 'hash' (default: the library's sample S-box)\n"
         "  --out FILE   written to a temporary file beside FILE and renamed over it on\n"
         "               success only; a failed run leaves FILE as it was\n"
         "  --quiet      no progress display for a large IN\n",
         {{"key", true},
          {"mode", true},
          {"iv", true},
          {"sbox", true},
          {"out", true},
          kQuiet,
          kHelp},
         &RunEncrypt},
        {"decrypt",
         "decrypt --key FILE --mode ecb|ctr|cfb [--iv HEX] [--sbox FILE] [--out FILE] [--quiet] "
         "[IN]",
         "Reverses 'encrypt' with the same key, mode, synchro and S-box. In ecb mode the\n"
         "padding is checked and removed.\n",
         {{"key", true},
          {"mode", true},
          {"iv", true},
          {"sbox", true},
          {"out", true},
          kQuiet,
          kHelp},
         &RunDecrypt},
        {"mac",
         "mac --key FILE [--sbox FILE] [--bytes N] [--quiet] [FILE...]",
         "Prints the GOST 28147-89 MAC of each FILE: the MAC step over the data padded with\n"
         "zeros to a multiple of 8 bytes (an empty file is one zero block). Zero padding makes\n"
         "data that differ only in trailing zero bytes share a MAC.\n"
         "  --bytes N  print the first N bytes (1..8) of the final register (default 4)\n"
         "  --quiet    no progress display for large files\n",
         {{"key", true}, {"sbox", true}, {"bytes", true}, kQuiet, kHelp},
         &RunMac},
    };
    return kCommands;
}

namespace {

std::string GeneralUsage() {
    std::string text = "usage: qirvale COMMAND [OPTIONS] [ARGUMENTS]\n\nCommands:\n";
    for (const Command& command : Commands())
        text += "  qirvale " + std::string(command.synopsis) + "\n";
    text +=
        "  qirvale --version\n"
        "  qirvale --help\n"
        "\n'qirvale COMMAND --help' describes a command; the qirvale(1) manual page and\n"
        "tools/README.md describe the key and signature files and the padding.\n\n";
    text += kExitStatuses;
    return text;
}

std::string CommandUsage(const Command& command) {
    return "usage: qirvale " + std::string(command.synopsis) + "\n\n" + command.description + "\n" +
           kExitStatuses;
}

ExitStatus Run(const std::vector<std::string>& words) {
    if (words.empty()) Fail(ExitStatus::kUsage, "no command given (see 'qirvale --help')");
    const std::string& name = words[0];
    if (name == "--help" || name == "-h" || name == "help") {
        std::fputs(GeneralUsage().c_str(), stdout);
        return ExitStatus::kOk;
    }
    if (name == "--version") {
        PrintLine(std::string("qirvale ") + QIRVALE_TOOL_VERSION);
        return ExitStatus::kOk;
    }
    for (const Command& command : Commands()) {
        if (name != command.name) continue;
        const Arguments args = Arguments::Parse(
            name, std::vector<std::string>(words.begin() + 1, words.end()), command.options);
        if (args.Flag("help")) {
            std::fputs(CommandUsage(command).c_str(), stdout);
            return ExitStatus::kOk;
        }
        ShowProgress(!args.Flag("quiet"));
        return command.run(args);
    }
    Fail(ExitStatus::kUsage, "unknown command \"" + name + "\" (see 'qirvale --help')");
}

void Report(const char* message) {
    std::fprintf(stderr, "qirvale: %s\n", message);
}

}  // namespace

}  // namespace QIRVALETool

int main(int argc, char** argv) {
    using namespace QIRVALETool;
    try {
        UseBinaryStandardStreams();
        const ExitStatus status = Run(std::vector<std::string>(argv + 1, argv + argc));
        FlushStandardOutput();
        return static_cast<int>(status);
    } catch (const ToolError& error) {
        std::fflush(stdout);
        Report(error.what());
        return static_cast<int>(error.status());
    } catch (const std::bad_alloc&) {
        Report("out of memory");
    } catch (const std::exception& error) {
        Report((std::string("internal error: ") + error.what()).c_str());
    } catch (...) {
        Report("internal error");
    }
    return static_cast<int>(ExitStatus::kFailure);
}
