#include "app/windows/usage.h"

namespace {

const char kGrammar[] =
    "sluice [switch] [WAN ports] [TCP|UDP] [LAN ports] [LAN IP|自動1|自動2|自動3] [comment]";

}  // namespace

std::string UsageText() {
    return std::string("Usage: ") + kGrammar +
           "\n"
           "\n"
           "The switch is the first argument; its words are found anywhere in it, in any\n"
           "case, so /open, open and -OPEN are the same and /open_hide combines two:\n"
           "  open      map the WAN ports to the LAN ports of the LAN IP\n"
           "  close     remove the mappings of the WAN ports\n"
           "  closeall  remove every mapping listed for this computer\n"
           "  list      print every mapping of the router on standard output, one per\n"
           "            line: WAN port, protocol, LAN IP, LAN port, enabled, description,\n"
           "            lease, separated by tabs; the second argument is the count\n"
           "            (1-1000, default 100)\n"
           "  setup     make the desktop shortcuts\n"
           "  wizard    run the setup wizard\n"
           "  hide      with open, close, closeall or list: keep the window hidden\n"
           "  debug     write the trace log Sluice_Debug.txt in the temporary folder\n"
           "Without a switch the main window opens; it needs a display. Started in the\n"
           "folder of a server program that sluice.def knows, it opens the server's\n"
           "ports, starts it and closes them when it ends, with or without a display.\n"
           "\n"
           "Ports: 8000, a range 8000-8005, a list 8000,9000, or both; at most ten.\n"
           "LAN IP: an address, or 自動1, 自動2, 自動3 to find this computer's address.\n"
           "\n"
           "Exit codes: 1 done, 2 failed (no router, router refused, bad input),\n"
           "0 setup or wizard finished, or the watched servers ended and their ports\n"
           "were closed; 2 also when a watched port could not be closed.\n"
           "The manual sluice(1) has the details, the files and the environment.\n";
}

std::string NoDisplayLine() {
    return std::string("sluice: no display to show the window on; usage: ") + kGrammar + "\n";
}

std::string FirstRunDoneLine() {
    return "sluice: first start: the first-run question is answered; run the command again\n";
}
