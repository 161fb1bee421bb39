#include "tests/Support/HttpTestServer.hpp"

#include <httplib.h>

#include <arpa/inet.h>
#include <csignal>
#include <netinet/in.h>
#include <pthread.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <condition_variable>
#include <map>
#include <mutex>
#include <stdexcept>
#include <thread>

namespace testsupport {
namespace {

constexpr std::size_t pieceSize = 16 * 1024;

bool sameName(std::string_view a, std::string_view b)
{
    return std::ranges::equal(a, b, [](unsigned char x, unsigned char y) { return std::tolower(x) == std::tolower(y); });
}

HttpRecordedRequest record(const httplib::Request& request)
{
    HttpRecordedRequest recorded{request.method, request.target, request.path, {}, request.body};
    for (const auto& [name, value] : request.headers)
        recorded.headers.emplace_back(name, value);
    return recorded;
}

void writeBody(httplib::Response& response, const HttpTestReply& reply)
{
    auto body = std::make_shared<const std::string>(reply.body);
    if (reply.chunked) {
        response.set_chunked_content_provider(reply.contentType, [body](std::size_t offset, httplib::DataSink& sink) {
            if (offset < body->size())
                return sink.write(body->data() + offset, std::min(pieceSize, body->size() - offset));
            sink.done();
            return true;
        });
    } else if (reply.dropConnectionAfter) {
        const std::size_t limit = std::min(*reply.dropConnectionAfter, body->size());
        response.set_content_provider(
            body->size(), reply.contentType, [body, limit](std::size_t offset, std::size_t, httplib::DataSink& sink) {
                if (offset >= limit)
                    return false;
                return sink.write(body->data() + offset, std::min(pieceSize, limit - offset));
            });
    } else {
        response.set_content(reply.body, reply.contentType);
    }
}

} // namespace

HttpTestReply HttpTestReply::text(int status, std::string body,
                                  std::vector<std::pair<std::string, std::string>> headers)
{
    HttpTestReply reply;
    reply.status = status;
    reply.body = std::move(body);
    reply.headers = std::move(headers);
    return reply;
}

HttpTestReply HttpTestReply::html(int status, std::string page)
{
    HttpTestReply reply;
    reply.status = status;
    reply.body = std::move(page);
    reply.contentType = "text/html; charset=utf-8";
    return reply;
}

HttpTestReply HttpTestReply::redirect(std::string location, int status)
{
    HttpTestReply reply;
    reply.status = status;
    reply.headers.emplace_back("Location", std::move(location));
    return reply;
}

std::optional<std::string> HttpRecordedRequest::header(std::string_view name) const
{
    const auto found = std::ranges::find_if(headers, [name](const auto& field) { return sameName(field.first, name); });
    if (found == headers.end())
        return std::nullopt;
    return found->second;
}

struct HttpTestServer::State {
    httplib::Server server;
    std::thread thread;
    mutable std::mutex mutex;
    std::condition_variable started;
    bool running = false;
    std::condition_variable released;
    bool releasing = false;
    std::map<std::string, Handler> handlers;
    std::vector<HttpRecordedRequest> log;

    void serve(const httplib::Request& request, httplib::Response& response)
    {
        auto recorded = record(request);
        Handler handler;
        {
            std::lock_guard lock(mutex);
            log.push_back(recorded);
            if (const auto found = handlers.find(request.path); found != handlers.end())
                handler = found->second;
        }
        const HttpTestReply reply = handler ? handler(recorded) : HttpTestReply::text(404, "not found");
        if (reply.held) {
            std::unique_lock lock(mutex);
            released.wait(lock, [this] { return releasing; });
        }
        response.status = reply.status;
        for (const auto& [name, value] : reply.headers)
            response.set_header(name, value);
        writeBody(response, reply);
    }
};

HttpTestServer::HttpTestServer() : state_(std::make_unique<State>())
{
    const auto serve = [state = state_.get()](const httplib::Request& request, httplib::Response& response) {
        state->serve(request, response);
    };
    state_->server.Get(".*", serve);
    state_->server.Post(".*", serve);
    state_->server.Put(".*", serve);
    state_->server.Patch(".*", serve);
    state_->server.Delete(".*", serve);
    state_->server.Options(".*", serve);

    // The server asks for its worker pool once its accept loop is running;
    // until then stop() would be ignored, so the constructor waits for it.
    state_->server.new_task_queue = [state = state_.get()] {
        {
            std::lock_guard lock(state->mutex);
            state->running = true;
        }
        state->started.notify_all();
        // The server takes ownership of the pool.
        return std::make_unique<httplib::ThreadPool>(CPPHTTPLIB_THREAD_POOL_COUNT).release();
    };
    port_ = state_->server.bind_to_any_port("127.0.0.1");
    if (port_ <= 0)
        throw std::runtime_error("the test HTTP server could not bind to 127.0.0.1");
    state_->thread = std::thread([state = state_.get()] {
        // The worker threads inherit this mask, so writing to a client that
        // hung up fails with EPIPE instead of killing the test process.
        sigset_t pipe;
        sigemptyset(&pipe);
        sigaddset(&pipe, SIGPIPE);
        pthread_sigmask(SIG_BLOCK, &pipe, nullptr);
        state->server.listen_after_bind();
    });
    std::unique_lock lock(state_->mutex);
    state_->started.wait(lock, [this] { return state_->running; });
}

HttpTestServer::~HttpTestServer()
{
    release();
    state_->server.stop();
    state_->thread.join();
}

std::string HttpTestServer::url(std::string_view path) const
{
    return "http://127.0.0.1:" + std::to_string(port_) + std::string(path);
}

void HttpTestServer::reply(std::string path, HttpTestReply reply)
{
    handle(std::move(path), [reply = std::move(reply)](const HttpRecordedRequest&) { return reply; });
}

void HttpTestServer::handle(std::string path, Handler handler)
{
    std::lock_guard lock(state_->mutex);
    state_->handlers[std::move(path)] = std::move(handler);
}

void HttpTestServer::release()
{
    {
        std::lock_guard lock(state_->mutex);
        state_->releasing = true;
    }
    state_->released.notify_all();
}

std::vector<HttpRecordedRequest> HttpTestServer::requests() const
{
    std::lock_guard lock(state_->mutex);
    return state_->log;
}

int HttpTestServer::unusedPort()
{
    const int descriptor = ::socket(AF_INET, SOCK_STREAM, 0);
    if (descriptor < 0)
        throw std::runtime_error("no socket for finding an unused port");
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof(address);
    const bool found = ::bind(descriptor, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0
        && ::getsockname(descriptor, reinterpret_cast<sockaddr*>(&address), &length) == 0;
    ::close(descriptor);
    if (!found)
        throw std::runtime_error("could not find an unused port");
    return ntohs(address.sin_port);
}

} // namespace testsupport
