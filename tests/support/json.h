// A small JSON reader for the vector files under tests/vectors/: objects, arrays, strings
// (escaped quote, backslash and slash only), integers, booleans and null. Malformed text, a missing
// member and a value of the wrong kind throw std::runtime_error, failing the test.
#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace qirvale_test {

template <class T>
struct IsVector : std::false_type {};
template <class T>
struct IsVector<std::vector<T>> : std::true_type {};

class Json {
  public:
    static Json Parse(std::string_view text);

    bool is_null() const { return kind_ == 'n'; }

    // Members of an object, elements of an array; size() counts either.
    const Json& at(const std::string& key) const;
    bool contains(const std::string& key) const;
    const Json& operator[](const std::string& key) const { return at(key); }
    const Json& operator[](std::size_t index) const { return Elements().at(index); }
    std::size_t size() const { return kind_ == '{' ? elements_.size() : Elements().size(); }
    std::vector<Json>::const_iterator begin() const { return Elements().begin(); }
    std::vector<Json>::const_iterator end() const { return Elements().end(); }

    // The value as std::string, bool, an integer type (range-checked) or a std::vector of those.
    template <class T>
    T get() const {
        if constexpr (IsVector<T>::value) {
            T values;
            for (const Json& e : Elements()) values.push_back(e.get<typename T::value_type>());
            return values;
        } else if constexpr (std::is_same_v<T, std::string>) {
            Expect('"');
            return text_;
        } else if constexpr (std::is_same_v<T, bool>) {
            if (kind_ != 't') Expect('f');
            return kind_ == 't';
        } else {
            static_assert(std::is_integral_v<T>, "Json::get: string, integer or vector");
            Expect('0');
            const T value = T(number_);
            const bool negative = std::is_signed_v<T> && int64_t(value) < 0;
            if (int64_t(value) != number_ || negative != (number_ < 0)) {
                throw std::runtime_error("json: number out of range");
            }
            return value;
        }
    }

    template <class T,
              class = std::enable_if_t<std::is_integral_v<T> || std::is_same_v<T, std::string>>>
    operator T() const {
        return get<T>();
    }

  private:
    friend class JsonParser;
    void Expect(char kind) const;
    const std::vector<Json>& Elements() const;

    char kind_ = 'n';  // '{', '[', '"', '0' (number), 't' / 'f' (booleans) or 'n' (null)
    int64_t number_ = 0;
    std::string text_;
    std::vector<Json> elements_;     // of an array, or the member values of an object
    std::vector<std::string> keys_;  // of an object
};

}  // namespace qirvale_test
