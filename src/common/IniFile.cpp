#include "common/IniFile.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <unordered_set>

namespace vr31k {

namespace {

bool EqualsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]);
        unsigned char y = static_cast<unsigned char>(b[i]);
        if (x >= 'A' && x <= 'Z') x = static_cast<unsigned char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<unsigned char>(y - 'A' + 'a');
        if (x != y) return false;
    }
    return true;
}

std::string_view Trim(std::string_view s) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
    while (!s.empty() && blank(s.front())) s.remove_prefix(1);
    while (!s.empty() && blank(s.back())) s.remove_suffix(1);
    return s;
}

std::string_view SkipBlanks(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    return s;
}

}  // namespace

IniFile IniFile::Parse(std::string_view text) {
    IniFile ini;
    ini.m_lines.reserve(static_cast<size_t>(std::count(text.begin(), text.end(), '\n')) + 1);
    std::string current;
    while (!text.empty()) {
        const size_t eol = text.find('\n');
        std::string_view raw = text.substr(0, eol);
        text.remove_prefix(eol == std::string_view::npos ? text.size() : eol + 1);
        if (!raw.empty() && raw.back() == '\r') raw.remove_suffix(1);

        Line line;
        line.raw = std::string(raw);
        const std::string_view t = Trim(raw);
        const bool opaque = raw.find('\0') != std::string_view::npos;
        if (!opaque && t.size() >= 2 && t.front() == '[') {
            const size_t close = t.find(']');
            if (close != std::string_view::npos) {
                current = std::string(Trim(t.substr(1, close - 1)));
                line.isHeader = true;
            }
        } else if (!opaque && !t.empty() && t.front() != ';' && t.front() != '#') {
            const size_t eq = t.find('=');
            if (eq != std::string_view::npos && eq > 0) {
                line.isKey = true;
                line.key = std::string(Trim(t.substr(0, eq)));
                line.value = std::string(Trim(t.substr(eq + 1)));
            }
        }
        line.section = current;
        ini.m_lines.push_back(std::move(line));
    }
    return ini;
}

std::optional<std::string> IniFile::Get(std::string_view section, std::string_view key) const {
    for (const Line& line : m_lines) {
        if (line.isKey && EqualsNoCase(line.section, section) && EqualsNoCase(line.key, key)) {
            return line.value;
        }
    }
    return std::nullopt;
}

void IniFile::Set(std::string_view section, std::string_view key, std::string_view value) {
    Line fresh;
    fresh.isKey = true;
    fresh.section = std::string(section);
    fresh.key = std::string(key);
    fresh.value = std::string(value);
    fresh.raw = fresh.key + "=" + fresh.value;

    size_t lastOfSection = m_lines.size();
    bool sectionSeen = false;
    for (size_t i = 0; i < m_lines.size(); ++i) {
        Line& line = m_lines[i];
        if (!EqualsNoCase(line.section, section)) continue;
        if (line.isHeader) sectionSeen = true;
        if (!sectionSeen) continue;  // keys before any header belong to no section
        if (line.isKey && EqualsNoCase(line.key, key)) {
            fresh.key = line.key;
            fresh.raw = fresh.key + "=" + fresh.value;
            fresh.section = line.section;
            line = std::move(fresh);
            return;
        }
        if (!Trim(line.raw).empty()) lastOfSection = i;
    }
    if (sectionSeen) {
        m_lines.insert(m_lines.begin() + static_cast<std::ptrdiff_t>(lastOfSection) + 1, std::move(fresh));
        return;
    }
    Line header;
    header.isHeader = true;
    header.section = std::string(section);
    header.raw = "[" + header.section + "]";
    m_lines.push_back(std::move(header));
    m_lines.push_back(std::move(fresh));
}

std::string IniFile::Serialize() const {
    std::string out;
    for (const Line& line : m_lines) {
        out += line.raw;
        out += '\n';
    }
    return out;
}

std::vector<std::string> IniFile::Sections() const {
    std::vector<std::string> names;
    // Seen names folded to lower case: one look-up per header keeps a large file linear.
    std::unordered_set<std::string> seen;
    for (const Line& line : m_lines) {
        if (!line.isHeader) continue;
        std::string folded = line.section;
        for (char& c : folded) {
            if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        }
        if (seen.insert(std::move(folded)).second) names.push_back(line.section);
    }
    return names;
}

bool IniFile::HasSection(std::string_view section) const {
    return std::any_of(m_lines.begin(), m_lines.end(),
                       [&](const Line& line) { return line.isHeader && EqualsNoCase(line.section, section); });
}

bool IniFile::RemoveSection(std::string_view section) {
    const size_t before = m_lines.size();
    std::erase_if(m_lines, [&](const Line& line) {
        return !line.section.empty() && EqualsNoCase(line.section, section);
    });
    return m_lines.size() != before;
}

bool IniFile::RenameSection(std::string_view section, std::string_view newName) {
    bool found = false;
    for (Line& line : m_lines) {
        if (line.section.empty() || !EqualsNoCase(line.section, section)) continue;
        line.section = std::string(newName);
        if (line.isHeader) {
            line.raw = "[" + line.section + "]";
            found = true;
        }
    }
    return found;
}

std::optional<int> ParseProfileInt(std::string_view text) {
    text = SkipBlanks(text);
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    long long magnitude = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), magnitude);
    if (ec != std::errc() || end == text.data() || magnitude < 0) return std::nullopt;
    const long long value = negative ? -magnitude : magnitude;
    if (value < std::numeric_limits<int>::min() || value > std::numeric_limits<int>::max()) {
        return std::nullopt;
    }
    return static_cast<int>(value);
}

std::optional<double> ParseProfileDouble(std::string_view text) {
    text = SkipBlanks(text);
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    double value = 0.0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value,
                                           std::chars_format::general);
    if (ec == std::errc::result_out_of_range) return std::nullopt;
    if (ec != std::errc() || end == text.data()) return 0.0;
    if (!std::isfinite(value)) return std::nullopt;
    return negative ? -value : value;
}

std::string FormatProfileDouble(double value) {
    char buffer[64];
    const auto [end, ec] =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 6);
    if (ec != std::errc()) return "0";
    return std::string(buffer, end);
}

}  // namespace vr31k
