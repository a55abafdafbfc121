#include "defs/definition_file.h"

#include <string>
#include <vector>

#include "tests/defs/defs_test_base.h"

namespace {

struct Expected {
    std::string program, port, title, protocol;
};

std::vector<Expected> WatchTableNow() {
    std::vector<Expected> found;
    for (int i = 0; i < glb_WatchTable.count; ++i) {
        const WatchEntry& e = glb_WatchTable.entries[i];
        found.push_back({e.program, e.port, e.title, e.protocol});
    }
    return found;
}

bool operator==(const Expected& a, const Expected& b) {
    return a.program == b.program && a.port == b.port && a.title == b.title &&
           a.protocol == b.protocol;
}

std::ostream& operator<<(std::ostream& out, const Expected& e) {
    return out << "{" << e.program << ", " << e.port << ", " << e.title << ", " << e.protocol
               << "}";
}

class CheckDefTest : public DefsTest {};

TEST_F(CheckDefTest, NoDefinitionFile) {
    AddWatchEntry("old", "1", "old", "TCP");
    EXPECT_EQ(-1, CheckDef());
    EXPECT_EQ(0, glb_WatchTable.count);
    EXPECT_EQ(scratch_.PathOf("sluice.def"), glb_Environment.GetEnum(kDefinitionFileEntry));
}

// One line per case: the record, the server files present, and the slot it
// fills ("" port: the record is skipped).
TEST_F(CheckDefTest, RecordsByKind) {
    ScopedEnv wine("WINEPREFIX", scratch_.PathOf("wine").c_str());
    scratch_.Write("wine/user.reg",
                   "WINE REGISTRY Version 2\n"
                   "[Software\\\\Vendor\\\\Game] 1700000000\n"
                   "\"PortText\"=\"27015\"\n");
    WriteServerFile("javasrv", "");
    WriteServerFile("server.properties", "#Minecraft server properties\nserver-port=25565\n");
    WriteServerFile("sect", "");
    WriteServerFile("sect.ini", "top=1\n[Net]\nPort = 7777\n[Other]\nPort=1\n");
    WriteServerFile("xmlsrv", "");
    WriteServerFile("conf.xml",
                    "<?xml version=\"1.0\"?>\n<ServerSettings>\n"
                    "  <property name=\"ServerPort\" value=\"26900\"/>\n"
                    "  <Http><Port> 8096 </Port></Http>\n</ServerSettings>\n");
    WriteServerFile("fixsrv", "");
    WriteServerFile("regsrv", "");
    WriteServerFile("empty.ini", "[Net]\nPort=\n");
    struct Case {
        const char* record;
        Expected slot;
    } cases[] = {
        {"javasrv\tserver.properties\tjava\t//ini//server-port\tini\tTCP\tJava",
         {"javasrv", "25565", "java", "TCP"}},
        {"sect\tsect.ini\tsect\t//ini/net/port\tINI\tUDP", {"sect", "7777", "sect", "UDP"}},
        {"xmlsrv\tconf.xml\t7d\t//property[@name='ServerPort']/@value\txml\tUDP",
         {"xmlsrv", "26900", "7d", "UDP"}},
        {"xmlsrv\tconf.xml\tweb\t/ServerSettings/Http/Port\tXml\tTCP",
         {"xmlsrv", "8096", "web", "TCP"}},
        {"fixsrv\t\tfix\t2456\tFix\tUDP\tFixed", {"fixsrv", "2456", "fix", "UDP"}},
        {"fixsrv\tmissing.cfg\tfix\t2457\tfix\tUDP", {"fixsrv", "2457", "fix", "UDP"}},
        {"regsrv\t\treg\tHKEY_CURRENT_USER\\Software\\Vendor\\Game\\PortText\treg\tTCP",
         {"regsrv", "27015", "reg", "TCP"}},
        // Skipped: no backslash after the root, a missing value, a missing
        // program or configuration, an unknown kind, an empty port, too few
        // fields, a comment.
        {"regsrv\t\treg\tHKEY_CURRENT_USER\treg\tTCP", {}},
        {"regsrv\t\treg\tHKEY_CURRENT_USER\\Software\\Vendor\\Game\\None\treg\tTCP", {}},
        {"nosuchsrv\t\tx\t1000\tfix\tTCP", {}},
        {"sect\tnosuch.ini\tx\t//ini/Net/Port\tini\tTCP", {}},
        {"xmlsrv\tnosuch.xml\tx\t//Port\txml\tTCP", {}},
        {"fixsrv\t\tx\t1000\tjson\tTCP", {}},
        {"sect\tempty.ini\tx\t//ini/Net/Port\tini\tTCP", {}},
        {"xmlsrv\tconf.xml\tx\t//NoSuchNode\txml\tTCP", {}},
        {"xmlsrv\tconf.xml\tx\t//[bad\txml\tTCP", {}},
        {"fixsrv\t\tx\t1000\tfix", {}},
        {"#fixsrv\t\tx\t1000\tfix\tTCP", {}},
    };
    for (const Case& c : cases) {
        WriteDefinitions(std::string(c.record) + "\r\n");
        ASSERT_EQ(0, CheckDef()) << c.record;
        std::vector<Expected> expected;
        if (!c.slot.port.empty()) expected.push_back(c.slot);
        EXPECT_EQ(expected, WatchTableNow()) << c.record;
    }
}

TEST_F(CheckDefTest, MacroPathsAndAbsolutePaths) {
    scratch_.Write("home/.config/srv/srv.ini", "[Net]\nPort=3000\n");
    scratch_.Write("tools/srv", "");
    WriteDefinitions(
        "$ARGV0$/tools/srv\t$HOME$/.config/srv/srv.ini\tsrv\t//ini/Net/Port\tini\tTCP\n" +
        scratch_.PathOf("tools/srv") + "\t\tsrv\t4000\tfix\tUDP\n");
    ASSERT_EQ(0, CheckDef());
    std::vector<Expected> expected = {{scratch_.PathOf("tools/srv"), "3000", "srv", "TCP"},
                                      {scratch_.PathOf("tools/srv"), "4000", "srv", "UDP"}};
    EXPECT_EQ(expected, WatchTableNow());
}

// Eleven matches fill the ten slots in file order; the table is emptied
// first, so a second lookup does not add to it.
TEST_F(CheckDefTest, TenSlotsInFileOrder) {
    WriteServerFile("srv", "");
    std::string text = "# a comment line\n";
    for (int port = 1; port <= 11; ++port) {
        text += "srv\t\tsrv\t" + std::to_string(port) + "\tfix\tTCP\n";
    }
    WriteDefinitions(text);
    for (int run = 0; run < 2; ++run) {
        ASSERT_EQ(0, CheckDef());
        ASSERT_EQ(kWatchSlots, glb_WatchTable.count);
        for (int i = 0; i < kWatchSlots; ++i) {
            EXPECT_EQ(std::to_string(i + 1), glb_WatchTable.entries[i].port);
        }
    }
}

// The slots hold at most 99 bytes of port and 199 of title; CR LF, CR and LF
// all end a record.
TEST_F(CheckDefTest, LongFieldsAreCutAndLineEndsVary) {
    WriteServerFile("srv", "");
    std::string longTitle(300, 't');
    WriteDefinitions("srv\t\t" + longTitle + "\t" + std::string(150, '9') + "\tfix\tTCP\r" +
                     "srv\t\tb\t2\tfix\tUDP\n");
    ASSERT_EQ(0, CheckDef());
    ASSERT_EQ(2, glb_WatchTable.count);
    EXPECT_EQ(std::string(199, 't'), glb_WatchTable.entries[0].title);
    EXPECT_EQ(std::string(99, '9'), glb_WatchTable.entries[0].port);
    EXPECT_EQ("2", glb_WatchTable.entries[1].port);
}

}  // namespace
