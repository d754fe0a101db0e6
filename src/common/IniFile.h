#pragma once
// A profile (INI) file as plain bytes: sections in square brackets, "key=value" lines.
// Sections and keys match without regard to ASCII case, like the classic profile
// functions. Lines the program does not understand are kept as they are, so a write
// never loses what another tool or a later version put into the file.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vr31k {

class IniFile {
public:
    // Parses any bytes; never fails. NUL bytes and over-long lines are kept as opaque lines.
    static IniFile Parse(std::string_view text);

    std::optional<std::string> Get(std::string_view section, std::string_view key) const;
    // Replaces the key's value in place, or appends the key at the end of its section
    // (the section is appended to the file when missing).
    void Set(std::string_view section, std::string_view key, std::string_view value);

    std::string Serialize() const;

    // Section names as written, in file order, each once.
    std::vector<std::string> Sections() const;
    bool HasSection(std::string_view section) const;
    // Drops the section's header and every line up to the next header; false when absent.
    bool RemoveSection(std::string_view section);
    // Rewrites the section's header (keys and other lines stay); false when absent.
    bool RenameSection(std::string_view section, std::string_view newName);

private:
    struct Line {
        std::string raw;      // the line as read (without its line break)
        std::string section;  // section it belongs to ("" before the first header)
        bool isHeader = false;
        bool isKey = false;
        std::string key;
        std::string value;
    };
    std::vector<Line> m_lines;
};

// Integer as the profile functions read it: optional blanks, optional sign, decimal
// digits; trailing text ignored. Empty, non-numeric or out-of-range (32-bit) text is
// unreadable and yields nullopt.
std::optional<int> ParseProfileInt(std::string_view text);
// Real number as the C library's text-to-double conversion reads it in the "C" locale
// (leading blanks, sign, fixed or exponent form, trailing text ignored). Text that is
// not a number reads as 0.0; a value outside double's range is unreadable (nullopt).
std::optional<double> ParseProfileDouble(std::string_view text);
// "%g" in the "C" locale, whatever the process locale is.
std::string FormatProfileDouble(double value);

}  // namespace vr31k
