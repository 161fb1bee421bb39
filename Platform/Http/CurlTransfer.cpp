#include "Platform/Http/CurlTransfer.hpp"

#include "Platform/Http/HttpError.hpp"

#include <curl/curl.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <type_traits>
#include <utility>

namespace platform {

static_assert(std::is_same_v<curl_off_t, std::int64_t>, "transfer-info callback assumes 64-bit offsets");

struct CurlTransfer::Handles {
    std::unique_ptr<CURL, decltype(&curl_easy_cleanup)> easy{nullptr, &curl_easy_cleanup};
    std::unique_ptr<curl_slist, decltype(&curl_slist_free_all)> headers{nullptr, &curl_slist_free_all};
    char errorText[CURL_ERROR_SIZE] = {};
};

namespace {

void ensureGlobalInit()
{
    // libcurl's global set-up must run once before any handle, on one thread.
    static const CURLcode result = curl_global_init(CURL_GLOBAL_DEFAULT);
    if (result != CURLE_OK)
        throw HttpError(HttpErrorKind::other, curl_easy_strerror(result));
}

template <typename Value>
void setOption(CURL* easy, CURLoption option, Value value)
{
    const CURLcode result = curl_easy_setopt(easy, option, value);
    if (result != CURLE_OK)
        throw HttpError(HttpErrorKind::other, curl_easy_strerror(result));
}

long milliseconds(std::chrono::milliseconds duration)
{
    // libcurl reads 0 as "no limit"; a zero time-out means "at once".
    return std::max<long>(1, static_cast<long>(duration.count()));
}

bool isHeaderSafe(std::string_view text)
{
    return text.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos;
}

bool isValidMethod(std::string_view method)
{
    return !method.empty() && std::ranges::all_of(method, [](char c) {
        return c > ' ' && c < 127 && c != '(' && c != ')' && c != ':' && c != '"' && c != '/';
    });
}

std::string lowercaseScheme(std::string_view url)
{
    const auto end = url.find("://");
    std::string scheme(url.substr(0, end == std::string_view::npos ? 0 : end));
    std::ranges::transform(scheme, scheme.begin(), [](char c) {
        return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    });
    return scheme;
}

std::string proxyUrl(const HttpProxy& proxy)
{
    const bool bareIPv6 = proxy.host.find(':') != std::string::npos && !proxy.host.starts_with('[');
    const auto host = bareIPv6 ? "[" + proxy.host + "]" : proxy.host;
    return "http://" + host + ":" + std::to_string(proxy.port);
}

std::string_view trimmed(std::string_view text)
{
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos)
        return {};
    const auto last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}

HttpErrorKind kindOf(CURLcode code)
{
    switch (code) {
    case CURLE_OPERATION_TIMEDOUT:
        return HttpErrorKind::timedOut;
    case CURLE_COULDNT_CONNECT:
        return HttpErrorKind::cannotConnect;
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY:
        return HttpErrorKind::hostNotFound;
    case CURLE_RECV_ERROR:
    case CURLE_SEND_ERROR:
    case CURLE_PARTIAL_FILE:
    case CURLE_GOT_NOTHING:
    case CURLE_HTTP2:
    case CURLE_HTTP2_STREAM:
        return HttpErrorKind::connectionLost;
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CIPHER:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_CRL_BADFILE:
    case CURLE_SSL_ISSUER_ERROR:
    case CURLE_SSL_PINNEDPUBKEYNOTMATCH:
    case CURLE_SSL_INVALIDCERTSTATUS:
    case CURLE_SSL_CLIENTCERT:
    case CURLE_SSL_SHUTDOWN_FAILED:
    case CURLE_USE_SSL_FAILED:
        return HttpErrorKind::tls;
    case CURLE_TOO_MANY_REDIRECTS:
        return HttpErrorKind::tooManyRedirects;
    case CURLE_FILESIZE_EXCEEDED:
        return HttpErrorKind::replyTooLarge;
    case CURLE_ABORTED_BY_CALLBACK:
        return HttpErrorKind::cancelled;
    default:
        return HttpErrorKind::other;
    }
}

void configureProxy(CURL* easy, const HttpRequest& request, const HttpClientConfiguration& configuration)
{
    const auto& proxies = request.proxies ? *request.proxies : configuration.proxies;
    const auto scheme = lowercaseScheme(request.url);
    const auto& proxy = scheme == "https" ? proxies.https : scheme == "http" ? proxies.http : std::nullopt;
    // An empty proxy stops libcurl from taking one from http_proxy and its
    // kin, and an empty exclusion list stops no_proxy from bypassing ours.
    setOption(easy, CURLOPT_PROXY, proxy ? proxyUrl(*proxy).c_str() : "");
    setOption(easy, CURLOPT_NOPROXY, "");
}

void configureTimeouts(CURL* easy, const HttpRequest& request, const HttpClientConfiguration& configuration)
{
    setOption(easy, CURLOPT_CONNECTTIMEOUT_MS,
              milliseconds(request.connectTimeout.value_or(configuration.connectTimeout)));
    const auto total = request.timeout ? request.timeout : configuration.timeout;
    if (total)
        setOption(easy, CURLOPT_TIMEOUT_MS, milliseconds(*total));
    if (request.idleTimeout) {
        setOption(easy, CURLOPT_LOW_SPEED_LIMIT, 1L);
        setOption(easy, CURLOPT_LOW_SPEED_TIME, static_cast<long>(std::max<std::int64_t>(1, request.idleTimeout->count())));
    }
}

// Returns whether the request carries a body.
bool configureMethod(CURL* easy, const HttpRequest& request)
{
    if (!isValidMethod(request.method))
        throw HttpError(HttpErrorKind::other, "invalid request method \"" + request.method + "\"");
    if (request.method == "HEAD") {
        setOption(easy, CURLOPT_NOBODY, 1L);
        return false;
    }
    if (request.method == "GET" && request.body.empty()) {
        setOption(easy, CURLOPT_HTTPGET, 1L);
        return false;
    }
    setOption(easy, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(request.body.size()));
    setOption(easy, CURLOPT_POSTFIELDS, request.body.data());
    if (request.method != "POST")
        setOption(easy, CURLOPT_CUSTOMREQUEST, request.method.c_str());
    return true;
}

curl_slist* headerList(const HttpRequest& request, bool hasBody)
{
    std::unique_ptr<curl_slist, decltype(&curl_slist_free_all)> list{nullptr, &curl_slist_free_all};
    const auto append = [&list](const std::string& line) {
        curl_slist* extended = curl_slist_append(list.get(), line.c_str());
        if (!extended)
            throw HttpError(HttpErrorKind::other, "out of memory for request headers");
        list.release();
        list.reset(extended);
    };
    for (const auto& [name, value] : request.headers.fields()) {
        if (name.empty() || !isHeaderSafe(name) || !isHeaderSafe(value) || name.find(':') != std::string::npos)
            throw HttpError(HttpErrorKind::other, "invalid request header \"" + name + "\"");
        // libcurl's spelling for a field sent with an empty value.
        append(value.empty() ? name + ";" : name + ": " + value);
    }
    if (hasBody) {
        // Send the body as given: no invented form content type, no
        // 100-continue round trip.
        if (!request.headers.contains("Content-Type"))
            append("Content-Type:");
        if (!request.headers.contains("Expect"))
            append("Expect:");
    }
    return list.release();
}

} // namespace

