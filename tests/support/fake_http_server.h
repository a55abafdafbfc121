// A scripted HTTP server on the loopback interface for tests. It records every
// request it receives and plays back a scripted answer: raw bytes, optionally
// in several segments with pauses, optionally late or silent, then closes.
#pragma once

#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/socket.h"

// One scripted answer.
struct FakeAnswer {
    std::vector<std::string> segments;  // sent one after another
    int delayMs = 0;                    // pause before the first segment
    int pauseMs = 0;                    // pause between segments
    int holdMs = 0;                     // connection kept open after the last segment
    bool silent = false;                // sends nothing; closes when the client leaves

    // A complete answer: status line, the extra header lines (each ending in
    // "\r\n"), Content-Length and the body.
    static FakeAnswer Http(int status, const std::string& body,
                           const std::string& extraHeaders = "");
    static FakeAnswer Raw(const std::string& bytes);
    static FakeAnswer Silent();
    // The same bytes cut into pieces of at most size bytes, pauseMs apart.
    FakeAnswer& InPieces(size_t size, int pauseMs);
};

// One request as received.
struct FakeRequest {
    std::string raw;                       // every byte received
    std::string method;                    // "GET"
    std::string target;                    // as in the request line: "/a?b" or "http://host/a?b"
    std::string path;                      // target without a leading "scheme://host"
    std::string version;                   // "HTTP/1.0"
    std::string body;                      // bytes after the head (Content-Length of them)
    std::vector<std::string> headerLines;  // "Name: value", in the order received

    // Value of the first header with this name (any case), "" when none.
    std::string Header(const std::string& name) const;
};

class FakeHttpServer {
  public:
    // Listens on 127.0.0.1 at a free port.
    FakeHttpServer();
    ~FakeHttpServer();
    FakeHttpServer(const FakeHttpServer&) = delete;
    FakeHttpServer& operator=(const FakeHttpServer&) = delete;

    int port() const { return port_; }
    std::string PortText() const { return std::to_string(port_); }
    // "http://127.0.0.1:<port>" followed by path.
    std::string Url(const std::string& path) const;

    // Answers every request with this method ("" = any) and path.
    void Route(const std::string& method, const std::string& path, const FakeAnswer& answer);
    // Answers, in order, the requests that no route takes.
    void Enqueue(const FakeAnswer& answer);
    // Used when neither a route nor the queue has an answer; 404 at first.
    void SetDefault(const FakeAnswer& answer);

    std::vector<FakeRequest> Requests() const;
    // Waits up to ms until count requests have come; true when they have.
    bool WaitForRequests(size_t count, int ms) const;
    int ConnectionCount() const;

    // Closes every connection and the listener; the destructor calls it.
    void Stop();

  private:
    void AcceptLoop();
    void Serve(platform::Socket socket);
    FakeAnswer ChooseAnswer(const FakeRequest& request);
    void Play(platform::Socket socket, const FakeAnswer& answer);
    // Sleeps up to ms; false when the server is stopping.
    bool Pause(int ms);

    platform::Socket listener_ = platform::kNoSocket;
    int port_ = 0;
    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    bool stopping_ = false;
    std::vector<FakeRequest> requests_;
    std::map<std::pair<std::string, std::string>, FakeAnswer> routes_;
    std::vector<FakeAnswer> queue_;
    FakeAnswer default_;
    int connections_ = 0;
    std::vector<std::thread> handlers_;
    std::thread acceptor_;
};
