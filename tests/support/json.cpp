#include "support/json.h"

#include <cctype>
#include <charconv>
#include <cstring>

namespace qirvale_test {

// Recursive descent over the text; `at_` is the next unread character.
class JsonParser {
  public:
    explicit JsonParser(std::string_view text) : text_(text) {}

    Json Document() {
        Json value = Value();
        if (Peek() != '\0') Fail("trailing characters");
        return value;
    }

  private:
    [[noreturn]] void Fail(const char* what) const {
        throw std::runtime_error(std::string("json: ") + what + " at " + std::to_string(at_));
    }

    // The next character after white space, '\0' at the end.
    char Peek() {
        while (at_ < text_.size() && std::isspace(static_cast<unsigned char>(text_[at_]))) ++at_;
        return at_ < text_.size() ? text_[at_] : '\0';
    }

    // Consumes `word` when the text continues with it.
    bool Take(std::string_view word) {
        Peek();
        if (text_.substr(at_, word.size()) != word) return false;
        at_ += word.size();
        return true;
    }

    void Expect(std::string_view word) {
        if (!Take(word)) Fail("unexpected character or end");
    }

    char Char() {
        if (at_ == text_.size()) Fail("unterminated string");
        return text_[at_++];
    }

    Json Value() {
        Json value;
        value.kind_ =
            Peek() == '-' || std::isdigit(static_cast<unsigned char>(Peek())) ? '0' : Peek();
        if (Take("{")) {
            for (bool more = !Take("}"); more; more = Take(",")) {
                value.keys_.push_back(String());
                Expect(":");
                value.elements_.push_back(Value());
            }
            if (!value.keys_.empty()) Expect("}");
        } else if (Take("[")) {
            for (bool more = !Take("]"); more; more = Take(",")) value.elements_.push_back(Value());
            if (!value.elements_.empty()) Expect("]");
        } else if (value.kind_ == '"') {
            value.text_ = String();
        } else if (value.kind_ == '0') {
            const char* const begin = text_.data() + at_;
            const auto [end, error] =
                std::from_chars(begin, text_.data() + text_.size(), value.number_);
            at_ += end - begin;
            const char next = Peek();
            if (error != std::errc() || (next != '\0' && std::strchr(".eE", next))) {
                Fail("not an integer in range");
            }
        } else if (!Take("true") && !Take("false") && !Take("null")) {
            Fail("unexpected character or end");
        }
        return value;
    }

    std::string String() {
        Expect("\"");
        std::string out;
        for (char c; (c = Char()) != '"';) {
            if (c == '\\' && ((c = Char()) == '\0' || std::strchr("\"\\/", c) == nullptr)) {
                Fail("unsupported escape");
            }
            out.push_back(c);
        }
        return out;
    }

    std::string_view text_;
    std::size_t at_ = 0;
};

Json Json::Parse(std::string_view text) {
    return JsonParser(text).Document();
}

void Json::Expect(char kind) const {
    if (kind_ != kind) throw std::runtime_error("json: value of another kind");
}

const Json& Json::at(const std::string& key) const {
    Expect('{');
    for (std::size_t i = 0; i < keys_.size(); ++i) {
        if (keys_[i] == key) return elements_[i];
    }
    throw std::runtime_error("json: no member \"" + key + "\"");
}

bool Json::contains(const std::string& key) const {
    Expect('{');
    for (const std::string& k : keys_) {
        if (k == key) return true;
    }
    return false;
}

const std::vector<Json>& Json::Elements() const {
    Expect('[');
    return elements_;
}

}  // namespace qirvale_test
