#pragma once
// Fetches single resources that are not model repositories (lexicons and the
// like) from a fixed URL into a fixed local file, once, through the caller's
// HTTP session and logger. Like every download of the package it refuses to
// reach the network while DownloadUtils::enforceOffline is on.

#include "Platform/Core/Error.hpp"
#include "Platform/Http/HttpTransport.hpp"

#include <filesystem>
#include <functional>
#include <stop_token>
#include <string>
#include <variant>

namespace razeziruzer {

class AppLogger;

class AssetDownloader {
public:
    using DataWriter = std::function<void(const std::string& bytes, const std::filesystem::path& destination)>;
    using FileMover =
        std::function<void(const std::filesystem::path& temporaryFile, const std::filesystem::path& destination)>;

    // How the bytes reach the disk: in memory and handed to a writer, or as a
    // downloaded temporary file handed to a mover.
    class TransferMode {
    public:
        static TransferMode data(DataWriter writer) { return TransferMode(std::move(writer)); }
        static TransferMode file(FileMover mover) { return TransferMode(std::move(mover)); }

        const DataWriter* writer() const { return std::get_if<DataWriter>(&operation_); }
        const FileMover* mover() const { return std::get_if<FileMover>(&operation_); }

    private:
        explicit TransferMode(std::variant<DataWriter, FileMover> operation) : operation_(std::move(operation)) {}
        std::variant<DataWriter, FileMover> operation_;
    };

    struct Descriptor {
        std::string description;
        std::string remoteURL;
        std::filesystem::path destinationURL;
        bool skipIfExists = false;
        TransferMode transferMode;
    };

    enum class ErrorKind { invalidResponse };

    // A reply that is not a 2xx HTTP response; statusCode is -1 when it was
    // not HTTP at all.
    class Error : public platform::ErrorOf<ErrorKind> {
    public:
        static Error invalidResponse(std::string description, int statusCode);

        const std::string& resourceDescription() const { return resourceDescription_; }
        int statusCode() const { return statusCode_; }

    private:
        Error(std::string description, int statusCode);
        std::string resourceDescription_;
        int statusCode_;
    };

    AssetDownloader() = delete;

    // Writes atomically, replacing any existing file.
    static const DataWriter defaultDataWriter;
    // Removes whatever is at the destination, then moves the file there.
    static const FileMover defaultFileMover;

    // Makes the destination file exist and returns its path.
    static std::filesystem::path ensure(const Descriptor& descriptor, platform::HttpTransport& session,
                                        const AppLogger& logger, std::stop_token stop = {});
    // The body of url, kept in memory only.
    static std::string fetchData(const std::string& url, const std::string& description,
                                 platform::HttpTransport& session, const AppLogger& logger, std::stop_token stop = {});
};

} // namespace razeziruzer
