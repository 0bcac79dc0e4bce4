#include "arguments.h"

#include "status.h"

namespace QIRVALETool {

namespace {

const OptionSpec* FindOption(const std::vector<OptionSpec>& options, std::string_view name) {
    for (const OptionSpec& option : options) {
        if (name == option.name) return &option;
    }
    return nullptr;
}

}  // namespace

Arguments Arguments::Parse(const std::string& command, const std::vector<std::string>& words,
                           const std::vector<OptionSpec>& options) {
    Arguments result;
    result.command_ = command;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < words.size(); ++i) {
        const std::string& word = words[i];
        if (optionsEnded || word == "-" || word.empty() || word[0] != '-') {
            result.operands_.push_back(word);
            continue;
        }
        if (word == "--") {
            optionsEnded = true;
            continue;
        }
        std::string_view body = word == "-h" ? std::string_view("--help") : std::string_view(word);
        if (body.substr(0, 2) != "--") result.UsageError("unknown option " + word);
        body.remove_prefix(2);
        std::optional<std::string> inlineValue;
        if (const std::size_t equals = body.find('='); equals != std::string_view::npos) {
            inlineValue = std::string(body.substr(equals + 1));
            body = body.substr(0, equals);
        }
        const OptionSpec* option = FindOption(options, body);
        const std::string display = "--" + std::string(body);
        if (option == nullptr) result.UsageError("unknown option " + display);
        if (result.values_.count(body) != 0 || result.flags_.count(body) != 0) {
            result.UsageError("option " + display + " given twice");
        }
        if (!option->takesValue) {
            if (inlineValue) result.UsageError("option " + display + " takes no value");
            result.flags_.emplace(std::string(body), true);
            continue;
        }
        if (!inlineValue) {
            if (i + 1 == words.size()) result.UsageError("option " + display + " needs a value");
            inlineValue = words[++i];
        }
        result.values_.emplace(std::string(body), *inlineValue);
    }
    return result;
}

bool Arguments::Flag(std::string_view name) const {
    return flags_.count(name) != 0;
}

std::optional<std::string> Arguments::Value(std::string_view name) const {
    const auto found = values_.find(name);
    if (found == values_.end()) return std::nullopt;
    return found->second;
}

std::string Arguments::Required(std::string_view name) const {
    std::optional<std::string> value = Value(name);
    if (!value) UsageError("option --" + std::string(name) + " is required");
    return *value;
}

void Arguments::UsageError(const std::string& message, const std::string& see) const {
    Fail(ExitStatus::kUsage, command_ + ": " + message + " (see '" +
                                 (see.empty() ? "qirvale " + command_ + " --help" : see) + "')");
}

std::optional<unsigned long> ParseDecimal(std::string_view text, unsigned long maximum) {
    if (text.empty() || text.size() > 9 || (text.size() > 1 && text[0] == '0')) return std::nullopt;
    unsigned long value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + static_cast<unsigned long>(c - '0');
    }
    if (value > maximum) return std::nullopt;
    return value;
}

}  // namespace QIRVALETool
