#include "net/http_request.h"

#include <string>

#include "foundation/keyed_table.h"
#include "net/http_date.h"
#include "net/proxy.h"
#include "net/url.h"

namespace {

constexpr int kMinimumLimitMs = 2000;
constexpr const char* kUserAgent =
    "Mozilla/5.0 (Windows NT 6.3; WOW64; Trident/7.0; Touch; rv:11.0) like Gecko";

struct Target {
    std::string host;
    std::string port;
    std::string requestTarget;  // path, or the whole URL through a proxy
};

bool HasControlBytes(const char* text) {
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p; ++p) {
        if (*p < 0x20 || *p == 0x7F) return true;
    }
    return false;
}

void FillHeaders(const ParsedUrl& url, KeyedTable& headers) {
    headers.Set("Accept", "*/*");
    headers.Set("Accept-Language", "ja");
    headers.Set("Cache-Control", "no-cache");
    headers.Set("Connection", "close");
    headers.Set("Host", url.port == "80" ? url.host : url.host + ":" + url.port);
    headers.Set("Pragma", "no-cache");
    headers.Set("Referer", "http://" + url.host + "/");
    headers.Set("User-Agent", kUserAgent);
}

// The URL's own host, or the proxy when one is switched on (switch value 1)
// and names a host.
Target ChooseTarget(const char* url, const ParsedUrl& parsed, int options) {
    Target target{parsed.host, parsed.port, parsed.path};
    if (options & kHttpNoProxy) return target;
    std::string proxy;
    int enabled = 0;
    GetSystemProxy(&proxy, &enabled);
    size_t colon = proxy.find(':');
    std::string proxyHost = proxy.substr(0, colon);
    if (enabled != 1 || proxyHost.empty()) return target;
    std::string proxyPort = colon == std::string::npos ? "" : proxy.substr(colon + 1);
    return Target{proxyHost, proxyPort.empty() ? "80" : proxyPort, url};
}

std::string ComposeRequest(const std::string& requestTarget, const KeyedTable& headers) {
    std::string request = "GET " + requestTarget + " HTTP/1.0\r\n";
    for (int i = 0; i < headers.Count(); ++i) {
        request += std::string(headers.WrittenKeyAt(i)) + ": " + headers.ValueAt(i) + "\r\n";
    }
    return request + "\r\n";
}

}  // namespace

int HttpRequest(const char* url, MemFile* body, int options, int limitMs, HttpResultInfo* info) {
    if (limitMs < kMinimumLimitMs) limitMs = kMinimumLimitMs;
    if (!url || HasControlBytes(url)) return -1;
    ParsedUrl parsed = ParseUrl(url, "80");
    KeyedTable headers;
    FillHeaders(parsed, headers);
    bool conditional = (options & kHttpConditional) != 0;
    if (conditional) {
        MemSetPosition(body, 0);
        MemSetLength(body, 0);
        headers.Set("If-Modified-Since",
                    FormatHttpDate(FileTimeToDateText(MemWriteTime(body)).c_str()));
    }
    Target target = ChooseTarget(url, parsed, options);
    std::string text = ComposeRequest(target.requestTarget, headers);
    MemFile* request = MemOpen(std::to_string(text.size() + 1).c_str(), "mw");
    MemWrite(request, text.data(), text.size());
    int status =
        HttpExchange(target.host.c_str(), target.port.c_str(), request, body, limitMs, info);
    MemClose(request);
    if (conditional && status != 200 && status != 206) MemSetLength(body, 0);
    MemSetPosition(body, 0);
    return status;
}
