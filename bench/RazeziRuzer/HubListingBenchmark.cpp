// Reading a large hub tree listing and choosing the files a repository
// download takes.
#include "RazeziRuzer/DownloadUtilsInternal.hpp"
#include "RazeziRuzer/RepoFileSelection.hpp"

#include <benchmark/benchmark.h>

#include <string>

namespace {

std::string listingOf(int files) {
    std::string body = "[";
    for (int i = 0; i < files; ++i) {
        if (i > 0) body += ',';
        body += R"({"type":"file","oid":"0123456789abcdef0123456789abcdef01234567","size":)";
        body += std::to_string(1000 + i);
        body += R"(,"path":"Encoder.mlmodelc/weights/chunk_)" + std::to_string(i) + R"(.bin"})";
    }
    body += ']';
    return body;
}

void parseAndSelectListing(benchmark::State& state) {
    const auto body = listingOf(static_cast<int>(state.range(0)));
    const razeziruzer::ModelNameSet required{"Encoder.mlmodelc", "Decoder.mlmodelc"};
    const razeziruzer::DownloadUtils::RepoFileSelection selection(std::nullopt, required);
    for (auto _ : state) {
        const auto entries = razeziruzer::DownloadUtils::parseListing(body);
        int selected = 0;
        for (const auto& entry : entries) selected += selection.shouldSelect(entry.path) ? 1 : 0;
        benchmark::DoNotOptimize(selected);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

} // namespace

BENCHMARK(parseAndSelectListing)->Arg(10000);
