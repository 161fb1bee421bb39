#include "OstrelVirorez/UI/Editors/AppAssignmentSource.hpp"

#include "OstrelVirorez/Claude/AppPickerService.hpp"

namespace ostrelvirorez {

AppAssignmentSource AppAssignmentSource::desktop() {
    return {[] { return AppPickerService::runningApps(); },
            [](const std::string& bundleIdentifier) { return AppPickerService::icon(bundleIdentifier); }};
}

} // namespace ostrelvirorez
