#pragma once
// A token added to the vocabulary beside the model's own, such as
// "<|endoftext|>": found in the text before the model sees it and always
// encoded as its own id.

#include <string>

namespace modelhubkit {

struct AddedToken {
    std::string content;
    int id = 0;
    bool special = false;    // left out when decoding skips special tokens
    bool singleWord = false; // matches only where no letter, digit or "_" touches it
    bool lstrip = false;     // takes the white space before it
    bool rstrip = false;     // takes the white space after it
    bool normalized = false; // matched in normalized text rather than raw text
};

} // namespace modelhubkit
