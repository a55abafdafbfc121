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

// True when every byte went out within the limit.
bool SendAll(Socket socket, const char* data, int length, int limitMs, int& sent) {
    int passes = 0;
    while (sent < length) {
        StartPass(passes);
        if (!WaitForSocket(socket, SocketEvent::kWritable, limitMs, passes)) break;
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
    explicit AnswerReader(MemFile* body) : body_(body) {}

    // Takes the next received bytes; true when the answer is complete.
    bool Take(const char* bytes, int length);
    bool HeadComplete() const { return headDone_; }
    int received() const { return received_; }
    int contentLength() const { return contentLength_; }
    KeyedTable& headers() { return headers_; }

  private:
    bool TakeHead(const char* bytes, int length);
    void Deliver(const char* bytes, size_t length);

    MemFile* body_;
    std::string head_;
    bool headDone_ = false;
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
    if (chunked_) return decoder_.Finished();
    return contentLength_ != 0 && received_ >= contentLength_;
}

// True when the answer ends with its head: any status but 200 and 206.
bool AnswerReader::TakeHead(const char* bytes, int length) {
    head_.append(bytes, length);
    size_t end = FindHeadEnd(head_.data(), head_.size());
    if (end == 0) return false;
    headDone_ = true;
    ParseHttpHead(head_.data(), end, headers_);
    contentLength_ = headers_.GetInt("Content-Length");
    if (contentLength_ < 0) contentLength_ = 0;
    chunked_ = MbsFind(MbsLower(headers_.Get("Transfer-Encoding")).c_str(), "chunked") != nullptr;
    received_ -= static_cast<int>(end);
    Deliver(head_.data() + end, head_.size() - end);
    head_.clear();
    int status = headers_.GetInt("Return-Code");
    return status != 200 && status != 206;
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

void ReceiveAnswer(Socket socket, int limitMs, AnswerReader& reader) {
    std::vector<char> chunk(kChunkBytes);
    bool anyArrived = false;
    int passes = 0;
    while (true) {
        StartPass(passes);
        if (!WaitForSocket(socket, SocketEvent::kReadable, limitMs, passes)) return;
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
    int sent = 0;
    bool allSent = SendAll(socket, MemData(request), length, limitMs, sent);
    if (info) info->sent = sent;
    if (!allSent) {
        platform::CloseSocket(socket);
        Trace("HttpExchange() send error", host, sent);
        return -1;
    }
    AnswerReader reader(body);
    ReceiveAnswer(socket, limitMs, reader);
    platform::CloseSocket(socket);
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