CurlTransfer::CurlTransfer(const HttpRequest& request, const HttpClientConfiguration& configuration,
                           std::stop_token stop)
    : request_(request), stop_(std::move(stop)), handles_(std::make_unique<Handles>())
{
    ensureGlobalInit();
    handles_->easy.reset(curl_easy_init());
    CURL* easy = handles_->easy.get();
    if (!easy)
        throw HttpError(HttpErrorKind::other, "could not create a transfer");
    setOption(easy, CURLOPT_URL, request.url.c_str());
    setOption(easy, CURLOPT_NOSIGNAL, 1L);
    setOption(easy, CURLOPT_ERRORBUFFER, handles_->errorText);
    setOption(easy, CURLOPT_PROTOCOLS_STR, "http,https");
    setOption(easy, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    setOption(easy, CURLOPT_FOLLOWLOCATION, 1L);
    setOption(easy, CURLOPT_MAXREDIRS, configuration.maxRedirects);
    configureProxy(easy, request, configuration);
    configureTimeouts(easy, request, configuration);
    // Refuses at once a reply whose announced length passes the cap; replies
    // without a length are counted as they arrive (receiveBody).
    if (request.maxReplyBytes)
        setOption(easy, CURLOPT_MAXFILESIZE_LARGE,
                  static_cast<curl_off_t>(std::min<std::uint64_t>(*request.maxReplyBytes, std::numeric_limits<std::int64_t>::max())));
    const bool hasBody = configureMethod(easy, request);
    handles_->headers.reset(headerList(request, hasBody));
    setOption(easy, CURLOPT_HTTPHEADER, handles_->headers.get());
}

CurlTransfer::~CurlTransfer() = default;

HttpResponse CurlTransfer::perform(BodySink sink, HttpProgressHandler onProgress)
{
    if (stop_.stop_requested())
        throw HttpError(HttpErrorKind::cancelled);
    sink_ = std::move(sink);
    onProgress_ = std::move(onProgress);
    response_ = {};
    bytesWritten_ = 0;
    callbackFailure_ = nullptr;

    CURL* easy = handles_->easy.get();
    setOption(easy, CURLOPT_WRITEFUNCTION, &CurlTransfer::onBody);
    setOption(easy, CURLOPT_WRITEDATA, this);
    setOption(easy, CURLOPT_HEADERFUNCTION, &CurlTransfer::onHeader);
    setOption(easy, CURLOPT_HEADERDATA, this);
    setOption(easy, CURLOPT_XFERINFOFUNCTION, &CurlTransfer::onTransferInfo);
    setOption(easy, CURLOPT_XFERINFODATA, this);
    setOption(easy, CURLOPT_NOPROGRESS, 0L);

    const CURLcode result = curl_easy_perform(easy);
    if (callbackFailure_)
        std::rethrow_exception(callbackFailure_);
    if (result != CURLE_OK) {
        if (stop_.stop_requested())
            throw HttpError(HttpErrorKind::cancelled);
        throwFailure(result);
    }
    long status = 0;
    curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &status);
    response_.status = static_cast<int>(status);
    return std::move(response_);
}

