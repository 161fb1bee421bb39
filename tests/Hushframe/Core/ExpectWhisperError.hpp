#pragma once
// Expects a call to fail with a pipeline error of the given kind and message.

#include "Hushframe/Core/WhisperError.hpp"

#include <gtest/gtest.h>

#include <string>

namespace hushframe::testing {

template <class Call>
void expectWhisperError(WhisperErrorKind kind, const std::string& message, Call&& call) {
    try {
        call();
        FAIL() << "no error, expected " << message;
    } catch (const WhisperError& error) {
        EXPECT_EQ(error.kind(), kind);
        EXPECT_EQ(error.message(), message);
    }
}

} // namespace hushframe::testing
