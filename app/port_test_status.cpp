#include "app/port_test_status.h"

#include "app/settings_keys.h"
#include "foundation/settings.h"

std::string PortTestStatusText() {
    switch (glb_Settings.GetInt(key::kSetupTest)) {
        case 0:
        case 9:
            return "？ポート開放テストが行われていません";
        case 1:
            return "◎ポート開放テストに成功しています";
        case -1:
            return "×ポート開放テストに失敗。";
    }
    return "？？？？";
}
