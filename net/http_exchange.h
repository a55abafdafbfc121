// One HTTP exchange over a plain TCP connection: send a composed request,
// collect the answer's head into a table and its body into a memory buffer.
#pragma once

#include "foundation/keyed_table.h"
#include "foundation/memfile.h"

// What one exchange did, for callers that want more than the status.
struct HttpResultInfo {
    int sent = 0;           // request bytes sent so far
    int requestLength = 0;  // total request bytes
    int received = 0;       // answer bytes after the head
    int contentLength = 0;  // Content-Length, 0 when absent
    KeyedTable headers;     // every header line plus "Return-Code"
};

// Sends the bytes of request to host:port and appends the answer's body to
// body (a chunked body is decoded first). Returns the status code of the
// answer, 0 when no complete head came within the limit or the answer was
// broken (a head over 64 KiB or a body over 1 MiB; nothing of it is kept),
// -1 when the host has no address, the connection failed or the request could
// not be sent. The name lookup and the connect have 5000 ms each; from then on
// the whole exchange ends within limitMs, with what arrived by then. Pending
// events are dispatched while waiting. Every answer is read whole, errors
// included, except 204 and 304, which have no body.
int HttpExchange(const char* host, const char* port, MemFile* request, MemFile* body, int limitMs,
                 HttpResultInfo* info);
