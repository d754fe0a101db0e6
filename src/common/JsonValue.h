#pragma once
// The one JSON value of the program: vr31kctl's results, the running utility's replies
// on its instance socket, the status file of `vr31kctl connect`. Objects keep their keys
// in the order they were added, so the output reads in the order the documentation
// lists.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

namespace vr31k {

class JsonValue {
public:
    using Value = JsonValue;
    using Array = std::vector<JsonValue>;
    using Object = std::vector<std::pair<std::string, JsonValue>>;

    JsonValue() : m_value(nullptr) {}
    JsonValue(std::nullptr_t) : m_value(nullptr) {}
    JsonValue(bool b) : m_value(b) {}
    JsonValue(int v) : m_value(static_cast<int64_t>(v)) {}
    JsonValue(long v) : m_value(static_cast<int64_t>(v)) {}
    JsonValue(long long v) : m_value(static_cast<int64_t>(v)) {}
    JsonValue(unsigned v) : m_value(static_cast<int64_t>(v)) {}
    JsonValue(unsigned long v) : m_value(static_cast<uint64_t>(v)) {}
    JsonValue(unsigned long long v) : m_value(static_cast<uint64_t>(v)) {}
    JsonValue(double v) : m_value(v) {}
    JsonValue(const char* s) : m_value(std::string(s)) {}
    JsonValue(std::string s) : m_value(std::move(s)) {}
    JsonValue(std::string_view s) : m_value(std::string(s)) {}
    JsonValue(Array a) : m_value(std::move(a)) {}
    JsonValue(const std::vector<int64_t>& numbers) : m_value(Array(numbers.begin(), numbers.end())) {}
    JsonValue(const std::vector<std::string>& texts) : m_value(Array(texts.begin(), texts.end())) {}

    static JsonValue MakeObject() { JsonValue j; j.m_value = Object{}; return j; }
    static JsonValue MakeArray() { JsonValue j; j.m_value = Array{}; return j; }
    // `value` in the JSON; `text` where people read it (DumpText, Text): a number's meaning.
    static JsonValue Shown(JsonValue value, std::string text);
    // An object's value only the JSON carries, because people read the same thing elsewhere.
    static JsonValue JsonOnly(JsonValue value);

    // On an object (a null becomes an empty one): adds a key, or replaces its value in
    // place. Returns *this for chaining.
    JsonValue& Set(std::string key, JsonValue value);
    // On an array: appends.
    JsonValue& Push(JsonValue value);
    const JsonValue* Find(std::string_view key) const;
    // An object's members in order, an array's items; none for anything else.
    const Object& All() const;
    const Array& Items() const;
    // An integer's value, else `fallback`.
    int64_t Integer(int64_t fallback = 0) const;
    // A member's Text(), "" when absent; an integer member, else `fallback`; whether a
    // member is true.
    std::string Text(std::string_view key) const;
    int64_t Number(std::string_view key, int64_t fallback = 0) const;
    bool Flag(std::string_view key) const;

    // A scalar as people read it: its shown text, a string without quotes, a number as
    // written, null "-".
    std::string Text() const;
    // Compact JSON text on one line.
    std::string Dump() const;
    // The same content for people: "key: value" lines, nested values indented; the
    // whole `indent` steps in, as it reads nested that deep.
    std::string DumpText(int indent = 0) const;

    // The only JSON the program reads, a reply line of the instance socket: one flat
    // object whose values are null, booleans, integers, strings, or lists of integers
    // only or of strings only. Nothing for anything else.
    static std::optional<JsonValue> Parse(std::string_view line);

    bool operator==(const JsonValue&) const = default;

private:
    void DumpTo(std::string& out) const;
    void DumpTextTo(std::string& out, int indent) const;
    std::variant<std::nullptr_t, bool, int64_t, uint64_t, double, std::string, Array, Object> m_value;
    std::optional<std::string> m_shown;
    bool m_jsonOnly = false;
};

// The text in double quotes with its escapes; bytes that are not UTF-8 are replaced, so
// names read from files never make broken JSON.
std::string JsonQuote(std::string_view text);

}  // namespace vr31k
