#include "mainwnd/RemoteProtocol.h"

#include "common/JsonString.h"

namespace vr31k {

namespace {

struct VerbName {
    RemoteVerb verb;
    std::string_view name;
};
constexpr VerbName kVerbs[] = {
    {RemoteVerb::Status, "status"},
    {RemoteVerb::Connect, "connect"},
    {RemoteVerb::Disconnect, "disconnect"},
    {RemoteVerb::Watch, "watch"},
    {RemoteVerb::Changed, "changed"},
};

std::string_view Trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) text.remove_suffix(1);
    return text;
}

void Quote(std::string_view text, std::string& out) { out += QuoteJsonString(text); }

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
    bool Scalar(RemoteReply::Value& out) {
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
    // A list holds integers only or strings only; an empty one reads as integers.
    bool List(RemoteReply::Value& out) {
        if (!Eat('[')) return false;
        std::vector<int64_t> numbers;
        std::vector<std::string> texts;
        bool strings = false;
        if (!Eat(']')) {
            do {
                RemoteReply::Value item;
                if (!Scalar(item)) return false;
                if (const auto* n = std::get_if<int64_t>(&item); n != nullptr && texts.empty() && !strings) {
                    numbers.push_back(*n);
                } else if (auto* t = std::get_if<std::string>(&item); t != nullptr && numbers.empty()) {
                    strings = true;
                    texts.push_back(std::move(*t));
                } else {
                    return false;
                }
            } while (Eat(','));
            if (!Eat(']')) return false;
        }
        if (strings) {
            out = std::move(texts);
        } else {
            out = std::move(numbers);
        }
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

std::optional<RemoteRequest> ParseRemoteRequest(std::string_view line, std::string& error) {
    line = Trim(line);
    const size_t space = line.find_first_of(" \t");
    const std::string_view word = line.substr(0, space);
    const std::string_view rest = space == std::string_view::npos ? std::string_view() : Trim(line.substr(space));
    for (const VerbName& v : kVerbs) {
        if (word != v.name) continue;
        if (v.verb == RemoteVerb::Changed) {
            const std::optional<DataChanges> changes = ParseDataChanges(rest);
            if (!changes) {
                error = "'changed' takes what changed: plan, limit, utility, entries, history or port";
                return std::nullopt;
            }
            return RemoteRequest{v.verb, {}, *changes};
        }
        if (v.verb != RemoteVerb::Connect && !rest.empty()) {
            error = "'" + std::string(word) + "' takes no argument";
            return std::nullopt;
        }
        for (const char c : rest) {
            if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
                error = "control character in the entry name";
                return std::nullopt;
            }
        }
        return RemoteRequest{v.verb, std::string(rest)};
    }
    error = word.empty() ? "empty request" : "unknown request '" + std::string(word.substr(0, 32)) + "'";
    return std::nullopt;
}

std::string FormatRemoteRequest(const RemoteRequest& request) {
    for (const VerbName& v : kVerbs) {
        if (v.verb != request.verb) continue;
        std::string line(v.name);
        if (request.verb == RemoteVerb::Connect && !request.entry.empty()) line += " " + request.entry;
        if (request.verb == RemoteVerb::Changed) line += " " + FormatDataChanges(request.changes);
        return line;
    }
    return {};
}

RemoteReply& RemoteReply::Set(const std::string& key, Value value) {
    for (auto& [name, existing] : m_fields) {
        if (name == key) {
            existing = std::move(value);
            return *this;
        }
    }
    m_fields.emplace_back(key, std::move(value));
    return *this;
}

const RemoteReply::Value* RemoteReply::Find(std::string_view key) const {
    for (const auto& [name, value] : m_fields) {
        if (name == key) return &value;
    }
    return nullptr;
}

std::string RemoteReply::Text(std::string_view key) const {
    const Value* value = Find(key);
    const auto* text = value != nullptr ? std::get_if<std::string>(value) : nullptr;
    return text != nullptr ? *text : std::string();
}

int64_t RemoteReply::Number(std::string_view key, int64_t fallback) const {
    const Value* value = Find(key);
    const auto* number = value != nullptr ? std::get_if<int64_t>(value) : nullptr;
    return number != nullptr ? *number : fallback;
}

bool RemoteReply::Flag(std::string_view key) const {
    const Value* value = Find(key);
    const auto* flag = value != nullptr ? std::get_if<bool>(value) : nullptr;
    return flag != nullptr && *flag;
}

std::string RemoteReply::Dump() const {
    std::string out = "{";
    bool first = true;
    for (const auto& [key, value] : m_fields) {
        if (!first) out += ", ";
        first = false;
        Quote(key, out);
        out += ": ";
        if (std::holds_alternative<std::nullptr_t>(value)) {
            out += "null";
        } else if (const auto* b = std::get_if<bool>(&value)) {
            out += *b ? "true" : "false";
        } else if (const auto* n = std::get_if<int64_t>(&value)) {
            out += std::to_string(*n);
        } else if (const auto* s = std::get_if<std::string>(&value)) {
            Quote(*s, out);
        } else if (const auto* numbers = std::get_if<std::vector<int64_t>>(&value)) {
            out += '[';
            for (size_t i = 0; i < numbers->size(); ++i) out += (i ? ", " : "") + std::to_string((*numbers)[i]);
            out += ']';
        } else if (const auto* texts = std::get_if<std::vector<std::string>>(&value)) {
            out += '[';
            for (size_t i = 0; i < texts->size(); ++i) {
                if (i) out += ", ";
                Quote((*texts)[i], out);
            }
            out += ']';
        }
    }
    return out + "}";
}

std::optional<RemoteReply> RemoteReply::Parse(std::string_view line) {
    Reader reader(Trim(line));
    RemoteReply reply;
    if (!reader.Eat('{')) return std::nullopt;
    if (!reader.Eat('}')) {
        do {
            std::string key;
            Value value;
            if (!reader.String(key) || !reader.Eat(':')) return std::nullopt;
            if (reader.Peek('[') ? !reader.List(value) : !reader.Scalar(value)) return std::nullopt;
            reply.Set(key, std::move(value));
        } while (reader.Eat(','));
        if (!reader.Eat('}')) return std::nullopt;
    }
    if (!reader.AtEnd()) return std::nullopt;
    return reply;
}

}  // namespace vr31k
