#pragma once
// Chooses the keychain backend for an application: the Secret Service when
// one answers, else a FileKeychain in "<data home>/<folder>/keychain.json".

#include "Platform/Keychain/Keychain.hpp"

#include <memory>
#include <string>

namespace platform {

std::unique_ptr<Keychain> makeSystemKeychain(const std::string& applicationFolder);

} // namespace platform
