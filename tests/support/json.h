// A small JSON reader for the vector files under tests/vectors/: objects, arrays, strings
// (with the escapes JSON defines, \u up to U+FFFF), integers, booleans and null. It keeps the
// test suite free of third-party libraries. Malformed text, a missing member and a value of
// the wrong kind throw std::runtime_error, which fails the test that read it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <stdexcept>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

namespace qirvale_test {

template <class T>
struct IsVector : std::false_type {};
template <class T>
struct IsVector<std::vector<T>> : std::true_type {};

class Json {
  public:
    enum class Kind { Null, Boolean, Number, String, Array, Object };

    static Json Parse(std::string_view text);

    Kind kind() const { return kind_; }
    bool is_null() const { return kind_ == Kind::Null; }

    // Members of an object.
    bool contains(const std::string& key) const;
    const Json& at(const std::string& key) const;
    const Json& operator[](const std::string& key) const { return at(key); }
    const Json& operator[](const char* key) const { return at(key); }

    // Elements of an array (size() also counts the members of an object).
    std::size_t size() const;
    const Json& operator[](std::size_t index) const;
    std::vector<Json>::const_iterator begin() const { return Elements().begin(); }
    std::vector<Json>::const_iterator end() const { return Elements().end(); }

    // The value as std::string, bool, an integer type (range-checked) or a std::vector of
    // those (from an array).
    template <class T>
    T get() const {
        if constexpr (IsVector<T>::value) {
            T values;
            for (const Json& element : Elements()) {
                values.push_back(element.get<typename T::value_type>());
            }
            return values;
        } else if constexpr (std::is_same_v<T, std::string>) {
            Expect(Kind::String);
            return text_;
        } else if constexpr (std::is_same_v<T, bool>) {
            Expect(Kind::Boolean);
            return boolean_;
        } else {
            static_assert(std::is_integral_v<T>, "Json::get: string, bool or integer");
            Expect(Kind::Number);
            const uint64_t limit = uint64_t(std::numeric_limits<T>::max());
            if (negative_ ? !std::is_signed_v<T> || magnitude_ > limit + 1 : magnitude_ > limit) {
                throw std::runtime_error("json: number out of range");
            }
            if (!negative_ || magnitude_ == 0) return T(magnitude_);
            return T(-int64_t(magnitude_ - 1) - 1);
        }
    }

    template <class T,
              class = std::enable_if_t<std::is_integral_v<T> || std::is_same_v<T, std::string>>>
    operator T() const {
        return get<T>();
    }

  private:
    friend class JsonParser;
    void Expect(Kind kind) const;
    const std::vector<Json>& Elements() const;

    Kind kind_ = Kind::Null;
    bool boolean_ = false;
    bool negative_ = false;
    uint64_t magnitude_ = 0;
    std::string text_;
    std::vector<Json> elements_;
    std::vector<std::pair<std::string, Json>> members_;
};

}  // namespace qirvale_test
