#include "app/port_test_command.h"

#include <csignal>

#include "app/app_ui.h"
#include "app/port_commands.h"
#include "app/settings_keys.h"
#include "foundation/environment.h"
#include "foundation/settings.h"
#include "platform/charset.h"
#include "porttest/port_open_test.h"

namespace {

const char kProtocolInvalid[] = "プロトコルは TCP か UDP を指定してください";

class TerminalOutput final : public PortTestOutput {
  public:
    explicit TerminalOutput(std::ostream& out) : out_(out) {}
    void ShowLog(const std::string&, const std::string& added) override {
        out_ << TerminalText(added) << std::flush;
    }
    void ShowMessage(const std::string& text) override {
        out_ << TerminalText(text) << "\n" << std::flush;
    }

  private:
    std::ostream& out_;
};

extern "C" void StopTestOnSignal(int) {
    CancelPortTest();
}

// SIGINT and SIGTERM cancel the test for as long as this lives.
class SignalGuard {
  public:
    SignalGuard()
        : oldInt_(std::signal(SIGINT, StopTestOnSignal)),
          oldTerm_(std::signal(SIGTERM, StopTestOnSignal)) {}
    ~SignalGuard() {
        std::signal(SIGINT, oldInt_);
        std::signal(SIGTERM, oldTerm_);
    }
    SignalGuard(const SignalGuard&) = delete;
    SignalGuard& operator=(const SignalGuard&) = delete;

  private:
    void (*oldInt_)(int);
    void (*oldTerm_)(int);
};

std::string ProtocolText(const MainFields& fields) {
    if (fields.protocol == kProtocolUdp) return "UDP";
    if (fields.protocol == kProtocolTcp) return "TCP";
    return std::string();
}

}  // namespace

std::string TerminalText(const std::string& cp932) {
    std::string kept;
    for (char c : cp932) {
        unsigned char byte = static_cast<unsigned char>(c);
        if (c == '\n' || (byte >= 0x20 && byte != 0x7F)) kept += c;
    }
    return platform::Cp932ToUtf8(kept);
}

void PortTestCommand(AppUi& ui, const MainFields& fields, std::ostream& out) {
    std::string protocol = ProtocolText(fields);
    if (protocol.empty()) {
        out << TerminalText(kProtocolInvalid) << "\n" << std::flush;
        ui.ExitProcess(kExitBatchFailed);
        return;
    }
    std::string port = fields.wanPort.empty() ? glb_Settings.Get(key::kTestPort) : fields.wanPort;
    TerminalOutput output(out);
    PortTestOutcome outcome;
    {
        SignalGuard stopOnSignal;
        outcome = PortOpenTest(protocol, port, fields.lanIp, output);
    }
    out << "\n" << std::flush;
    SaveIni(SharedEnvironment().GetEnum(kSettingsFileEntry), glb_Settings, kIniForce);
    ui.ExitProcess(outcome == PortTestOutcome::kPassed ? kExitBatchDone : kExitBatchFailed);
}
