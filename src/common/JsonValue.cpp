#include "common/JsonValue.h"

#include "common/TerminalText.h"
#include "common/Utf8.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace vr31k {

namespace {

void AppendUtf8(uint32_t code, std::string& out) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

// A reader of the one-level JSON the replies use.
class Reader {
public:
    explicit Reader(std::string_view text) : m_text(text) {}

    bool Eat(char c) {
        Skip();
        if (m_at < m_text.size() && m_text[m_at] == c) {
            ++m_at;
            return true;
        }
        return false;
    }
    bool AtEnd() {
        Skip();
        return m_at == m_text.size();
    }
    bool Peek(char c) {
        Skip();
        return m_at < m_text.size() && m_text[m_at] == c;
    }
    bool String(std::string& out) {
        if (!Eat('"')) return false;
        out.clear();
        while (m_at < m_text.size()) {
            const char c = m_text[m_at++];
            if (c == '"') return true;
            if (static_cast<unsigned char>(c) < 0x20) return false;
            if (c != '\\') {
                out += c;
                continue;
            }
            if (m_at >= m_text.size()) return false;
            switch (m_text[m_at++]) {
            case '"': out += '"'; break;
            case '\\': out += '\\'; break;
            case '/': out += '/'; break;
            case 'b': out += '\b'; break;
            case 'f': out += '\f'; break;
            case 'n': out += '\n'; break;
            case 'r': out += '\r'; break;
            case 't': out += '\t'; break;
            case 'u': {
                uint32_t code = 0;
                if (!Hex4(code)) return false;
                if (code >= 0xD800 && code < 0xDC00) {
                    uint32_t low = 0;
                    if (!Eat('\\') || m_at >= m_text.size() || m_text[m_at++] != 'u' || !Hex4(low) || low < 0xDC00 ||
                        low >= 0xE000) {
                        return false;
                    }
                    code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
                } else if (code >= 0xDC00 && code < 0xE000) {
                    return false;
                }
                AppendUtf8(code, out);
                break;
            }
            default: return false;
            }
        }
        return false;
    }
    bool Integer(int64_t& out) {
        Skip();
        const size_t start = m_at;
        if (m_at < m_text.size() && m_text[m_at] == '-') ++m_at;
        const size_t digits = m_at;
        while (m_at < m_text.size() && m_text[m_at] >= '0' && m_text[m_at] <= '9') ++m_at;
        if (m_at == digits || m_at - digits > 18) return false;
        out = std::stoll(std::string(m_text.substr(start, m_at - start)));
        return true;
    }
    bool Word(std::string_view word) {
        Skip();
        if (m_text.substr(m_at, word.size()) != word) return false;
        m_at += word.size();
        return true;
    }
    bool Scalar(JsonValue& out) {
        std::string text;
        int64_t number = 0;
        if (Peek('"')) {
            if (!String(text)) return false;
            out = std::move(text);
        } else if (Word("true")) {
            out = true;
        } else if (Word("false")) {
            out = false;
        } else if (Word("null")) {
            out = nullptr;
        } else if (Integer(number)) {
            out = number;
        } else {
            return false;
        }
        return true;
    }
    // A list holds integers only or strings only.
    bool List(JsonValue& out) {
        if (!Eat('[')) return false;
        JsonValue::Array items;
        if (!Eat(']')) {
            const bool strings = Peek('"');
            do {
                std::string text;
                int64_t number = 0;
                if (strings ? !String(text) : !Integer(number)) return false;
                items.push_back(strings ? JsonValue(std::move(text)) : JsonValue(number));
            } while (Eat(','));
            if (!Eat(']')) return false;
        }
        out = std::move(items);
        return true;
    }

private:
    bool Hex4(uint32_t& out) {
        if (m_at + 4 > m_text.size()) return false;
        out = 0;
        for (int i = 0; i < 4; ++i) {
            const char c = m_text[m_at++];
            out <<= 4;
            if (c >= '0' && c <= '9') out |= static_cast<uint32_t>(c - '0');
            else if (c >= 'a' && c <= 'f') out |= static_cast<uint32_t>(c - 'a' + 10);
            else if (c >= 'A' && c <= 'F') out |= static_cast<uint32_t>(c - 'A' + 10);
            else return false;
        }
        return true;
    }
    void Skip() {
        while (m_at < m_text.size() && (m_text[m_at] == ' ' || m_text[m_at] == '\t')) ++m_at;
    }
    std::string_view m_text;
    size_t m_at = 0;
};

}  // namespace

