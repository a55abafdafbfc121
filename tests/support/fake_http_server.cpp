#include "tests/support/fake_http_server.h"

#include <cctype>
#include <chrono>
#include <cstdlib>

namespace {

using platform::Socket;
using platform::SocketEvent;

constexpr int kPollMs = 20;
constexpr int kRequestLimitMs = 3000;

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// Length of the head with its blank line, or 0 while incomplete.
size_t HeadLength(const std::string& raw) {
    size_t end = raw.find("\r\n\r\n");
    if (end != std::string::npos) return end + 4;
    end = raw.find("\n\n");
    return end == std::string::npos ? 0 : end + 2;
}

std::vector<std::string> Lines(const std::string& head) {
    std::vector<std::string> lines;
    size_t at = 0;
    while (at < head.size()) {
        size_t end = head.find('\n', at);
        if (end == std::string::npos) end = head.size();
        std::string line = head.substr(at, end - at);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty()) lines.push_back(line);
        at = end + 1;
    }
    return lines;
}

void ReadRequestLine(const std::string& line, FakeRequest& request) {
    size_t first = line.find(' ');
    size_t second = line.find(' ', first == std::string::npos ? line.size() : first + 1);
    request.method = line.substr(0, first);
    if (first == std::string::npos) return;
    request.target =
        line.substr(first + 1, second == std::string::npos ? second : second - first - 1);
    if (second != std::string::npos) request.version = line.substr(second + 1);
    size_t scheme = request.target.find("://");
    size_t slash = scheme == std::string::npos ? 0 : request.target.find('/', scheme + 3);
    request.path = slash == std::string::npos ? "/" : request.target.substr(slash);
}

// Fills the parsed fields once the head is there; returns the body length
// the head announces.
size_t ParseHead(FakeRequest& request, size_t headLength) {
    std::vector<std::string> lines = Lines(request.raw.substr(0, headLength));
    if (lines.empty()) return 0;
    ReadRequestLine(lines[0], request);
    request.headerLines.assign(lines.begin() + 1, lines.end());
    return std::strtoul(request.Header("Content-Length").c_str(), nullptr, 10);
}

bool SendAll(Socket socket, const std::string& bytes) {
    size_t sent = 0;
    auto start = std::chrono::steady_clock::now();
    while (sent < bytes.size()) {
        if (std::chrono::steady_clock::now() - start > std::chrono::seconds(10)) return false;
        if (!platform::SocketReady(socket, SocketEvent::kWritable, kPollMs)) continue;
        int n = platform::SocketSend(socket, bytes.data() + sent,
                                     static_cast<int>(bytes.size() - sent));
        if (n < 0) return false;
        sent += n;
    }
    return true;
}

}  // namespace

FakeAnswer FakeAnswer::Http(int status, const std::string& body, const std::string& extraHeaders) {
    return Raw("HTTP/1.1 " + std::to_string(status) + " Status\r\n" + extraHeaders +
               "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body);
}

FakeAnswer FakeAnswer::Raw(const std::string& bytes) {
    FakeAnswer answer;
    answer.segments.push_back(bytes);
    return answer;
}

FakeAnswer FakeAnswer::Silent() {
    FakeAnswer answer;
    answer.silent = true;
    return answer;
}

FakeAnswer& FakeAnswer::InPieces(size_t size, int pause) {
    std::string all;
    for (const std::string& segment : segments) all += segment;
    segments.clear();
    for (size_t at = 0; at < all.size(); at += size) segments.push_back(all.substr(at, size));
    pauseMs = pause;
    return *this;
}

std::string FakeRequest::Header(const std::string& name) const {
    std::string wanted = Lower(name);
    for (const std::string& line : headerLines) {
        size_t colon = line.find(':');
        if (colon == std::string::npos || Lower(line.substr(0, colon)) != wanted) continue;
        size_t start = line.find_first_not_of(" \t", colon + 1);
        return start == std::string::npos ? "" : line.substr(start);
    }
    return "";
}

FakeHttpServer::FakeHttpServer() : default_(FakeAnswer::Http(404, "")) {
    listener_ = platform::TcpListen("127.0.0.1", 0, &port_);
    acceptor_ = std::thread(&FakeHttpServer::AcceptLoop, this);
}

FakeHttpServer::~FakeHttpServer() {
    Stop();
}

std::string FakeHttpServer::Url(const std::string& path) const {
    return "http://127.0.0.1:" + PortText() + path;
}

void FakeHttpServer::Route(const std::string& method, const std::string& path,
                           const FakeAnswer& answer) {
    std::lock_guard<std::mutex> lock(mutex_);
    routes_[{method, path}] = answer;
}

void FakeHttpServer::Enqueue(const FakeAnswer& answer) {
    std::lock_guard<std::mutex> lock(mutex_);
    queue_.push_back(answer);
}

void FakeHttpServer::SetDefault(const FakeAnswer& answer) {
    std::lock_guard<std::mutex> lock(mutex_);
    default_ = answer;
}

std::vector<FakeRequest> FakeHttpServer::Requests() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return requests_;
}

