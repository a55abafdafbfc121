#include <curl/curl.h>

#include <mutex>

#include "platform/xmlhttp.h"

namespace platform {
namespace {

// No router's description or answer comes near this; a larger body is broken.
constexpr size_t kMaxBodyBytes = 1024 * 1024;

// Returning less than was given makes libcurl end the transfer as a write
// error.
size_t AppendBody(char* data, size_t size, size_t count, void* target) {
    std::string* body = static_cast<std::string*>(target);
    size_t length = size * count;
    if (body->size() + length > kMaxBodyBytes) return 0;
    body->append(data, length);
    return length;
}

XmlHttpResult ResultOf(CURLcode code) {
    switch (code) {
        case CURLE_OK:
            return XmlHttpResult::kOk;
        case CURLE_OPERATION_TIMEDOUT:
            return XmlHttpResult::kTimedOut;
        case CURLE_GOT_NOTHING:
        case CURLE_WEIRD_SERVER_REPLY:
        case CURLE_RECV_ERROR:
        case CURLE_PARTIAL_FILE:
        case CURLE_WRITE_ERROR:
        case CURLE_FILESIZE_EXCEEDED:
            return XmlHttpResult::kNoAnswer;
        case CURLE_UNSUPPORTED_PROTOCOL:
        case CURLE_URL_MALFORMAT:
            return XmlHttpResult::kRefused;
        default:
            return XmlHttpResult::kSendFailed;
    }
}

curl_slist* HeaderList(const XmlHttpRequest& request) {
    curl_slist* list = nullptr;
    for (const std::string& line : request.headers) list = curl_slist_append(list, line.c_str());
    // Routers do not all know "100 Continue"; send the body at once.
    if (request.method == "POST") list = curl_slist_append(list, "Expect:");
    return list;
}

void SetOptions(CURL* curl, const XmlHttpRequest& request, curl_slist* headers,
                XmlHttpAnswer& answer) {
    curl_easy_setopt(curl, CURLOPT_URL, request.url.c_str());
    // A LOCATION or URLBase from the LAN names the URL: plain HTTP only, so
    // that no device can make the program read files or send raw bytes to a
    // local service, and no redirect is followed.
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http");
    curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http");
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 0L);
    curl_easy_setopt(curl, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(kMaxBodyBytes));
    // The router is on the LAN: an http_proxy in the environment must not
    // send its traffic elsewhere.
    curl_easy_setopt(curl, CURLOPT_PROXY, "");
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, static_cast<long>(request.timeLimitMs));
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, AppendBody);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &answer.body);
    if (request.method == "POST") {
        curl_easy_setopt(curl, CURLOPT_POST, 1L);
        curl_easy_setopt(curl, CURLOPT_POSTFIELDS, request.body.data());
        curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE, static_cast<long>(request.body.size()));
    }
}

}  // namespace

XmlHttpResult XmlHttpSend(const XmlHttpRequest& request, XmlHttpAnswer& answer) {
    static std::once_flag initialised;
    std::call_once(initialised, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
    answer = XmlHttpAnswer();
    CURL* curl = curl_easy_init();
    if (curl == nullptr) return XmlHttpResult::kNoHandle;
    curl_slist* headers = HeaderList(request);
    SetOptions(curl, request, headers, answer);
    CURLcode code = curl_easy_perform(curl);
    long status = 0;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
    answer.status = static_cast<int>(status);
    if (code != CURLE_OK) answer.error = curl_easy_strerror(code);
    curl_slist_free_all(headers);
    curl_easy_cleanup(curl);
    return ResultOf(code);
}

}  // namespace platform