JsonValue JsonValue::Shown(JsonValue value, std::string text) {
    value.m_shown = std::move(text);
    return value;
}

JsonValue JsonValue::JsonOnly(JsonValue value) {
    value.m_jsonOnly = true;
    return value;
}

JsonValue& JsonValue::Set(std::string key, JsonValue value) {
    if (std::holds_alternative<std::nullptr_t>(m_value)) m_value = Object{};
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

JsonValue& JsonValue::Push(JsonValue value) {
    std::get<Array>(m_value).push_back(std::move(value));
    return *this;
}

const JsonValue* JsonValue::Find(std::string_view key) const {
    if (const auto* object = std::get_if<Object>(&m_value)) {
        for (const auto& [k, v] : *object) {
            if (k == key) return &v;
        }
    }
    return nullptr;
}

const JsonValue::Object& JsonValue::All() const {
    static const Object kNone;
    const auto* object = std::get_if<Object>(&m_value);
    return object != nullptr ? *object : kNone;
}

const JsonValue::Array& JsonValue::Items() const {
    static const Array kNone;
    const auto* array = std::get_if<Array>(&m_value);
    return array != nullptr ? *array : kNone;
}

int64_t JsonValue::Integer(int64_t fallback) const {
    const auto* number = std::get_if<int64_t>(&m_value);
    return number != nullptr ? *number : fallback;
}

std::string JsonValue::Text(std::string_view key) const {
    const JsonValue* value = Find(key);
    return value != nullptr ? value->Text() : std::string();
}

int64_t JsonValue::Number(std::string_view key, int64_t fallback) const {
    const JsonValue* value = Find(key);
    return value != nullptr ? value->Integer(fallback) : fallback;
}

bool JsonValue::Flag(std::string_view key) const {
    const JsonValue* value = Find(key);
    const auto* flag = value != nullptr ? std::get_if<bool>(&value->m_value) : nullptr;
    return flag != nullptr && *flag;
}

// Names come from files anyone in the group may write: never emit broken UTF-8.
std::string JsonQuote(std::string_view raw) {
    const std::string text = ToValidUtf8(raw);
    std::string out = "\"";
    for (char c : text) {
        const auto u = static_cast<unsigned char>(c);
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (u < 0x20) {
                char buffer[8];
                std::snprintf(buffer, sizeof buffer, "\\u%04x", u);
                out += buffer;
            } else {
                out += c;
            }
        }
    }
    out += '"';
    return out;
}

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

void JsonValue::DumpTo(std::string& out) const {
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

std::string JsonValue::Dump() const {
    std::string out;
    DumpTo(out);
    return out;
}

std::string JsonValue::Text() const {
    if (m_shown) return *m_shown;
    if (const auto* array = std::get_if<Array>(&m_value); array && array->empty()) return "none";
    if (const auto* s = std::get_if<std::string>(&m_value)) return *s;
    if (std::holds_alternative<std::nullptr_t>(m_value)) return "-";
    return Dump();
}

void JsonValue::DumpTextTo(std::string& out, int indent) const {
    const std::string pad(static_cast<size_t>(indent) * 2, ' ');
    // A text of several lines (a message box's) goes on indented under its first line.
    // Values may be names and texts from files anyone in the group writes: a terminal
    // shows them, never obeys them.
    const auto scalarText = [&pad](const JsonValue& j) {
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
    const auto isScalar = [](const JsonValue& j) {
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
            const JsonValue& v = (*array)[i];
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

std::string JsonValue::DumpText(int indent) const {
    std::string out;
    DumpTextTo(out, indent);
    return out;
}

std::optional<JsonValue> JsonValue::Parse(std::string_view line) {
    while (!line.empty() && (line.back() == ' ' || line.back() == '\t' || line.back() == '\r')) line.remove_suffix(1);
    Reader reader(line);
    JsonValue object = MakeObject();
    if (!reader.Eat('{')) return std::nullopt;
    if (!reader.Eat('}')) {
        do {
            std::string key;
            JsonValue value;
            if (!reader.String(key) || !reader.Eat(':')) return std::nullopt;
            if (reader.Peek('[') ? !reader.List(value) : !reader.Scalar(value)) return std::nullopt;
            object.Set(std::move(key), std::move(value));
        } while (reader.Eat(','));
        if (!reader.Eat('}')) return std::nullopt;
    }
    if (!reader.AtEnd()) return std::nullopt;
    return object;
}

}  // namespace vr31k
