#pragma once
// One request on its own libcurl easy handle: sets the handle up from the
// request and the client configuration, runs it, collects the reply's status
// and headers, and turns libcurl failures into HttpError.

#include "Platform/Http/HttpClientConfiguration.hpp"
#include "Platform/Http/HttpTransport.hpp"

#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <stop_token>
#include <string>
#include <string_view>

namespace platform {

class CurlTransfer {
public:
    // Receives the body as it arrives; may throw, which ends the transfer
    // with that exception.
    using BodySink = std::function<void(std::string_view chunk)>;

    CurlTransfer(const HttpRequest& request, const HttpClientConfiguration& configuration, std::stop_token stop);
    ~CurlTransfer();
    CurlTransfer(const CurlTransfer&) = delete;
    CurlTransfer& operator=(const CurlTransfer&) = delete;

    // Runs the transfer once. The reply's body is left to the sink.
    HttpResponse perform(BodySink sink, HttpProgressHandler onProgress);

private:
    struct Handles;

    static std::size_t onBody(char* data, std::size_t size, std::size_t count, void* self);
    static std::size_t onHeader(char* data, std::size_t size, std::size_t count, void* self);
    static int onTransferInfo(void* self, std::int64_t, std::int64_t, std::int64_t, std::int64_t);

    bool receiveBody(std::string_view chunk);
    void receiveHeaderLine(std::string_view line);
    [[noreturn]] void throwFailure(int code) const;

    const HttpRequest& request_;
    std::stop_token stop_;
    std::unique_ptr<Handles> handles_;
    BodySink sink_;
    HttpProgressHandler onProgress_;
    HttpResponse response_;
    std::int64_t bytesWritten_ = 0;
    std::exception_ptr callbackFailure_;
};

} // namespace platform
