#include "support/json.h"

#include <cctype>

namespace qirvale_test {

// Recursive descent over the text; `at_` is the next unread character.
class JsonParser {
  public:
    explicit JsonParser(std::string_view text) : text_(text) {}

    Json Document() {
        Json value = Value();
        SkipSpace();
        if (at_ != text_.size()) Fail("trailing characters");
        return value;
    }

  private:
    [[noreturn]] void Fail(const char* what) const {
        throw std::runtime_error(std::string("json: ") + what + " at offset " +
                                 std::to_string(at_));
    }

    void SkipSpace() {
        while (at_ < text_.size() && std::isspace(static_cast<unsigned char>(text_[at_]))) ++at_;
    }

    char Next() {
        SkipSpace();
        if (at_ == text_.size()) Fail("unexpected end");
        return text_[at_];
    }

    void Take(char c) {
        if (!TakeIf(c)) Fail("unexpected character");
    }

    // Consumes c when it is the next character.
    bool TakeIf(char c) {
        if (Next() != c) return false;
        ++at_;
        return true;
    }

    bool TakeWord(std::string_view word) {
        if (text_.substr(at_, word.size()) != word) return false;
        at_ += word.size();
        return true;
    }

    Json Value() {
        Json value;
        const char c = Next();
        if (c == '{') {
            value.kind_ = Json::Kind::Object;
            ++at_;
            if (!TakeIf('}')) {
                do {
                    std::string key = String();
                    Take(':');
                    value.members_.emplace_back(std::move(key), Value());
                } while (TakeIf(','));
                Take('}');
            }
        } else if (c == '[') {
            value.kind_ = Json::Kind::Array;
            ++at_;
            if (!TakeIf(']')) {
                do {
                    value.elements_.push_back(Value());
                } while (TakeIf(','));
                Take(']');
            }
        } else if (c == '"') {
            value.kind_ = Json::Kind::String;
            value.text_ = String();
        } else if (TakeWord("true")) {
            value.kind_ = Json::Kind::Boolean;
            value.boolean_ = true;
        } else if (TakeWord("false")) {
            value.kind_ = Json::Kind::Boolean;
        } else if (TakeWord("null")) {
            value.kind_ = Json::Kind::Null;
        } else {
            value.kind_ = Json::Kind::Number;
            if (text_[at_] == '-') {
                value.negative_ = true;
                ++at_;
            }
            const std::size_t first = at_;
            while (at_ < text_.size() && std::isdigit(static_cast<unsigned char>(text_[at_]))) {
                if (value.magnitude_ > (UINT64_MAX - 9) / 10) Fail("number too large");
                value.magnitude_ = 10 * value.magnitude_ + uint64_t(text_[at_++] - '0');
            }
            if (at_ == first) Fail("unexpected character");
            if (at_ < text_.size() &&
                (text_[at_] == '.' || text_[at_] == 'e' || text_[at_] == 'E')) {
                Fail("only integers are supported");
            }
        }
        return value;
    }

    std::string String() {
        Take('"');
        std::string out;
        while (true) {
            if (at_ == text_.size()) Fail("unterminated string");
            const char c = text_[at_++];
            if (c == '"') return out;
            if (c != '\\') {
                out.push_back(c);
                continue;
            }
            if (at_ == text_.size()) Fail("unterminated escape");
            const char e = text_[at_++];
            switch (e) {
                case '"':
                case '\\':
                case '/':
                    out.push_back(e);
                    break;
                case 'b':
                    out.push_back('\b');
                    break;
                case 'f':
                    out.push_back('\f');
                    break;
                case 'n':
                    out.push_back('\n');
                    break;
                case 'r':
                    out.push_back('\r');
                    break;
                case 't':
                    out.push_back('\t');
                    break;
                case 'u':
                    AppendUtf8(HexQuad(), out);
                    break;
                default:
                    Fail("bad escape");
            }
        }
    }

    unsigned HexQuad() {
        if (at_ + 4 > text_.size()) Fail("short \\u escape");
        unsigned v = 0;
        for (int i = 0; i < 4; ++i) {
            const char c = text_[at_++];
            const int digit = std::isdigit(static_cast<unsigned char>(c))    ? c - '0'
                              : std::isxdigit(static_cast<unsigned char>(c)) ? (c | 0x20) - 'a' + 10
                                                                             : -1;
            if (digit < 0) Fail("bad \\u escape");
            v = v << 4 | unsigned(digit);
        }
        return v;
    }

    static void AppendUtf8(unsigned v, std::string& out) {
        if (v < 0x80) {
            out.push_back(char(v));
        } else if (v < 0x800) {
            out.push_back(char(0xC0 | v >> 6));
            out.push_back(char(0x80 | (v & 0x3F)));
        } else {
            out.push_back(char(0xE0 | v >> 12));
            out.push_back(char(0x80 | (v >> 6 & 0x3F)));
            out.push_back(char(0x80 | (v & 0x3F)));
        }
    }

    std::string_view text_;
    std::size_t at_ = 0;
};

Json Json::Parse(std::string_view text) {
    return JsonParser(text).Document();
}

void Json::Expect(Kind kind) const {
    if (kind_ != kind) throw std::runtime_error("json: value of another kind");
}

bool Json::contains(const std::string& key) const {
    Expect(Kind::Object);
    for (const auto& member : members_) {
        if (member.first == key) return true;
    }
    return false;
}

const Json& Json::at(const std::string& key) const {
    Expect(Kind::Object);
    for (const auto& member : members_) {
        if (member.first == key) return member.second;
    }
    throw std::runtime_error("json: no member \"" + key + "\"");
}

std::size_t Json::size() const {
    if (kind_ == Kind::Object) return members_.size();
    return Elements().size();
}

const Json& Json::operator[](std::size_t index) const {
    if (index >= Elements().size()) throw std::runtime_error("json: index out of range");
    return elements_[index];
}

const std::vector<Json>& Json::Elements() const {
    Expect(Kind::Array);
    return elements_;
}

}  // namespace qirvale_test
