// HTTP/1.0 GET of a URL, through the system proxy unless told otherwise.
#pragma once

#include "foundation/memfile.h"
#include "net/http_exchange.h"

enum HttpRequestOptions {
    kHttpNoProxy = 2,      // connect to the URL's host even when a proxy is set
    kHttpConditional = 4,  // If-Modified-Since from body's time stamp; body kept only on 200/206
};

// Fetches url into body (emptied first with kHttpConditional) and leaves the
// body's position at its start. limitMs is raised to 2000 at least. Returns the
// status code, 0 when no status line came, -1 when the request could not be
// sent (also for a URL holding control characters).
int HttpRequest(const char* url, MemFile* body, int options, int limitMs,
                HttpResultInfo* info = nullptr);
