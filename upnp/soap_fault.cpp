#include "upnp/soap_fault.h"

#include <cstdlib>
#include <cstring>
#include <pugixml.hpp>

#include "foundation/keyed_table.h"
#include "platform/charset.h"
#include "upnp/soap_envelope.h"

namespace {

// A router's description is shown on one line; a longer one is cut.
constexpr size_t kMaxDescription = 200;
// UPnP error codes have at most four digits.
constexpr int kMaxErrorCode = 9999;

struct UpnpError {
    int code;
    const char* name;
    const char* advice;
};

const UpnpError kErrors[] = {
    {401, "Invalid Action", "ルーターはこの操作に対応していません。"},
    {402, "Invalid Args",
     "ルーターが指定値を受け付けませんでした。ポート番号、プロトコル、LAN IPを確認してください。"},
    {501, "Action Failed",
     "ルーターが処理に失敗しました。少し待って再実行するか、ルーターを再起動してください。"},
    {606, "Action not authorized",
     "ルーターのUPnPは読み取り専用です。ルーターの設定画面でUPnPによるポート開放を許可してくださ"
     "い。"},
    {713, "SpecifiedArrayIndexInvalid", "その番号のポートマッピングはありません（一覧の終わり）。"},
    {714, "NoSuchEntryInArray",
     "そのポートマッピングはルーターにありません。すでに閉じられています。"},
    {715, "WildCardNotPermittedInSrcIP",
     "ルーターは接続元アドレスの省略（ワイルドカード）を受け付けません。"},
    {716, "WildCardNotPermittedInExtPort",
     "ルーターはWANポートの省略（ワイルドカード）を受け付けません。WANポートを指定してください。"},
    {718, "ConflictInMappingEntry",
     "このWANポートは別のコンピューター（別のLANアドレス）に割り当て済みです。そちらのマッピング"
     "を閉じるか、別のポートを使ってください。"},
    {724, "SamePortValuesRequired",
     "ルーターはWANポートとLANポートが同じ番号のマッピングしか受け付けません。③LANポートを①WAN"
     "ポートと同じにしてください。"},
    {725, "OnlyPermanentLeasesSupported",
     "ルーターは期限なし（永続）のマッピングしか受け付けません。"},
    {726, "RemoteHostOnlySupportsWildcard",
     "ルーターは接続元アドレスの指定を受け付けません（空欄のみ可）。"},
    {727, "ExternalPortOnlySupportsWildcard",
     "ルーターはWANポートの指定を受け付けません（ワイルドカードのみ可）。"},
    {728, "NoPortMapsAvailable",
     "ルーターのポートマッピング表が満杯です。使っていないマッピングを閉じてください。"},
    {729, "ConflictWithOtherMechanisms",
     "ルーターの他の設定（固定のポート転送など）とぶつかっています。ルーターの設定画面を確認して"
     "ください。"},
    {732, "WildCardNotPermittedInIntPort", "ルーターはLANポートの省略を受け付けません。"},
};

const UpnpError* FindError(int code) {
    for (const UpnpError& error : kErrors) {
        if (error.code == code) return &error;
    }
    return nullptr;
}

// The element's name after any namespace prefix.
const char* LocalName(const pugi::xml_node& node) {
    const char* colon = std::strrchr(node.name(), ':');
    return colon ? colon + 1 : node.name();
}

// The first element named name (any prefix), walked without recursion so a
// deeply nested body cannot exhaust the stack.
pugi::xml_node FindElement(const pugi::xml_node& root, const char* name) {
    pugi::xml_node node = root.first_child();
    while (node) {
        if (node.type() == pugi::node_element && std::strcmp(LocalName(node), name) == 0) {
            return node;
        }
        if (node.first_child()) {
            node = node.first_child();
            continue;
        }
        while (node && !node.next_sibling() && node != root) node = node.parent();
        if (!node || node == root) break;
        node = node.next_sibling();
    }
    return pugi::xml_node();
}

std::string ElementText(const pugi::xml_document& document, const char* name) {
    return platform::Utf8ToCp932(FindElement(document, name).child_value());
}

// Control characters (a router's text may hold terminal escapes) go; what
// is left is cut to one short line.
std::string OneLine(const std::string& text) {
    std::string line;
    for (char c : text) {
        unsigned char byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte != 0x7F) line.push_back(c);
    }
    size_t first = line.find_first_not_of(' ');
    if (first == std::string::npos) return "";
    line = line.substr(first, line.find_last_not_of(' ') - first + 1);
    return CutAtCharBoundary(line, kMaxDescription);
}

// A decimal code of one to four digits, surrounding blanks allowed; 0 otherwise.
int ReadCode(const std::string& text) {
    std::string digits = OneLine(text);
    if (digits.empty() || digits.size() > 4) return 0;
    for (char c : digits) {
        if (c < '0' || c > '9') return 0;
    }
    int code = std::atoi(digits.c_str());
    return code <= kMaxErrorCode ? code : 0;
}

}  // namespace

bool ReadSoapFault(const std::string& body, SoapFault& fault) {
    fault = SoapFault();
    // The body was decoded from UTF-8 already; a declaration naming another
    // encoding no longer holds.
    std::string utf8 = platform::Cp932ToUtf8(body);
    pugi::xml_document document;
    std::string code;
    std::string description;
    if (document.load_buffer(utf8.data(), utf8.size(), pugi::parse_default, pugi::encoding_utf8)) {
        code = ElementText(document, "errorCode");
        description = ElementText(document, "errorDescription");
    } else {
        // A body cut short or otherwise broken may still hold the elements.
        code = FindResponseValue(body, "errorCode");
        description = FindResponseValue(body, "errorDescription");
    }
    fault.code = ReadCode(code);
    if (fault.code == 0) return false;
    fault.description = OneLine(description);
    return true;
}

const char* UpnpErrorName(int code) {
    const UpnpError* error = FindError(code);
    return error ? error->name : "";
}

const char* UpnpErrorAdvice(int code) {
    const UpnpError* error = FindError(code);
    return error ? error->advice : "";
}

std::string FaultExplanation(const std::string& body) {
    SoapFault fault;
    if (!ReadSoapFault(body, fault)) return "";
    std::string name = UpnpErrorName(fault.code);
    if (name.empty()) name = fault.description;
    std::string text = " UPnPエラー" + std::to_string(fault.code);
    if (!name.empty()) text += " " + name;
    std::string advice = UpnpErrorAdvice(fault.code);
    if (!advice.empty()) text += ": " + advice;
    return text;
}
