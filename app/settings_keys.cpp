#include "app/settings_keys.h"

#include "foundation/settings.h"

namespace {

struct SettingDefault {
    const char* key;
    const char* value;
};

const SettingDefault kDefaults[] = {
    {key::kAddressMode, "2"},  {key::kFixedAddress, ""}, {key::kProtocol, "TCP"},
    {key::kPreviousPort, ""},  {key::kShortcuts, "1"},   {key::kTransportMode, "0"},
    {key::kComment, "Sluice"}, {key::kDevice, ""},       {key::kTestPort, "28800"},
    {key::kMessageOff, "0"},   {key::kAllPortView, "0"}, {key::kAskWanFetch, "9"},
    {key::kLastUpdate, ""},    {key::kSetupTest, "9"},
};

}  // namespace

void RegisterSettingDefaults() {
    for (const SettingDefault& setting : kDefaults) {
        SetDefault(setting.key, setting.value, glb_Settings);
    }
}
