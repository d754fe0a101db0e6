#include "cli/CliArgs.h"

#include <charconv>

namespace vr31k::cli {

namespace {
bool Matches(const std::string& word, std::string_view name, std::optional<std::string>& inlineValue) {
    if (word == name) return true;
    if (word.size() > name.size() && word.compare(0, name.size(), name) == 0 && word[name.size()] == '=') {
        inlineValue = word.substr(name.size() + 1);
        return true;
    }
    return false;
}
}  // namespace

bool CliArgs::WantsHelp() { return Flag("--help") | Flag("-h"); }

bool CliArgs::Flag(std::string_view name) {
    bool found = false;
    for (auto it = m_words.begin(); it != m_words.end();) {
        if (*it == name) {
            found = true;
            it = m_words.erase(it);
        } else {
            ++it;
        }
    }
    return found;
}

std::vector<std::pair<std::string, std::string>> CliArgs::OptionsInOrder(const std::vector<std::string_view>& names) {
    std::vector<std::pair<std::string, std::string>> found;
    for (size_t i = 0; i < m_words.size();) {
        bool matched = false;
        for (std::string_view name : names) {
            std::optional<std::string> inlineValue;
            if (!Matches(m_words[i], name, inlineValue)) continue;
            matched = true;
            if (inlineValue) {
                found.emplace_back(std::string(name), *inlineValue);
                m_words.erase(m_words.begin() + static_cast<std::ptrdiff_t>(i));
            } else {
                if (i + 1 >= m_words.size()) throw UsageError(std::string(name) + " needs a value");
                found.emplace_back(std::string(name), m_words[i + 1]);
                m_words.erase(m_words.begin() + static_cast<std::ptrdiff_t>(i),
                              m_words.begin() + static_cast<std::ptrdiff_t>(i) + 2);
            }
            break;
        }
        if (!matched) ++i;
    }
    return found;
}

std::vector<std::string> CliArgs::Options(std::string_view name) {
    std::vector<std::string> values;
    for (auto& [n, v] : OptionsInOrder({name})) values.push_back(std::move(v));
    return values;
}

std::optional<std::string> CliArgs::Option(std::string_view name) {
    auto values = Options(name);
    if (values.size() > 1) throw UsageError(std::string(name) + " may be given only once");
    if (values.empty()) return std::nullopt;
    return values.front();
}

std::optional<std::string> CliArgs::Next() {
    for (auto it = m_words.begin(); it != m_words.end(); ++it) {
        // "--" ends the options; a lone "-" and negative numbers are positional.
        if (*it == "--") {
            it = m_words.erase(it);
            if (it == m_words.end()) return std::nullopt;
            std::string word = *it;
            m_words.erase(it);
            return word;
        }
        const bool looksLikeOption = it->size() > 1 && (*it)[0] == '-' && !((*it)[1] >= '0' && (*it)[1] <= '9');
        if (looksLikeOption) continue;
        std::string word = *it;
        m_words.erase(it);
        return word;
    }
    return std::nullopt;
}

std::string CliArgs::Require(std::string_view what) {
    auto word = Next();
    if (!word) throw UsageError("missing " + std::string(what));
    return *word;
}

void CliArgs::Finish() const {
    if (!m_words.empty()) throw UsageError("unexpected argument '" + m_words.front() + "'");
}

long long CliArgs::ToInteger(const std::string& text, std::string_view what, long long min, long long max) {
    long long value = 0;
    const char* begin = text.data();
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(begin, end, value);
    if (ec != std::errc() || ptr != end || value < min || value > max) {
        throw UsageError(std::string(what) + " must be a whole number from " + std::to_string(min) +
                         " to " + std::to_string(max) + ", not '" + text + "'");
    }
    return value;
}

}  // namespace vr31k::cli
