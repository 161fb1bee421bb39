#include "PelluxCore/ProcessInfo.hpp"

#include "Platform/Files/FileContents.hpp"
#include "Platform/Text/Whitespace.hpp"

#include <algorithm>
#include <exception>

namespace pelluxcore {

namespace {

std::string readOrEmpty(const std::filesystem::path& path) {
    try {
        return platform::files::readFile(path);
    } catch (const std::exception&) {
        return {};
    }
}

std::string upToZeroByte(std::string text) {
    const auto zero = text.find('\0');
    if (zero != std::string::npos) text.resize(zero);
    return text;
}

// Hands `visit` the trimmed value of each "key : value" line whose trimmed key
// is `key`, in order, until it returns false.
template <typename Visit>
void visitCpuInfoValues(std::string_view text, std::string_view key, Visit visit) {
    std::size_t position = 0;
    while (position < text.size()) {
        const std::size_t end = std::min(text.find('\n', position), text.size());
        const std::string_view line = text.substr(position, end - position);
        position = end + 1;
        const std::size_t colon = line.find(':');
        if (colon == std::string_view::npos) continue;
        if (platform::text::trimWhitespaceAndNewlines(line.substr(0, colon)) != key) continue;
        if (!visit(platform::text::trimWhitespaceAndNewlines(line.substr(colon + 1)))) return;
    }
}

const std::string& cpuInfo() {
    static const std::string text = readOrEmpty("/proc/cpuinfo");
    return text;
}

} // namespace

std::string ProcessInfo::stringFromSysctl(std::string_view named) {
    // Each dotted part is one folder below /proc/sys; a name whose parts could
    // lead anywhere else (empty parts, slashes) names no parameter.
    std::filesystem::path path("/proc/sys");
    std::size_t start = 0;
    while (true) {
        const std::size_t dot = std::min(named.find('.', start), named.size());
        const std::string_view part = named.substr(start, dot - start);
        if (part.empty() || part.find('/') != std::string_view::npos) return {};
        path /= part;
        if (dot == named.size()) break;
        start = dot + 1;
    }
    std::string text = upToZeroByte(readOrEmpty(path));
    if (text.ends_with('\n')) text.pop_back();
    return text;
}

std::string ProcessInfo::cpuInfoField(std::string_view text, std::string_view key) {
    std::string value;
    visitCpuInfoValues(text, key, [&value](std::string found) {
        value = std::move(found);
        return false;
    });
    return value;
}

int ProcessInfo::cpuInfoProcessorCount(std::string_view text) {
    int count = 0;
    visitCpuInfoValues(text, "processor", [&count](const std::string&) {
        ++count;
        return true;
    });
    return count;
}

std::string ProcessInfo::firmwareText(const std::filesystem::path& path) {
    return platform::text::trimWhitespaceAndNewlines(upToZeroByte(readOrEmpty(path)));
}

const std::string& ProcessInfo::processor() {
    static const std::string value = cpuInfoField(cpuInfo(), "model name");
    return value;
}

const std::string& ProcessInfo::cores() {
    static const std::string value = [] {
        auto field = cpuInfoField(cpuInfo(), "cpu cores");
        return field.empty() ? threads() : field;
    }();
    return value;
}

const std::string& ProcessInfo::threads() {
    static const std::string value = std::to_string(cpuInfoProcessorCount(cpuInfo()));
    return value;
}

const std::string& ProcessInfo::vendor() {
    static const std::string value = cpuInfoField(cpuInfo(), "vendor_id");
    return value;
}

const std::string& ProcessInfo::family() {
    static const std::string value = cpuInfoField(cpuInfo(), "cpu family");
    return value;
}

const std::string& ProcessInfo::hwModel() {
    static const std::string value = [] {
        auto product = firmwareText("/sys/class/dmi/id/product_name");
        return product.empty() ? firmwareText("/sys/firmware/devicetree/base/model") : product;
    }();
    return value;
}

} // namespace pelluxcore
