#include "upnp/device_list.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "foundation/keyed_table.h"
#include "foundation/mbs.h"
#include "upnp/local_address.h"

namespace {

constexpr size_t kUuidLimit = 998;

constexpr char kDeviceBlock[] =
    "■■■【機器%d】■■■\r\n型番:%s\r\nuuid:%s\r\nUPnP:%s\r\nﾙｰﾀｰ:http://%s/\r\nWAN :%s\r\n";
constexpr char kProposal[] =
    "\r\n\r\n------------------------\r\n複数の機器があり、WAN側にグローバルIPアドレス\r\n"
    "を持つ機器が確認されました\r\n⑭に%s\r\nを設定しました";
constexpr char kNoChangeNeeded[] =
    "\r\n\r\n------------------------\r\n⑭の変更は特に必要ありません\r\n";
constexpr char kNothingFound[] =
    "\r\n\r\n------------------------\r\nポート開放できそうな機器は見つかりませんでした\r\n";

enum RecordField { kModel, kUuid, kLocation, kHost, kWan };

std::string Format(const char* format, ...) {
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    int length = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    std::string text(length > 0 ? length : 0, '\0');
    if (length > 0) std::vsnprintf(&text[0], length + 1, format, args);
    va_end(args);
    return text;
}

}  // namespace

std::string UuidFromAnswer(const std::string& answer) {
    const char* uuid = MbsFind(answer.c_str(), "uuid");
    const char* open = uuid ? MbsFind(uuid, ":") : nullptr;
    const char* close = open ? MbsFind(open + 1, ":") : nullptr;
    if (close == nullptr) return "";
    return CutAtCharBoundary(std::string(open + 1, close), kUuidLimit);
}

std::string DeviceRecord(const std::string& model, const std::string& uuid,
                         const std::string& location, const std::string& host,
                         const std::string& wanAddress) {
    return model + "\t" + uuid + "\t" + location + "\t" + host + "\t" + wanAddress;
}

void ListDevices(const StrList& records, std::string* text, std::string* chosen) {
    chosen->clear();
    StrList fields;
    for (int i = 0; i < records.Count(); ++i) {
        fields.Split(records.GetAt(i), "\t");
        *text += Format(kDeviceBlock, i + 1, fields.GetAt(kModel), fields.GetAt(kUuid),
                        fields.GetAt(kLocation), fields.GetAt(kHost), fields.GetAt(kWan));
        if (ClassifyAddress(fields.GetAt(kWan)) == kAddressGlobal) *chosen = fields.GetAt(kUuid);
    }
    if (records.Count() > 1 && !chosen->empty()) {
        *text += Format(kProposal, chosen->c_str());
    } else if (records.Count() == 1 && !chosen->empty()) {
        *text += kNoChangeNeeded;
        chosen->clear();
    } else if (chosen->empty()) {
        *text += kNothingFound;
    }
}
