#pragma once
// A small JSON value for the command line's output: objects keep their keys in the
// order they were added, so the output reads in the order the documentation lists.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

namespace vr31k::cli {

class Json {
public:
    using Array = std::vector<Json>;
    using Object = std::vector<std::pair<std::string, Json>>;

    Json() : m_value(nullptr) {}
    Json(std::nullptr_t) : m_value(nullptr) {}
    Json(bool b) : m_value(b) {}
    Json(int v) : m_value(static_cast<int64_t>(v)) {}
    Json(long v) : m_value(static_cast<int64_t>(v)) {}
    Json(long long v) : m_value(static_cast<int64_t>(v)) {}
    Json(unsigned v) : m_value(static_cast<int64_t>(v)) {}
    Json(unsigned long v) : m_value(static_cast<uint64_t>(v)) {}
    Json(unsigned long long v) : m_value(static_cast<uint64_t>(v)) {}
    Json(double v) : m_value(v) {}
    Json(const char* s) : m_value(std::string(s)) {}
    Json(std::string s) : m_value(std::move(s)) {}
    Json(std::string_view s) : m_value(std::string(s)) {}
    Json(Array a) : m_value(std::move(a)) {}

    static Json MakeObject() { Json j; j.m_value = Object{}; return j; }
    static Json MakeArray() { Json j; j.m_value = Array{}; return j; }
    // `value` in the JSON; `text` where people read it (DumpText, Text): a number's meaning.
    static Json Shown(Json value, std::string text);
    // An object's value only the JSON carries, because people read the same thing elsewhere.
    static Json JsonOnly(Json value);

    // On an object: adds (or replaces) a key. Returns *this for chaining.
    Json& Set(std::string key, Json value);
    // On an array: appends.
    Json& Push(Json value);
    const Json* Find(std::string_view key) const;

    // A scalar as people read it: its shown text, a string without quotes, a number as
    // written, null "-".
    std::string Text() const;
    // Compact JSON text on one line.
    std::string Dump() const;
    // The same content for people: "key: value" lines, nested values indented; the
    // whole `indent` steps in, as it reads nested that deep.
    std::string DumpText(int indent = 0) const;

private:
    void DumpTo(std::string& out) const;
    void DumpTextTo(std::string& out, int indent) const;
    std::variant<std::nullptr_t, bool, int64_t, uint64_t, double, std::string, Array, Object> m_value;
    std::optional<std::string> m_shown;
    bool m_jsonOnly = false;
};

std::string JsonQuote(std::string_view text);

}  // namespace vr31k::cli
