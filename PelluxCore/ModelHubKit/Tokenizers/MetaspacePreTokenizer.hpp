#pragma once
// Metaspace pre-tokenization: spaces become the replacement marker ("▁"), a
// marker is put before the text as the prepend scheme says ("always", "first"
// for the start of the text only, "never"), and words begin at each marker.

#include "PelluxCore/ModelHubKit/Tokenizers/PreTokenizer.hpp"

namespace modelhubkit {

enum class PrependScheme { always, first, never };

class MetaspacePreTokenizer final : public PreTokenizer {
public:
    explicit MetaspacePreTokenizer(const nlohmann::json& object);

    void split(std::string_view piece, bool atTextStart, std::vector<std::string>& words) const override;

private:
    std::string replacement_;
    PrependScheme prependScheme_ = PrependScheme::always;
    bool split_ = true;
};

} // namespace modelhubkit
