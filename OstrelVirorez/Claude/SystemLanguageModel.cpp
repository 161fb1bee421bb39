#include "OstrelVirorez/Claude/SystemLanguageModel.hpp"

#include <stdexcept>

namespace ostrelvirorez {
namespace {

class AbsentLanguageModel final : public SystemLanguageModel {
public:
    bool isAvailable() const override { return false; }
    std::unique_ptr<LanguageModelSession> makeSession(const std::string&) override {
        throw std::logic_error("no on-device language model on this platform");
    }
};

} // namespace

SystemLanguageModel& SystemLanguageModel::unavailable() {
    static AbsentLanguageModel model;
    return model;
}

} // namespace ostrelvirorez
