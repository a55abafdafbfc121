// SSDP discovery: M-SEARCH requests for the router's WAN connection services
// and the unicast answers to them. The policy (which types, how long to wait)
// lies with the IGD session; this is the mechanism.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/udp.h"

// The lines of the last datagram Recv took, joined without their line feeds
// (a carriage return that ends a line stays). Emptied by every Recv.
extern std::string glb_RecvText;
// The sender of the last datagram Recv read, dotted.
extern std::string glb_RecvFrom;

// Empties glb_RecvText and glb_RecvFrom, as at program start.
void ResetSsdpForTests();

// Reads one answer datagram to the searches for searchedTypes, as Recv does:
//   2 an answer to a searched type (type and location filled),
//   0 no usable answer, -2 the first line does not carry status 200.
// Appends its lines to glb_RecvText.
int ParseSsdpAnswer(const std::string& data, const std::vector<std::string>& searchedTypes,
                    std::string* type, std::string* location);

// Where the searches go: by default the SSDP group, one copy from each local
// interface that can multicast. Tests aim them at a socket on loopback.
struct SsdpTarget {
    std::string address = "239.255.255.250";
    int port = 1900;
    // Fills the dotted addresses to send from; 0 or an error number.
    std::function<int(std::vector<std::string>*)> listInterfaces;
};

class SsdpSearcher {
  public:
    static constexpr int kFirstPort = 15500;

    SsdpSearcher();
    explicit SsdpSearcher(SsdpTarget target);
    ~SsdpSearcher();
    SsdpSearcher(const SsdpSearcher&) = delete;
    SsdpSearcher& operator=(const SsdpSearcher&) = delete;

    // Sockets need no start-up here; always true.
    bool WinsockStartup();
    // Creates and binds the socket (port 15500 or the next free one above);
    // true when it is ready. An open searcher stays as it is.
    bool Open();
    // Sends one M-SEARCH for type from every interface, each after a 200 ms
    // pause, and stops once the session's cap has passed; true when at least
    // one copy went out.
    bool Search(const std::string& type);
    // Takes at most one datagram, waiting up to limitMs for it:
    //   2 an answer to a searched type (type and location filled),
    //   1 nothing arrived, 0 no usable answer (a datagram over 2048 bytes
    //   included, last error EMSGSIZE), -1 a socket failure,
    //   -2 the first line does not carry status 200.
    // An answer naming another version of a searched type (WANIPConnection:2
    // for WANIPConnection:1) answers that search and hands back the searched type.
    int Recv(std::string* type, std::string* location, int limitMs);
    // True as soon as a datagram waits, within ms; made for PumpSleepFor.
    bool AnswerWaiting(int ms);
    // Closes the socket and forgets the searched types.
    void Close();

    // The error number of the last failed step, 0 after success.
    int LastError() const { return lastError_; }
    // The bound local port, 0 while closed.
    int Port() const { return port_; }
    // Types searched since the last Close, each once, in first-search order.
    const std::vector<std::string>& SearchedTypes() const { return searchedTypes_; }

  private:
    bool SendFrom(const std::string& interfaceAddress, const std::string& request);

    SsdpTarget target_;
    platform::UdpSocket socket_ = platform::kNoUdpSocket;
    int port_ = 0;
    int lastError_ = 0;
    std::vector<std::string> searchedTypes_;
};
