// A synchronous HTTP request to the router, the counterpart of the XMLHTTP
// request object: one GET or POST, its status and its body. Router traffic
// never goes through a proxy, every transfer has a time limit, only http URLs
// are fetched, redirects are not followed and a body is 1 MiB at most.
#pragma once

#include <string>
#include <vector>

namespace platform {

struct XmlHttpRequest {
    std::string method = "GET";  // "GET" or "POST"
    std::string url;
    std::vector<std::string> headers;  // whole lines without line end, "Name: value"
    std::string body;                  // sent as it is with POST
    int timeLimitMs = 5000;            // for the whole transfer, connecting included
};

struct XmlHttpAnswer {
    int status = 0;
    std::string body;   // as received, chunked transfer decoded
    std::string error;  // what went wrong, for the trace log
};

enum class XmlHttpResult {
    kOk,          // an answer with a status line came; status and body are set
    kNoHandle,    // the request object could not be created
    kSendFailed,  // no address, no connection, or the request could not be sent
    kRefused,     // the URL is malformed or not an http URL; nothing was sent
    kNoAnswer,    // no readable answer: the connection ended early, or the body passed 1 MiB
    kTimedOut,    // the time limit passed before the answer was complete
};

// kNoHandle also when libcurl cannot be loaded; answer.error says why.
XmlHttpResult XmlHttpSend(const XmlHttpRequest& request, XmlHttpAnswer& answer);

// Starts loading the HTTP library in the background, so that the first
// request does not wait for it. Harmless to call again or never.
void WarmUpXmlHttp();

}  // namespace platform
