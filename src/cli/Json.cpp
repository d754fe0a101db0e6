#include "cli/Json.h"

#include "common/JsonString.h"
#include "common/TerminalText.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace vr31k::cli {

Json Json::Shown(Json value, std::string text) {
    value.m_shown = std::move(text);
    return value;
}

Json Json::JsonOnly(Json value) {
    value.m_jsonOnly = true;
    return value;
}

Json& Json::Set(std::string key, Json value) {
    auto& object = std::get<Object>(m_value);
    for (auto& [k, v] : object) {
        if (k == key) {
            v = std::move(value);
            return *this;
        }
    }
    object.emplace_back(std::move(key), std::move(value));
    return *this;
}

Json& Json::Push(Json value) {
    std::get<Array>(m_value).push_back(std::move(value));
    return *this;
}

const Json* Json::Find(std::string_view key) const {
    if (const auto* object = std::get_if<Object>(&m_value)) {
        for (const auto& [k, v] : *object) {
            if (k == key) return &v;
        }
    }
    return nullptr;
}

// Names come from files anyone in the group may write: never emit broken UTF-8.
std::string JsonQuote(std::string_view raw) { return QuoteJsonString(raw); }

namespace {
std::string NumberText(double v) {
    if (!std::isfinite(v)) return "null";
    char buffer[64];
    auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, v);
    std::string text(buffer, ec == std::errc() ? end : buffer);
    // Keep reals recognisable as reals (-1.0 rather than -1).
    if (text.find_first_of(".eE") == std::string::npos) text += ".0";
    return text;
}
}  // namespace

void Json::DumpTo(std::string& out) const {
    std::visit(
        [&](const auto& v) {
            using T = std::decay_t<decltype(v)>;
            if constexpr (std::is_same_v<T, std::nullptr_t>) out += "null";
            else if constexpr (std::is_same_v<T, bool>) out += v ? "true" : "false";
            else if constexpr (std::is_same_v<T, int64_t> || std::is_same_v<T, uint64_t>) out += std::to_string(v);
            else if constexpr (std::is_same_v<T, double>) out += NumberText(v);
            else if constexpr (std::is_same_v<T, std::string>) out += JsonQuote(v);
            else if constexpr (std::is_same_v<T, Array>) {
                out += '[';
                for (size_t i = 0; i < v.size(); ++i) {
                    if (i) out += ", ";
                    v[i].DumpTo(out);
                }
                out += ']';
            } else {
                out += '{';
                for (size_t i = 0; i < v.size(); ++i) {
                    if (i) out += ", ";
                    out += JsonQuote(v[i].first);
                    out += ": ";
                    v[i].second.DumpTo(out);
                }
                out += '}';
            }
        },
        m_value);
}

std::string Json::Dump() const {
    std::string out;
    DumpTo(out);
    return out;
}

std::string Json::Text() const {
    if (m_shown) return *m_shown;
    if (const auto* array = std::get_if<Array>(&m_value); array && array->empty()) return "none";
    if (const auto* s = std::get_if<std::string>(&m_value)) return *s;
    if (std::holds_alternative<std::nullptr_t>(m_value)) return "-";
    return Dump();
}

void Json::DumpTextTo(std::string& out, int indent) const {
    const std::string pad(static_cast<size_t>(indent) * 2, ' ');
    // A text of several lines (a message box's) goes on indented under its first line.
    // Values may be names and texts from files anyone in the group writes: a terminal
    // shows them, never obeys them.
    const auto scalarText = [&pad](const Json& j) {
        const std::string text = TerminalLines(j.Text());
        std::string lines;
        size_t start = 0;
        for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
            lines += text.substr(start, end - start) + "\n";
            if (end + 1 < text.size() && text[end + 1] != '\n') lines += pad + "  ";
        }
        return lines + text.substr(start);
    };
    // An empty list reads "none" on its key's line.
    const auto isScalar = [](const Json& j) {
        if (j.m_shown) return true;
        if (const auto* array = std::get_if<Array>(&j.m_value)) return array->empty();
        return !std::holds_alternative<Object>(j.m_value);
    };
    if (const auto* object = std::get_if<Object>(&m_value)) {
        for (const auto& [k, v] : *object) {
            if (v.m_jsonOnly) continue;
            if (isScalar(v)) {
                out += pad + k + ": " + scalarText(v) + "\n";
            } else {
                out += pad + k + ":\n";
                v.DumpTextTo(out, indent + 1);
            }
        }
    } else if (const auto* array = std::get_if<Array>(&m_value)) {
        for (size_t i = 0; i < array->size(); ++i) {
            const Json& v = (*array)[i];
            if (isScalar(v)) {
                out += pad + "- " + scalarText(v) + "\n";
            } else {
                out += pad + "-\n";
                v.DumpTextTo(out, indent + 1);
            }
        }
    } else {
        out += pad + scalarText(*this) + "\n";
    }
}

std::string Json::DumpText(int indent) const {
    std::string out;
    DumpTextTo(out, indent);
    return out;
}

}  // namespace vr31k::cli
