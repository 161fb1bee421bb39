#include "PelluxCore/FoundationExtensions.hpp"

#include "Platform/Files/XdgDirectories.hpp"
#include "Platform/Text/Characters.hpp"
#include "Platform/Text/Normalization.hpp"
#include "Platform/Text/Whitespace.hpp"

#include <fnmatch.h>
#include <pwd.h>

#include <array>
#include <cmath>
#include <filesystem>

namespace pelluxcore {

namespace {

constexpr std::array<std::string_view, 4> sentenceBreaks = {".", "!", "?", "\n"};
constexpr std::array<std::string_view, 5> clauseBreaks = {",", ";", ":", "-", "\u2013"};

template <std::size_t N>
bool isOneOf(std::string_view character, const std::array<std::string_view, N>& set) {
    return std::find(set.begin(), set.end(), character) != set.end();
}

bool isLongEnough(const std::string& candidate, int minTokenCount, const TokenEncoder& encode) {
    return static_cast<long long>(encode(candidate).size()) >= minTokenCount;
}

// Home folder of the named user, or of the current user for an empty name.
std::optional<std::string> homeOf(const std::string& user) {
    if (user.empty()) return platform::files::homeDirectory().string();
    std::array<char, 4096> buffer{};
    passwd entry{};
    passwd* found = nullptr;
    if (::getpwnam_r(user.c_str(), &entry, buffer.data(), buffer.size(), &found) != 0 || found == nullptr) {
        return std::nullopt;
    }
    return std::string(found->pw_dir);
}

std::string expandTilde(std::string_view path) {
    if (!path.starts_with('~')) return std::string(path);
    const std::size_t slash = path.find('/');
    const std::string user(path.substr(1, slash == std::string_view::npos ? std::string_view::npos : slash - 1));
    const auto home = homeOf(user);
    if (!home) return std::string(path);
    return *home + std::string(slash == std::string_view::npos ? std::string_view{} : path.substr(slash));
}

} // namespace

std::vector<std::string> matching(const std::vector<std::string>& strings, const std::string& glob) {
    std::vector<std::string> result;
    for (const auto& string : strings) {
        if (::fnmatch(glob.c_str(), string.c_str(), 0) == 0) result.push_back(string);
    }
    return result;
}

std::string trimmingFromEnd(std::string_view text, std::string_view character, int upto) {
    std::string result(text);
    for (int removed = 0; removed < upto; ++removed) {
        const auto last = platform::text::lastCharacter(result);
        if (!last || !platform::text::isCanonicallyEquivalent(*last, character)) break;
        result.resize(result.size() - last->size());
    }
    return result;
}

std::optional<std::string> lastNaturalBoundary(std::string_view text, int minTokenCount, const TokenEncoder& encode) {
    const auto ranges = platform::text::characterRanges(text);
    const auto tryTier = [&](auto isBreak) -> std::optional<std::string> {
        for (auto range = ranges.rbegin(); range != ranges.rend(); ++range) {
            const std::string_view character = range->of(text);
            if (!isBreak(character)) continue;
            auto candidate = platform::text::trimWhitespaceAndNewlines(text.substr(0, range->end));
            if (isLongEnough(candidate, minTokenCount, encode)) return candidate;
            return std::nullopt;
        }
        return std::nullopt;
    };
    if (auto found = tryTier([](std::string_view c) { return isOneOf(c, sentenceBreaks); })) return found;
    if (auto found = tryTier([](std::string_view c) { return isOneOf(c, clauseBreaks); })) return found;
    const std::size_t space = text.rfind(' ');
    if (space == std::string_view::npos) return std::nullopt;
    auto candidate = platform::text::trimWhitespaceAndNewlines(text.substr(0, space));
    if (isLongEnough(candidate, minTokenCount, encode)) return candidate;
    return std::nullopt;
}

float rounded(float value, int places) {
    const float scale = std::pow(10.0f, static_cast<float>(places));
    return std::round(value * scale) / scale;
}

std::string resolveAbsolutePath(std::string_view path) {
    const std::string expanded = expandTilde(path);
    if (expanded.starts_with('/')) return expanded;
    return (std::filesystem::current_path() / expanded).string();
}

} // namespace pelluxcore
