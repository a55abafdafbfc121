#include "net/http_exchange.h"

#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "foundation/mbs.h"
#include "foundation/pump.h"
#include "foundation/trace.h"
#include "net/chunked_body.h"
#include "net/http_date.h"
#include "net/http_head.h"
#include "net/timed_calls.h"
#include "platform/clock.h"

namespace {

using platform::Socket;
using platform::SocketEvent;

constexpr int kChunkBytes = 100000;
constexpr int kLookupLimitMs = 5000;
constexpr int kConnectLimitMs = 5000;
constexpr int kStepMs = 100;
constexpr int kLongWaitMs = 1000;
constexpr int kShortChunkPauseMs = 500;
constexpr int kRetryPauseMs = 100;
constexpr int kEventsPerPass = 100;
constexpr int kEarlyPasses = 2;
// Far above any real head or body; past them the answer is broken.
constexpr size_t kMaxHeadBytes = 64 * 1024;
constexpr int kMaxBodyBytes = 1024 * 1024;

// The time limit of the whole exchange once the connection is made.
class Deadline {
  public:
    explicit Deadline(int ms) : start_(platform::TickCount()), ms_(ms > 0 ? ms : 0) {}
    int LeftMs() const {
        uint32_t elapsed = platform::TickCount() - start_;
        return elapsed >= ms_ ? 0 : static_cast<int>(ms_ - elapsed);
    }
    bool Passed() const { return LeftMs() == 0; }

  private:
    uint32_t start_;
    uint32_t ms_;
};

EventWait SocketWait(Socket socket, SocketEvent event) {
    return [socket, event](int ms) { return platform::SocketReady(socket, event, ms); };
}

// Waits up to limitMs in 100 ms steps for the event; a wait longer than a
// second counts as one more pass. False when the limit passed.
bool WaitForSocket(Socket socket, SocketEvent event, int limitMs, int& passes) {
    EventWait ready = SocketWait(socket, event);
    bool counted = false;
    for (int waited = 0; !ready(0); waited += kStepMs) {
        if (waited >= limitMs) return false;
        PumpSleepFor(kStepMs, ready);
        if (waited + kStepMs > kLongWaitMs && !counted) {
            ++passes;
            counted = true;
        }
    }
    return true;
}

void StartPass(int& passes) {
    platform::SleepMs(1);
    PumpMessages(kEventsPerPass);
    ++passes;
}

Socket Connect(const char* host, const char* port) {
    if (!platform::WinsockStartup()) return platform::kNoSocket;
    uint32_t address = TimedResolve(host, nullptr, kLookupLimitMs);
    long portNumber = std::atol(port ? port : "");
    if (address == 0 || portNumber < 1 || portNumber > 65535) return platform::kNoSocket;
    Socket socket = platform::TcpSocket();
    if (socket == platform::kNoSocket) return socket;
    if (TimedConnect(socket, address, static_cast<int>(portNumber), kConnectLimitMs) != 0) {
        platform::CloseSocket(socket);
        return platform::kNoSocket;
    }
    return socket;
}

// True when every byte went out before the deadline.
bool SendAll(Socket socket, const char* data, int length, const Deadline& deadline, int& sent) {
    int passes = 0;
    while (sent < length && !deadline.Passed()) {
        StartPass(passes);
        if (!WaitForSocket(socket, SocketEvent::kWritable, deadline.LeftMs(), passes)) break;
        int chunk = length - sent < kChunkBytes ? length - sent : kChunkBytes;
        int n = platform::SocketSend(socket, data + sent, chunk);
        if (n == 0 && passes <= kEarlyPasses) {
            PumpSleep(kRetryPauseMs);
            continue;
        }
        if (n <= 0) break;
        sent += n;
        if (n < chunk) PumpSleepFor(kShortChunkPauseMs, SocketWait(socket, SocketEvent::kWritable));
    }
    return sent >= length;
}

// Collects the answer: head first, then the body, decoded when chunked.
class AnswerReader {
  public:
    explicit AnswerReader(MemFile* body) : body_(body), bodyStart_(MemLength(body)) {}

    // Takes the next received bytes; true when the answer is complete or
    // broken.
    bool Take(const char* bytes, int length);
    // The head or the body passed its cap; what came is taken off the body.
    bool Broken() const { return broken_; }
    int received() const { return received_; }
    int contentLength() const { return contentLength_; }
    KeyedTable& headers() { return headers_; }

  private:
    bool TakeHead(const char* bytes, int length);
    void Deliver(const char* bytes, size_t length);
    bool Break();