bool FakeHttpServer::WaitForRequests(size_t count, int ms) const {
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, std::chrono::milliseconds(ms),
                             [&] { return requests_.size() >= count; });
}

int FakeHttpServer::ConnectionCount() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return connections_;
}

void FakeHttpServer::Stop() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (stopping_) return;
        stopping_ = true;
    }
    changed_.notify_all();
    if (acceptor_.joinable()) acceptor_.join();
    for (std::thread& handler : handlers_) handler.join();
    platform::CloseSocket(listener_);
}

void FakeHttpServer::AcceptLoop() {
    while (Pause(0)) {
        if (!platform::SocketReady(listener_, SocketEvent::kReadable, kPollMs)) continue;
        Socket socket = platform::TcpAccept(listener_);
        if (socket == platform::kNoSocket) continue;
        std::lock_guard<std::mutex> lock(mutex_);
        ++connections_;
        handlers_.emplace_back(&FakeHttpServer::Serve, this, socket);
    }
}

void FakeHttpServer::Serve(Socket socket) {
    FakeRequest request;
    size_t headLength = 0, bodyLength = 0;
    char buffer[4096];
    auto start = std::chrono::steady_clock::now();
    while (Pause(0) &&
           std::chrono::steady_clock::now() - start < std::chrono::milliseconds(kRequestLimitMs)) {
        if (headLength != 0 && request.raw.size() >= headLength + bodyLength) break;
        if (!platform::SocketReady(socket, SocketEvent::kReadable, kPollMs)) continue;
        int n = platform::SocketRecv(socket, buffer, sizeof buffer);
        if (n == platform::kRecvLater) continue;
        if (n <= 0) break;
        request.raw.append(buffer, n);
        if (headLength == 0 && (headLength = HeadLength(request.raw)) != 0) {
            bodyLength = ParseHead(request, headLength);
        }
    }
    if (headLength != 0) request.body = request.raw.substr(headLength, bodyLength);
    if (!request.raw.empty()) {
        FakeAnswer answer = ChooseAnswer(request);
        {
            std::lock_guard<std::mutex> lock(mutex_);
            requests_.push_back(request);
        }
        changed_.notify_all();
        Play(socket, answer);
    }
    platform::CloseSocket(socket);
}

FakeAnswer FakeHttpServer::ChooseAnswer(const FakeRequest& request) {
    std::lock_guard<std::mutex> lock(mutex_);
    for (const auto& method : {request.method, std::string()}) {
        auto route = routes_.find({method, request.path});
        if (route != routes_.end()) return route->second;
    }
    if (queue_.empty()) return default_;
    FakeAnswer answer = queue_.front();
    queue_.erase(queue_.begin());
    return answer;
}

void FakeHttpServer::Play(Socket socket, const FakeAnswer& answer) {
    if (!Pause(answer.delayMs)) return;
    for (size_t i = 0; i < answer.segments.size(); ++i) {
        if (i > 0 && !Pause(answer.pauseMs)) return;
        if (!SendAll(socket, answer.segments[i])) return;
    }
    auto start = std::chrono::steady_clock::now();
    auto hold = std::chrono::milliseconds(answer.holdMs);
    char buffer[4096];
    // Stays until the client leaves (silent) or the hold time is over.
    while (Pause(0) && (answer.silent || std::chrono::steady_clock::now() - start < hold)) {
        if (!platform::SocketReady(socket, SocketEvent::kReadable, kPollMs)) continue;
        int n = platform::SocketRecv(socket, buffer, sizeof buffer);
        if (n == 0 || n == -1) return;
    }
}

bool FakeHttpServer::Pause(int ms) {
    std::unique_lock<std::mutex> lock(mutex_);
    return !changed_.wait_for(lock, std::chrono::milliseconds(ms), [this] { return stopping_; });
}
