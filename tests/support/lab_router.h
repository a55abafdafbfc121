// The lab router: a client, a router running miniupnpd and an "internet",
// each in a network namespace, built by tests/lab/lab-router.sh. A lab test
// program (registered with sluice_add_lab_test) brings the lab up once, runs
// all its tests inside the client namespace and removes the lab at the end.
#pragma once

#include <string>

namespace lab {

constexpr char kClientNamespace[] = "sluice-c";
constexpr char kRouterNamespace[] = "sluice-r";
constexpr char kSecondRouterNamespace[] = "sluice-r2";
constexpr char kInternetNamespace[] = "sluice-i";

constexpr char kClientAddress[] = "10.77.0.2";
constexpr char kRouterAddress[] = "10.77.0.1";
constexpr char kSecondRouterAddress[] = "10.77.0.3";
constexpr char kRouterWanAddress[] = "198.51.100.1";
constexpr char kInternetAddress[] = "198.51.100.2";
// What the router reports as its external address (router 2: 7.7.7.8).
constexpr char kExternalAddress[] = "7.7.7.7";
constexpr char kSecondExternalAddress[] = "7.7.7.8";
// The routers' root device uuids. miniupnpd names its WAN device and WAN
// connection device by adding 1 and 2 to the last digit; the answers to the
// WAN connection searches carry the latter in their USN.
constexpr char kRouterUuid[] = "3b5e7a10-1d2c-4e5f-8a9b-5c1ce0000100";
constexpr char kRouterAnswerUuid[] = "3b5e7a10-1d2c-4e5f-8a9b-5c1ce0000102";
constexpr char kSecondRouterUuid[] = "3b5e7a10-1d2c-4e5f-8a9b-5c1ce0000200";
constexpr char kSecondRouterAnswerUuid[] = "3b5e7a10-1d2c-4e5f-8a9b-5c1ce0000202";
constexpr int kUpnpPort = 2869;

struct CommandResult {
    int status = -1;     // exit status; -1 when the command could not run
    std::string output;  // standard output and error together
};

// Runs a shell command in the named namespace (at most 60 s).
CommandResult RunInNamespace(const std::string& ns, const std::string& command);
CommandResult RunInClient(const std::string& command);
CommandResult RunInRouter(const std::string& command);

// lab-router.sh up: "v1" or "v2", optionally followed by " two" for a second
// router. Rebuilds the lab from scratch. error receives the script's output.
bool Up(const std::string& arguments, std::string* error);
bool Down(std::string* error);
// Restarts the routers' daemons with the variant and no mappings.
bool Restart(const std::string& variant, std::string* error);
// Restarts only when the routers run another variant.
bool UseVariant(const std::string& variant, std::string* error);
// The variant the routers run now ("v1", "v2"), empty while the lab is down.
std::string CurrentVariant();
// The last lines of router 1's (or router 2's) miniupnpd log, for failure messages.
std::string RouterLog(bool secondRouter = false);

// The client's default route through router 1, and back to unreachable, as
// the lab leaves it so that nothing reaches past the lab by accident.
CommandResult RouteClientThroughRouter();
CommandResult RestoreClientRoute();

// Moves the whole process into the client namespace; call it while no other
// thread exists, so that every thread started later lives there too.
bool EnterClientNamespace(std::string* error);
// Back to the namespace the process started in.
void LeaveClientNamespace();

// The start of a lab program: waits for the machine-wide lab lock (lab
// programs of other builds may be running), brings the lab up with v1 and
// enters the client namespace. error tells why it failed; the program must
// then fail without running its tests: lab tests never pass without the lab.
bool StartLab(std::string* error);
// Leaves the client namespace, removes the lab and releases the lock.
bool StopLab(std::string* error);

}  // namespace lab
