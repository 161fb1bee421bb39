#pragma once
// A filter the text decoder applies to each step's logits; the main object
// only hands the configured list on.

namespace hushframe {

class LogitsFiltering {
public:
    virtual ~LogitsFiltering() = default;
};

} // namespace hushframe
