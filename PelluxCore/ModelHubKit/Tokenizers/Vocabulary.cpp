#include "PelluxCore/ModelHubKit/Tokenizers/Vocabulary.hpp"

#include "PelluxCore/ModelHubKit/Tokenizers/TokenizerError.hpp"

namespace modelhubkit {
namespace {

// Far above any real vocabulary; guards the id table against a stray huge id.
constexpr int largestId = 1 << 24;

} // namespace

void Vocabulary::add(std::string token, int id) {
    if (id < 0 || id > largestId) {
        throw TokenizerError(TokenizerErrorKind::malformedTokenizer,
                             "Token \"" + token + "\" has an invalid id " + std::to_string(id));
    }
    const auto [entry, inserted] = ids_.emplace(std::move(token), id);
    if (!inserted) return;
    const auto index = static_cast<std::size_t>(id);
    if (tokens_.size() <= index) tokens_.resize(index + 1, nullptr);
    tokens_[index] = &entry->first;
}

std::optional<int> Vocabulary::id(std::string_view token) const {
    const auto found = ids_.find(token);
    if (found == ids_.end()) return std::nullopt;
    return found->second;
}

const std::string* Vocabulary::token(int id) const {
    if (id < 0 || static_cast<std::size_t>(id) >= tokens_.size()) return nullptr;
    return tokens_[static_cast<std::size_t>(id)];
}

} // namespace modelhubkit
