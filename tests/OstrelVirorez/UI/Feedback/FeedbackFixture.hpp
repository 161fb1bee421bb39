#pragma once
// A feedback endpoint on the loopback server, the service bound to it, a
// main queue in virtual time, and executors that run an upload inline or on
// a thread of its own (joined by the fixture).

#include "OstrelVirorez/App/BackgroundWork.hpp"
#include "OstrelVirorez/Services/FeedbackService.hpp"
#include "Platform/Concurrency/ManualMainQueue.hpp"
#include "Platform/Http/HttpClient.hpp"
#include "tests/Support/HttpTestServer.hpp"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <QBuffer>
#include <QImage>

#include <future>
#include <memory>
#include <thread>
#include <vector>

namespace ostrelvirorez::testing {

inline testsupport::HttpTestReply jsonReply(int status, std::string body) {
    auto reply = testsupport::HttpTestReply::text(status, std::move(body));
    reply.contentType = "application/json";
    return reply;
}

// A small valid PNG of one colour.
inline std::vector<std::uint8_t> solidPNG(QSize size, QColor color) {
    QImage image(size, QImage::Format_ARGB32);
    image.fill(color);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return {bytes.begin(), bytes.end()};
}

class FeedbackFixture : public ::testing::Test {
protected:
    static constexpr const char* path = FeedbackService::recordsPath;

    FeedbackFixture() { server.reply(path, jsonReply(201, R"({"id":"rec_7"})")); }
    ~FeedbackFixture() override {
        server.release();
        threads.clear();
    }

    Executor inlineExecutor() {
        return [](std::function<void()> task) { task(); };
    }
    Executor threadExecutor() {
        return [this](std::function<void()> task) { threads.emplace_back(std::move(task)); };
    }
    // Holds the next reply back and tells when its request has arrived.
    std::future<void> holdNextReply() {
        auto arrived = std::make_shared<std::promise<void>>();
        auto future = arrived->get_future();
        server.handle(path, [arrived](const testsupport::HttpRecordedRequest&) {
            arrived->set_value();
            auto reply = jsonReply(201, R"({"id":"late"})");
            reply.held = true;
            return reply;
        });
        return future;
    }
    void joinUploads() { threads.clear(); }
    nlohmann::json lastJSONBody() const { return nlohmann::json::parse(server.requests().back().body); }

    testsupport::HttpTestServer server;
    platform::HttpClient client;
    FeedbackService service{server.url(path), client};
    platform::ManualMainQueue queue;
    std::vector<std::jthread> threads;
};

} // namespace ostrelvirorez::testing
