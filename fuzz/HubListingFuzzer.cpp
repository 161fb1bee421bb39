// Hub replies: tree listings of the speech package's downloads and the file
// list of a revision.

#include "PelluxCore/ModelHubKit/Hub/RevisionInfo.hpp"
#include "RazeziRuzer/DownloadUtilsInternal.hpp"

#include <cstddef>
#include <cstdint>
#include <exception>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view body(reinterpret_cast<const char*>(data), size);
    try {
        for (const auto& entry : razeziruzer::DownloadUtils::parseListing(body)) {
            razeziruzer::DownloadUtils::staysInsideFolder(entry.path);
        }
    } catch (const std::exception&) {
    }
    try {
        modelhubkit::RevisionInfo::parse(body);
    } catch (const std::exception&) {
    }
    return 0;
}
