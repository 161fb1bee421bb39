#pragma once
// A small HTTP server on 127.0.0.1 for client tests: scripted or computed
// replies per path, replies held back until the test lets them go, and a log
// of every request received. Runs on its own threads from construction to
// destruction.

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace testsupport {

struct HttpTestReply {
    int status = 200;
    std::vector<std::pair<std::string, std::string>> headers;
    std::string body;
    std::string contentType = "text/plain";
    // Sends the body in chunked encoding, without a length.
    bool chunked = false;
    // Announces the whole body but drops the connection after this many bytes.
    std::optional<std::size_t> dropConnectionAfter;
    // Keeps the reply back until release() or the server's end.
    bool held = false;

    static HttpTestReply text(int status, std::string body,
                              std::vector<std::pair<std::string, std::string>> headers = {});
    static HttpTestReply html(int status, std::string page);
    static HttpTestReply redirect(std::string location, int status = 302);
};

struct HttpRecordedRequest {
    std::string method;
    // The request target as sent: a path, or an absolute address when the
    // server is addressed as a proxy.
    std::string target;
    std::string path;
    std::vector<std::pair<std::string, std::string>> headers;
    std::string body;

    std::optional<std::string> header(std::string_view name) const;
};

class HttpTestServer {
public:
    using Handler = std::function<HttpTestReply(const HttpRecordedRequest&)>;

    HttpTestServer();
    ~HttpTestServer();
    HttpTestServer(const HttpTestServer&) = delete;
    HttpTestServer& operator=(const HttpTestServer&) = delete;

    int port() const { return port_; }
    std::string url(std::string_view path) const;

    // Paths are matched exactly (without the query); unknown paths get 404.
    void reply(std::string path, HttpTestReply reply);
    void handle(std::string path, Handler handler);
    // Lets every held reply go, now and from now on.
    void release();

    std::vector<HttpRecordedRequest> requests() const;

    // A port on 127.0.0.1 that nothing listens on.
    static int unusedPort();

private:
    struct State;
    std::unique_ptr<State> state_;
    int port_ = 0;
};

} // namespace testsupport
