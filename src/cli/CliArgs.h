#pragma once
// Command-line words after the command name: options may come in any order, as
// "--name VALUE" or "--name=VALUE"; what is left are positional words. Take the
// options first, then the positional words, so no option value is taken for one.
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vr31k::cli {

struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

class CliArgs {
public:
    explicit CliArgs(std::vector<std::string> words) : m_words(std::move(words)) {}

    bool WantsHelp();                                  // takes --help / -h
    bool Flag(std::string_view name);                  // takes every "--name"
    std::optional<std::string> Option(std::string_view name);   // at most once
    std::vector<std::string> Options(std::string_view name);    // repeatable, in order
    // Repeatable options of several names, in the order given on the line.
    std::vector<std::pair<std::string, std::string>> OptionsInOrder(
        const std::vector<std::string_view>& names);
    std::optional<std::string> Next();                 // next positional word
    std::string Require(std::string_view what);        // next positional word or usage error
    void Finish() const;                               // usage error for anything left over

    // Integer option values: the whole text must be a decimal integer in range.
    static long long ToInteger(const std::string& text, std::string_view what, long long min, long long max);

private:
    std::vector<std::string> m_words;
};

}  // namespace vr31k::cli
