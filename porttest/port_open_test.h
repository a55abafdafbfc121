// The port-open test: listens on the port itself, checks that a local
// connection reaches it (TCP), opens the port on the router, listens again
// and asks an external test server from the list to connect back. Every step
// is logged; the verdict goes into the setting SetupTest.
#pragma once

#include <string>

// Where the test reports: the log text of the router information window, or
// standard output for a run without a window.
class PortTestOutput {
  public:
    virtual ~PortTestOutput() = default;
    // The log has grown by added; whole is the log so far.
    virtual void ShowLog(const std::string& whole, const std::string& added) = 0;
    // A message box with an OK button; returns when it is closed.
    virtual void ShowMessage(const std::string& text) = 0;
};

enum class PortTestOutcome {
    kNotRun,  // ended before the external check; SetupTest unchanged
    kFailed,  // SetupTest -1
    kPassed,  // SetupTest 1
};

// The log header and the failure banner.
extern const char kPortTestHeader[];
extern const char kPortTestFailed[];
// The line logged when no test server is known to send the request to.
extern const char kNoTestServerLine[];

// Runs the test for protocol "TCP" or "UDP" on the port text (read as a
// decimal number after leading blanks; used as typed in the log and the
// mapping), mapping it to lanAddress. A mapping the test adds is deleted on
// every way out, a cancelled test included.
PortTestOutcome PortOpenTest(const std::string& protocol, const std::string& portText,
                             const std::string& lanAddress, PortTestOutput& output);

// True while a test runs.
bool PortTestRunning();
// Asks the running test to stop at its next wait and clean up. Safe to call
// from a signal handler.
void CancelPortTest();

void ResetPortOpenTestForTests();
