#include "upnp/ssdp_searcher.h"

#include <cerrno>
#include <cstdlib>

#include "foundation/pump.h"
#include "foundation/trace.h"
#include "platform/interfaces.h"
#include "upnp/session_deadline.h"

std::string glb_RecvText;
std::string glb_RecvFrom;

void ResetSsdpForTests() {
    glb_RecvText.clear();
    glb_RecvFrom.clear();
}

namespace {

constexpr int kMulticastTtl = 4;
constexpr int kPauseBeforeSendMs = 200;
constexpr int kReceiveBytes = 2048;
constexpr int kAcceptedStatus = 200;
constexpr char kRequestHead[] =
    "M-SEARCH * HTTP/1.1\r\nMX: 3\r\nHOST: 239.255.255.250:1900\r\n"
    "MAN: \"ssdp:discover\"\r\nST: ";

// The pieces between line feeds; a final line feed ends the last line rather
// than starting an empty one. An empty datagram is one empty line.
std::vector<std::string> SplitLines(const std::string& data) {
    std::vector<std::string> lines;
    size_t start = 0;
    do {
        size_t end = data.find('\n', start);
        if (end == std::string::npos) end = data.size();
        lines.push_back(data.substr(start, end - start));
        start = end + 1;
    } while (start < data.size());
    return lines;
}

// The number after the first word ("HTTP/1.1 200 OK" gives 200); 0 when no
// number follows.
long StatusOf(const std::string& line) {
    size_t word = line.find_first_not_of(" \t\r");
    size_t gap = line.find_first_of(" \t\r", word);
    if (word == std::string::npos || gap == std::string::npos) return 0;
    return std::strtol(line.c_str() + gap, nullptr, 10);
}

bool EqualsIgnoringCase(const std::string& text, const char* word) {
    size_t i = 0;
    for (; i < text.size() && word[i]; ++i) {
        char c = text[i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        char w = word[i];
        if (w >= 'A' && w <= 'Z') w = static_cast<char>(w - 'A' + 'a');
        if (c != w) return false;
    }
    return i == text.size() && word[i] == '\0';
}

// Takes the ST or Location value of one header line. The name is everything
// before the first colon, untrimmed; the value starts after the blanks that
// follow the colon and loses one final carriage return.
void ReadHeader(const std::string& line, std::string* type, std::string* location) {
    size_t colon = line.find(':');
    if (colon == std::string::npos) return;
    size_t valueStart = line.find_first_not_of(' ', colon + 1);
    if (valueStart == std::string::npos) return;
    std::string value = line.substr(valueStart);
    if (value.back() == '\r') value.pop_back();
    std::string name = line.substr(0, colon);
    if (EqualsIgnoringCase(name, "ST")) {
        *type = value;
    } else if (EqualsIgnoringCase(name, "Location")) {
        *location = value;
    }
}

// "urn:...:WANIPConnection:" for "urn:...:WANIPConnection:2"; empty when the
// type does not end in a version number.
std::string WithoutVersion(const std::string& type) {
    size_t colon = type.rfind(':');
    if (colon == std::string::npos || colon + 1 == type.size()) return "";
    if (type.find_first_not_of("0123456789", colon + 1) != std::string::npos) return "";
    return type.substr(0, colon + 1);
}

// The searched type that answerType answers, "" when none does.
std::string AnsweredSearch(const std::vector<std::string>& searchedTypes,
                           const std::string& answerType) {
    for (const std::string& searched : searchedTypes) {
        if (searched == answerType) return searched;
    }
    std::string base = WithoutVersion(answerType);
    for (const std::string& searched : searchedTypes) {
        if (!base.empty() && WithoutVersion(searched) == base) return searched;
    }
    return "";
}

}  // namespace

int ParseSsdpAnswer(const std::string& data, const std::vector<std::string>& searchedTypes,
                    std::string* type, std::string* location) {
    std::vector<std::string> lines = SplitLines(data);
    Trace("Recv() first line:", lines[0]);
    glb_RecvText += lines[0];
    if (StatusOf(lines[0]) != kAcceptedStatus) return -2;
    std::string answerType, answerLocation;
    for (size_t i = 1; i < lines.size(); ++i) {
        Trace("Recv() 2nd line:", lines[i]);
        glb_RecvText += lines[i];
        ReadHeader(lines[i], &answerType, &answerLocation);
    }
    if (answerType.empty() || answerLocation.empty()) return 0;
    std::string searched = AnsweredSearch(searchedTypes, answerType);
    if (searched.empty()) return 0;
    *type = searched;
    *location = answerLocation;
    return 2;
}

SsdpSearcher::SsdpSearcher() : SsdpSearcher(SsdpTarget()) {}

SsdpSearcher::SsdpSearcher(SsdpTarget target) : target_(std::move(target)) {
    if (!target_.listInterfaces) target_.listInterfaces = platform::MulticastInterfaceAddresses;
}

SsdpSearcher::~SsdpSearcher() {
    if (socket_ != platform::kNoUdpSocket) platform::UdpClose(socket_);
}

bool SsdpSearcher::WinsockStartup() {
    return true;
}

bool SsdpSearcher::Open() {
    lastError_ = 0;
    if (socket_ != platform::kNoUdpSocket) return true;
    lastError_ = platform::UdpOpen(&socket_);
    if (lastError_ != 0) return false;
    lastError_ = platform::UdpBindFrom(socket_, kFirstPort, &port_);
    if (lastError_ != 0) {
        platform::UdpClose(socket_);
        socket_ = platform::kNoUdpSocket;
        port_ = 0;
        return false;
    }
    platform::UdpSetMulticastTtl(socket_, kMulticastTtl);
    platform::UdpSetNonBlocking(socket_);
    return true;
}

bool SsdpSearcher::Search(const std::string& type) {
    lastError_ = 0;
    if (socket_ == platform::kNoUdpSocket) {
        lastError_ = EBADF;
        return false;
    }
    std::string request = kRequestHead + type + "\r\n\r\n";
    std::vector<std::string> interfaces;
    lastError_ = target_.listInterfaces(&interfaces);
    if (lastError_ == 0 && interfaces.empty()) lastError_ = ENETUNREACH;
    if (lastError_ != 0) return false;
    int sent = 0;
    for (const std::string& address : interfaces) {
        if (SessionDeadlinePassed()) break;
        PumpSleep(kPauseBeforeSendMs);
        if (SendFrom(address, request)) ++sent;
    }
    if (sent == 0) return false;
    lastError_ = 0;
    for (const std::string& searched : searchedTypes_) {
        if (searched == type) return true;
    }
    searchedTypes_.push_back(type);
    return true;
}

bool SsdpSearcher::SendFrom(const std::string& interfaceAddress, const std::string& request) {
    int sent = 0;
    int error = platform::UdpSetMulticastInterface(socket_, interfaceAddress);
    if (error == 0) {
        error = platform::UdpSendTo(socket_, request, target_.address, target_.port, &sent);
    }
    if (error != 0) lastError_ = error;
    return error == 0 && sent > 0;
}

int SsdpSearcher::Recv(std::string* type, std::string* location, int limitMs) {
    lastError_ = 0;
    glb_RecvText.clear();
    type->clear();
    location->clear();
    if (socket_ == platform::kNoUdpSocket) lastError_ = EBADF;
    bool readable = false;
    if (lastError_ == 0) lastError_ = platform::UdpWaitReadable(socket_, limitMs, &readable);
    if (lastError_ != 0) return -1;
    if (!readable) return 1;
    std::string data;
    lastError_ = platform::UdpRecvFrom(socket_, kReceiveBytes, &data, &glb_RecvFrom);
    // A datagram longer than any answer is no answer; the next one may be.
    if (lastError_ == EMSGSIZE) return 0;
    if (lastError_ != 0) return -1;
    data = data.substr(0, data.find('\0'));
    return ParseSsdpAnswer(data, searchedTypes_, type, location);
}

bool SsdpSearcher::AnswerWaiting(int ms) {
    if (socket_ == platform::kNoUdpSocket) return true;
    bool readable = false;
    return platform::UdpWaitReadable(socket_, ms, &readable) != 0 || readable;
}

void SsdpSearcher::Close() {
    lastError_ = 0;
    if (socket_ != platform::kNoUdpSocket) {
        lastError_ = platform::UdpClose(socket_);
        socket_ = platform::kNoUdpSocket;
        port_ = 0;
    }
    searchedTypes_.clear();
}
