// The main window's settings: their keys in the settings table and their
// defaults, registered in this order before the settings file is loaded.
#pragma once

namespace key {

constexpr char kAddressMode[] = "//ini/設定/IP取得";   // LAN address mode 0-3
constexpr char kFixedAddress[] = "//ini/設定/IPADDR";  // the address of mode 0
constexpr char kProtocol[] = "//ini/設定/PROT";
constexpr char kPreviousPort[] = "//ini/設定/PRE_PORT";  // ① at start
constexpr char kShortcuts[] = "//ini/設定/SCUT";         // ⑦ at an interactive start
constexpr char kTransportMode[] = "//ini/設定/モード";
constexpr char kComment[] = "//ini/設定/COMMENT";  // ⑤ at start
constexpr char kDevice[] = "//ini/設定/SIKIBETU";  // ⑭ device designation
constexpr char kTestPort[] = "//ini/設定/UPnPTestPort201304";
constexpr char kMessageOff[] = "//ini/設定/MessageOff";    // non-zero: no failure messages
constexpr char kAllPortView[] = "//ini/設定/AllPortView";  // 1: list every host's mappings
constexpr char kAskWanFetch[] = "//ini/設定/_INI_GETIP_NET";
constexpr char kLastUpdate[] = "//ini/設定/LastUpdate";
constexpr char kSetupTest[] = "//ini/設定/SetupTest";  // 9 first run, 0 none, 1 passed, -1 failed

}  // namespace key

// The environment entry that holds the settings file's path.
constexpr int kSettingsFileEntry = 900003;

// Puts the fourteen settings with their defaults into glb_Settings.
void RegisterSettingDefaults();
