#pragma once
// The text-decoder stage as the main object sees it: the tokenizer it decodes
// with, whether its model is multilingual, its vocabulary size and its logits
// filters.

#include "Hushframe/Core/LogitsFiltering.hpp"
#include "Hushframe/Core/Models/WhisperTokenizer.hpp"

#include <memory>
#include <optional>
#include <vector>

namespace hushframe {

class TextDecoding {
public:
    virtual ~TextDecoding() = default;

    virtual std::shared_ptr<WhisperTokenizer> tokenizer() const { return tokenizer_; }
    virtual void setTokenizer(std::shared_ptr<WhisperTokenizer> tokenizer) { tokenizer_ = std::move(tokenizer); }

    virtual bool isModelMultilingual() const { return isModelMultilingual_; }
    virtual void setIsModelMultilingual(bool multilingual) { isModelMultilingual_ = multilingual; }

    // Vocabulary size of the loaded decoder; absent while no model is loaded.
    virtual std::optional<int> logitsSize() const = 0;

    virtual const std::vector<std::shared_ptr<LogitsFiltering>>& logitsFilters() const { return logitsFilters_; }
    virtual void setLogitsFilters(std::vector<std::shared_ptr<LogitsFiltering>> filters) {
        logitsFilters_ = std::move(filters);
    }

private:
    std::shared_ptr<WhisperTokenizer> tokenizer_;
    bool isModelMultilingual_ = false;
    std::vector<std::shared_ptr<LogitsFiltering>> logitsFilters_;
};

} // namespace hushframe
