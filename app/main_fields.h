// The request fields of the main window, as the commands read and write them.
// The window copies its controls into this record before a command and shows
// it again afterwards.
#pragma once

#include <string>

enum Protocol { kProtocolNone = -1, kProtocolTcp = 0, kProtocolUdp = 1 };

struct MainFields {
    std::string wanPort;             // ① WAN port list (control 1000)
    int protocol = kProtocolNone;    // ② radio pair 1020/1021
    std::string lanPort;             // ③ LAN port list (1002); empty = same as ①
    int addressMode = 0;             // LAN address mode combo (1019), 0-3
    std::string lanIp;               // ④ LAN IP (1003)
    std::string comment;             // ⑤ comment, prefix of every description (1004)
    std::string wanIp;               // ⑥ WAN IP, read-only (1010)
    bool makeShortcuts = false;      // ⑦ check box (1007)
    int transportMode = 0;           // transport mode combo (1018), 0-3
    std::string info;                // ⑧ info text, read-only (1008)
    std::string device;              // ⑭ device designation (1001)
};