std::size_t CurlTransfer::onBody(char* data, std::size_t size, std::size_t count, void* self)
{
    const std::size_t length = size * count;
    return static_cast<CurlTransfer*>(self)->receiveBody({data, length}) ? length : 0;
}

std::size_t CurlTransfer::onHeader(char* data, std::size_t size, std::size_t count, void* self)
{
    const std::size_t length = size * count;
    static_cast<CurlTransfer*>(self)->receiveHeaderLine({data, length});
    return length;
}

int CurlTransfer::onTransferInfo(void* self, std::int64_t, std::int64_t, std::int64_t, std::int64_t)
{
    return static_cast<CurlTransfer*>(self)->stop_.stop_requested() ? 1 : 0;
}

bool CurlTransfer::receiveBody(std::string_view chunk)
{
    if (stop_.stop_requested())
        return false;
    try {
        if (request_.maxReplyBytes && static_cast<std::uint64_t>(bytesWritten_) + chunk.size() > *request_.maxReplyBytes)
            throw HttpError(HttpErrorKind::replyTooLarge,
                            "more than " + std::to_string(*request_.maxReplyBytes) + " bytes (" + request_.url + ")");
        sink_(chunk);
        bytesWritten_ += static_cast<std::int64_t>(chunk.size());
        if (onProgress_) {
            curl_off_t expected = -1;
            curl_easy_getinfo(handles_->easy.get(), CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &expected);
            onProgress_(bytesWritten_, expected >= 0 ? std::optional<std::int64_t>(expected) : std::nullopt);
        }
    } catch (...) {
        // Exceptions must not unwind through libcurl; perform() rethrows it.
        callbackFailure_ = std::current_exception();
        return false;
    }
    return !stop_.stop_requested();
}

void CurlTransfer::receiveHeaderLine(std::string_view line)
{
    // Each reply along the way (redirects, a proxy's tunnel answer) starts
    // with its status line; only the last reply's fields are kept.
    if (line.starts_with("HTTP/")) {
        response_.headers.clear();
        return;
    }
    // Folded continuation lines are obsolete; they are dropped.
    if (line.starts_with(' ') || line.starts_with('\t'))
        return;
    line = trimmed(line);
    const auto colon = line.find(':');
    if (colon == std::string_view::npos)
        return;
    response_.headers.add(std::string(trimmed(line.substr(0, colon))), std::string(trimmed(line.substr(colon + 1))));
}

void CurlTransfer::throwFailure(int code) const
{
    const auto curlCode = static_cast<CURLcode>(code);
    std::string detail = handles_->errorText[0] != '\0' ? handles_->errorText : curl_easy_strerror(curlCode);
    detail += " (" + request_.url + ")";
    throw HttpError(kindOf(curlCode), detail);
}

} // namespace platform
