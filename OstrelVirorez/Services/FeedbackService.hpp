#pragma once
// Sends the user's feedback in one POST to the feedback server's records
// endpoint and returns the identifier of the new record; supplies the form
// with the version texts and a ready-made diagnostics text.

#include "OstrelVirorez/Services/FeedbackPayload.hpp"

#include <stop_token>
#include <string>

namespace platform {
class HttpTransport;
}

namespace ostrelvirorez {

class AppSettings;
class FeedbackDiagnosticsSources;

class FeedbackService {
public:
    using Payload = FeedbackPayload;

    // The path of the records endpoint on the feedback server.
    static constexpr const char* recordsPath = "/api/collections/feedback/records";

    // Posts through the process's shared HTTP client.
    explicit FeedbackService(std::string endpoint);
    FeedbackService(std::string endpoint, platform::HttpTransport& transport);

    // The program's one service. Its endpoint is the full records address
    // named by OSTREL_FEEDBACK_ENDPOINT when the process starts; without it
    // every send fails with invalidURL.
    static const FeedbackService& shared();

    const std::string& endpoint() const { return endpoint_; }

    // Posts the payload: JSON without a screenshot, a multipart form with one.
    // Throws FeedbackError, the transport's HttpError, or the JSON library's
    // error for a body that cannot be encoded or a reply that cannot be parsed.
    // A stop request ends a running upload with the transport's cancelled error.
    std::string send(const Payload& payload, std::stop_token stop = {}) const;

    // "<version> (<build>)", with "0" for what the build did not stamp in.
    static std::string appVersion();
    // The running system, for example "Linux 6.1.0".
    static std::string osVersion();

    // The German diagnostics text: configuration from the settings store,
    // everything else from `sources`. Never contains the API key itself.
    static std::string sammeleDiagnose(const AppSettings& settings, const FeedbackDiagnosticsSources& sources);

private:
    std::string endpoint_;
    platform::HttpTransport& transport_;
};

} // namespace ostrelvirorez
