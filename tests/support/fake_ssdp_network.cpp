#include "tests/support/fake_ssdp_network.h"

#include <gtest/gtest.h>

#include "platform/clock.h"
#include "upnp/igd_session.h"

namespace {

constexpr char kLoopback[] = "127.0.0.1";

std::string SearchedType(const std::string& request) {
    size_t start = request.find("\r\nST: ");
    if (start == std::string::npos) return "";
    start += 6;
    return request.substr(start, request.find("\r\n", start) - start);
}

}  // namespace

std::string SsdpAnswer(const std::string& type, const std::string& location,
                       const std::string& uuid) {
    return "HTTP/1.1 200 OK\r\nCACHE-CONTROL: max-age=120\r\nST: " + type +
           "\r\nUSN: uuid:" + uuid + "::" + type +
           "\r\nEXT:\r\nSERVER: Linux UPnP/1.1\r\nLocation: " + location + "\r\n\r\n";
}

FakeSsdpNetwork::FakeSsdpNetwork(int firstPort) {
    EXPECT_EQ(0, platform::UdpOpen(&socket_));
    EXPECT_EQ(0, platform::UdpBindFrom(socket_, firstPort, &port_));
    thread_ = std::thread([this] { Serve(); });
}

FakeSsdpNetwork::~FakeSsdpNetwork() {
    stop_ = true;
    thread_.join();
    platform::UdpClose(socket_);
}

void FakeSsdpNetwork::Answer(const std::string& type, const std::string& datagram) {
    std::lock_guard<std::mutex> lock(mutex_);
    answers_.emplace_back(type, datagram);
}

SsdpTarget FakeSsdpNetwork::Target() {
    SsdpTarget target;
    target.address = kLoopback;
    target.port = port_;
    target.listInterfaces = [this](std::vector<std::string>* interfaces) {
        searcherPort_ = SessionSearcher().Port();
        *interfaces = {kLoopback};
        return 0;
    };
    return target;
}

int FakeSsdpNetwork::SearchesAfterWaiting(int count, int ms) {
    for (int waited = 0; searches_ < count && waited < ms; waited += 10) {
        platform::SleepMs(10);
    }
    return searches_;
}

void FakeSsdpNetwork::Serve() {
    while (!stop_) {
        bool readable = false;
        platform::UdpWaitReadable(socket_, 20, &readable);
        if (!readable) continue;
        std::string request, sender;
        if (platform::UdpRecvFrom(socket_, 4096, &request, &sender) != 0) continue;
        ++searches_;
        AnswerSearch(SearchedType(request));
    }
}

void FakeSsdpNetwork::AnswerSearch(const std::string& type) {
    std::lock_guard<std::mutex> lock(mutex_);
    for (const auto& answer : answers_) {
        if (answer.first != type) continue;
        int sent = 0;
        platform::UdpSendTo(socket_, answer.second, kLoopback, searcherPort_, &sent);
    }
}