    MemFile* body_;
    size_t bodyStart_;
    std::string head_;
    size_t headSearched_ = 0;
    bool headDone_ = false;
    bool broken_ = false;
    bool chunked_ = false;
    ChunkedDecoder decoder_;
    KeyedTable headers_;
    int received_ = 0;
    int contentLength_ = 0;
};

bool AnswerReader::Take(const char* bytes, int length) {
    received_ += length;
    if (!headDone_) {
        if (TakeHead(bytes, length)) return true;
    } else {
        Deliver(bytes, length);
    }
    if (headDone_ && received_ > kMaxBodyBytes) return Break();
    if (chunked_) return decoder_.Finished();
    return contentLength_ != 0 && received_ >= contentLength_;
}

bool AnswerReader::Break() {
    broken_ = true;
    MemSetLength(body_, bodyStart_);
    return true;
}

// True when the answer ends with its head (a status that has no body) or the
// head is broken. Any other answer, an error included, is read whole: a
// router's error body says what went wrong.
bool AnswerReader::TakeHead(const char* bytes, int length) {
    head_.append(bytes, length);
    size_t end = FindHeadEnd(head_.data(), head_.size(), headSearched_);
    headSearched_ = head_.size();
    if (end == 0) return head_.size() > kMaxHeadBytes && Break();
    if (end > kMaxHeadBytes) return Break();
    headDone_ = true;
    ParseHttpHead(head_.data(), end, headers_);
    contentLength_ = headers_.GetInt("Content-Length");
    if (contentLength_ < 0) contentLength_ = 0;
    chunked_ = MbsFind(MbsLower(headers_.Get("Transfer-Encoding")).c_str(), "chunked") != nullptr;
    received_ -= static_cast<int>(end);
    Deliver(head_.data() + end, head_.size() - end);
    head_.clear();
    int status = headers_.GetInt("Return-Code");
    return status == 204 || status == 304;
}

void AnswerReader::Deliver(const char* bytes, size_t length) {
    if (!chunked_) {
        MemWrite(body_, bytes, length);
        return;
    }
    std::string decoded;
    decoder_.Feed(bytes, length, decoded);
    MemWrite(body_, decoded.data(), decoded.size());
}

void ReceiveAnswer(Socket socket, const Deadline& deadline, AnswerReader& reader) {
    std::vector<char> chunk(kChunkBytes);
    bool anyArrived = false;
    int passes = 0;
    while (!deadline.Passed()) {
        StartPass(passes);
        if (!WaitForSocket(socket, SocketEvent::kReadable, deadline.LeftMs(), passes)) return;
        int n = platform::SocketRecv(socket, chunk.data(), kChunkBytes);
        if (n == platform::kRecvLater) continue;
        if (n <= 0 && passes <= kEarlyPasses && !anyArrived) {
            PumpSleep(kRetryPauseMs);
            continue;
        }
        if (n <= 0) return;
        anyArrived = true;
        if (reader.Take(chunk.data(), n)) return;
        if (n < kChunkBytes) {
            PumpSleepFor(kShortChunkPauseMs, SocketWait(socket, SocketEvent::kReadable));
        }
    }
}

void StampBody(MemFile* body, AnswerReader& reader) {
    const char* lastModified = reader.headers().Get("Last-Modified");
    if (*lastModified) {
        MemSetWriteTime(body, DateTextToFileTime(lastModified));
    } else if (reader.contentLength() != 0) {
        MemSetWriteTime(body, std::time(nullptr));
    }
}

}  // namespace

int HttpExchange(const char* host, const char* port, MemFile* request, MemFile* body, int limitMs,
                 HttpResultInfo* info) {
    Trace("HttpExchange() S", host ? host : "", 0);
    int length = static_cast<int>(MemLength(request));
    if (info) info->requestLength = length;
    Socket socket = length > 0 ? Connect(host, port) : platform::kNoSocket;
    if (socket == platform::kNoSocket) {
        Trace("HttpExchange() connect error", host ? host : "", platform::LastSocketError());
        return -1;
    }
    Deadline deadline(limitMs);
    int sent = 0;
    bool allSent = SendAll(socket, MemData(request), length, deadline, sent);
    if (info) info->sent = sent;
    if (!allSent) {
        platform::CloseSocket(socket);
        Trace("HttpExchange() send error", host, sent);
        return -1;
    }
    AnswerReader reader(body);
    ReceiveAnswer(socket, deadline, reader);
    platform::CloseSocket(socket);
    if (reader.Broken()) {
        Trace("HttpExchange() answer over its cap", host, reader.received());
        if (info) info->received = reader.received();
        return 0;
    }
    StampBody(body, reader);
    int status = reader.headers().GetInt("Return-Code");
    if (info) {
        info->received = reader.received();
        info->contentLength = reader.contentLength();
        info->headers = reader.headers();
    }
    Trace("HttpExchange() E", host, status);
    return status;
}
