// Command-line parsing: options of the form --name VALUE, --name=VALUE or --flag, and
// operands. "--" ends the options; "-" is an operand (standard input or output).
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace QIRVALETool {

struct OptionSpec {
    const char* name;  // without the leading "--"
    bool takesValue;
};

class Arguments {
  public:
    // Parses the words after the command name. Unknown and repeated options, a missing
    // value and a value given to a flag are usage errors (ToolError, kUsage). "-h" is read
    // as "--help" when the command has that flag.
    static Arguments Parse(const std::string& command, const std::vector<std::string>& words,
                           const std::vector<OptionSpec>& options);

    bool Flag(std::string_view name) const;
    std::optional<std::string> Value(std::string_view name) const;
    // The value of an option the command cannot do without.
    std::string Required(std::string_view name) const;
    const std::vector<std::string>& operands() const noexcept { return operands_; }
    const std::string& command() const noexcept { return command_; }

    // A usage error that names the command and where to read more: the command's help, or
    // the command line `see`.
    [[noreturn]] void UsageError(const std::string& message, const std::string& see = "") const;

  private:
    std::string command_;
    std::map<std::string, std::string, std::less<>> values_;
    std::map<std::string, bool, std::less<>> flags_;
    std::vector<std::string> operands_;
};

// Parses a decimal number without sign or leading zeros, at most `maximum`.
std::optional<unsigned long> ParseDecimal(std::string_view text, unsigned long maximum);

}  // namespace QIRVALETool
