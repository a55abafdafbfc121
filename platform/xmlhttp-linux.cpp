#include <curl/curl.h>

#include <future>
#include <mutex>

#include "platform/dynamic_library.h"
#include "platform/xmlhttp.h"

namespace platform {
namespace {

// libcurl and the forty libraries it needs are loaded at the first request,
// or in the background once WarmUpXmlHttp() is called, rather than when the
// program starts: a run that sends nothing never pays for them, and a batch
// run loads them during its first pause.
constexpr char kCurlLibrary[] = "libcurl.so.4";

struct CurlCalls {
    decltype(&curl_global_init) globalInit = nullptr;
    decltype(&curl_easy_init) easyInit = nullptr;
    decltype(&curl_easy_setopt) setOption = nullptr;
    decltype(&curl_easy_perform) perform = nullptr;
    decltype(&curl_easy_getinfo) getInfo = nullptr;
    decltype(&curl_easy_strerror) errorText = nullptr;
    decltype(&curl_easy_cleanup) cleanup = nullptr;
    decltype(&curl_slist_append) listAppend = nullptr;
    decltype(&curl_slist_free_all) listFree = nullptr;
    bool bound = false;  // every call was found
    bool ready = false;  // and libcurl is set up
    std::string error;   // why libcurl could not be used
};

template <class Call>
bool Bind(Call& call, const char* name, std::string& error) {
    call = reinterpret_cast<Call>(LibrarySymbol(kCurlLibrary, name, &error));
    return call != nullptr;
}

CurlCalls LoadCurl() {
    CurlCalls c;
    c.bound = Bind(c.globalInit, "curl_global_init", c.error) &&
              Bind(c.easyInit, "curl_easy_init", c.error) &&
              Bind(c.setOption, "curl_easy_setopt", c.error) &&
              Bind(c.perform, "curl_easy_perform", c.error) &&
              Bind(c.getInfo, "curl_easy_getinfo", c.error) &&
              Bind(c.errorText, "curl_easy_strerror", c.error) &&
              Bind(c.cleanup, "curl_easy_cleanup", c.error) &&
              Bind(c.listAppend, "curl_slist_append", c.error) &&
              Bind(c.listFree, "curl_slist_free_all", c.error);
    return c;
}

// Loading only maps the libraries and looks up the calls, which is safe to
// leave running when the process ends: the loader makes the exit wait for it.
// A caller that comes while another thread loads waits for it.
const CurlCalls& LoadedCurl() {
    static const CurlCalls calls = LoadCurl();
    return calls;
}

// libcurl's global set-up starts OpenSSL, which registers its own clean-up
// for the process end; a process ending during the set-up would free
// OpenSSL's locks under the thread still setting up and crash it. So the
// set-up is left to the first request, on the thread that sends it.
CurlCalls InitialiseCurl(CurlCalls c) {
    if (!c.bound) return c;
    if (c.globalInit(CURL_GLOBAL_DEFAULT) != CURLE_OK) {
        c.error = "libcurl could not be initialised";
        return c;
    }
    c.ready = true;
    return c;
}

const CurlCalls& Curl() {
    static const CurlCalls calls = InitialiseCurl(LoadedCurl());
    return calls;
}

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

curl_slist* HeaderList(const CurlCalls& c, const XmlHttpRequest& request) {
    curl_slist* list = nullptr;
    for (const std::string& line : request.headers) list = c.listAppend(list, line.c_str());
    // Routers do not all know "100 Continue"; send the body at once.
    if (request.method == "POST") list = c.listAppend(list, "Expect:");
    return list;
}

void SetOptions(const CurlCalls& c, CURL* curl, const XmlHttpRequest& request, curl_slist* headers,
                XmlHttpAnswer& answer) {
    c.setOption(curl, CURLOPT_URL, request.url.c_str());
    // A LOCATION or URLBase from the LAN names the URL: plain HTTP only, so
    // that no device can make the program read files or send raw bytes to a
    // local service, and no redirect is followed.
    c.setOption(curl, CURLOPT_PROTOCOLS_STR, "http");
    c.setOption(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http");
    c.setOption(curl, CURLOPT_FOLLOWLOCATION, 0L);
    c.setOption(curl, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(kMaxBodyBytes));
    // The router is on the LAN: an http_proxy in the environment must not
    // send its traffic elsewhere.
    c.setOption(curl, CURLOPT_PROXY, "");
    c.setOption(curl, CURLOPT_NOSIGNAL, 1L);
    c.setOption(curl, CURLOPT_TIMEOUT_MS, static_cast<long>(request.timeLimitMs));
    c.setOption(curl, CURLOPT_HTTPHEADER, headers);
    c.setOption(curl, CURLOPT_WRITEFUNCTION, AppendBody);
    c.setOption(curl, CURLOPT_WRITEDATA, &answer.body);
    if (request.method == "POST") {
        c.setOption(curl, CURLOPT_POST, 1L);
        c.setOption(curl, CURLOPT_POSTFIELDS, request.body.data());
        c.setOption(curl, CURLOPT_POSTFIELDSIZE, static_cast<long>(request.body.size()));
    }
}

}  // namespace

void WarmUpXmlHttp() {
    // The loading thread is joined when the process ends (the future's
    // destructor waits).
    static std::once_flag started;
    static std::future<void> loading;
    std::call_once(started, [] { loading = std::async(std::launch::async, [] { LoadedCurl(); }); });
}

XmlHttpResult XmlHttpSend(const XmlHttpRequest& request, XmlHttpAnswer& answer) {
    answer = XmlHttpAnswer();
    const CurlCalls& c = Curl();
    if (!c.ready) {
        answer.error = c.error;
        return XmlHttpResult::kNoHandle;
    }
    CURL* curl = c.easyInit();
    if (curl == nullptr) return XmlHttpResult::kNoHandle;
    curl_slist* headers = HeaderList(c, request);
    SetOptions(c, curl, request, headers, answer);
    CURLcode code = c.perform(curl);
    long status = 0;
    c.getInfo(curl, CURLINFO_RESPONSE_CODE, &status);
    answer.status = static_cast<int>(status);
    if (code != CURLE_OK) answer.error = c.errorText(code);
    c.listFree(headers);
    c.cleanup(curl);
    return ResultOf(code);
}

}  // namespace platform
