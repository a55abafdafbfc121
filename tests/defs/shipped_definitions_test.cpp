// The shipped definition file: each server it knows, installed in a folder of
// its own with a sample configuration in that server's own format, is found
// with its port, protocol and the title that shows it runs.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "defs/definition_file.h"
#include "defs/definition_list.h"
#include "tests/defs/defs_test_base.h"

namespace {

struct File {
    std::string path;  // below the scratch folder; "home/..." is the home folder
    std::string text;
};

struct Found {
    std::string port, protocol, title;
};

bool operator==(const Found& a, const Found& b) {
    return a.port == b.port && a.protocol == b.protocol && a.title == b.title;
}

std::ostream& operator<<(std::ostream& out, const Found& f) {
    return out << f.port << "/" << f.protocol << " " << f.title;
}

struct Server {
    const char* name;
    std::string folder;   // the server's folder, below the scratch folder
    std::string program;  // in that folder
    std::vector<File> files;
    std::vector<Found> expected;
};

const char kServerProperties[] =
    "#Minecraft server properties\n"
    "#Mon Dec 07 10:00:00 UTC 2026\n"
    "enable-jmx-monitoring=false\n"
    "level-name=world\n"
    "server-ip=\n"
    "server-port=25570\n"
    "max-players=20\n";

const char kBedrockProperties[] =
    "server-name=Dedicated Server\n"
    "# Used as the server name\n"
    "gamemode=survival\n"
    "server-port=19140\n"
    "# Which IPv4 port the server should listen to.\n"
    "server-portv6=19141\n";

// The shape of the Debian package's /etc/mumble-server.ini.
const char kMumbleIni[] =
    "; Murmur configuration file.\n"
    "database=/var/lib/mumble-server/mumble-server.sqlite\n"
    "; Port to bind TCP and UDP sockets to.\n"
    "port=64740\n"
    "users=100\n"
    "[Ice]\n"
    "Ice.Warn.UnknownProperties=1\n";

// The shape of the Debian package's /etc/minetest/minetest.conf.
const char kMinetestConf[] =
    "#    Network port to listen (UDP).\n"
    "#    This value will be overridden when starting from the main menu.\n"
    "port = 30005\n"
    "server_name = Home\n";

const char kDstServerIni[] =
    "[NETWORK]\n"
    "server_port = 10999\n"
    "\n"
    "[SHARD]\n"
    "is_master = true\n"
    "\n"
    "[STEAM]\n"
    "master_server_port = 27018\n"
    "authentication_port = 8768\n";

const char kOpenTtdCfg[] =
    "[misc]\n"
    "display_opt = SHOW_TOWN_NAMES|SHOW_STATION_NAMES\n"
    "[network]\n"
    "server_port = 3980\n"
    "server_admin_port = 3977\n"
    "[gui]\n"
    "server_port = 1\n";

const char kSevenDaysXml[] =
    "<?xml version=\"1.0\"?>\n"
    "<ServerSettings>\n"
    "\t<!-- GENERAL SERVER SETTINGS -->\n"
    "\t<property name=\"ServerName\" value=\"My Game Host\"/>\n"
    "\t<property name=\"ServerPort\" value=\"26910\"/>\n"
    "\t<property name=\"ServerVisibility\" value=\"2\"/>\n"
    "</ServerSettings>\n";

const char kJellyfinXml[] =
    "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
    "<NetworkConfiguration xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" "
    "xmlns:xsd=\"http://www.w3.org/2001/XMLSchema\">\n"
    "  <BaseUrl />\n"
    "  <EnableHttps>false</EnableHttps>\n"
    "  <InternalHttpPort>8097</InternalHttpPort>\n"
    "  <InternalHttpsPort>8920</InternalHttpsPort>\n"
    "</NetworkConfiguration>\n";

const char kJellyfinOldXml[] =
    "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
    "<NetworkConfiguration>\n"
    "  <HttpServerPortNumber>8098</HttpServerPortNumber>\n"
    "  <PublicPort>8096</PublicPort>\n"
    "</NetworkConfiguration>\n";

const char kOpenTtd[] = ".config/openttd/openttd.cfg";
const char kDst[] = ".klei/DoNotStarveTogether/Cluster_1/Master/server.ini";

std::vector<Server> Servers() {
    return {
        {"Bedrock",
         "bedrock",
         "bedrock_server",
         {{"bedrock/server.properties", kBedrockProperties}},
         {{"19140", "UDP", "bedrock_server"}}},
        {"Forge",
         "forge",
         "run.sh",
         {{"forge/server.properties", kServerProperties}},
         {{"25570", "TCP", "unix_args.txt"}}},
        {"Mumble",
         "murmur",
         "murmur.x86",
         {{"murmur/murmur.ini", kMumbleIni}},
         {{"64740", "TCP", "murmur.x86"}, {"64740", "UDP", "murmur.x86"}}},
        {"Minetest",
         "minetest/bin",
         "minetestserver",
         {{"minetest/minetest.conf", kMinetestConf}},
         {{"30005", "UDP", "minetestserver"}}},
        {"DontStarve",
         "dst/bin",
         "dontstarve_dedicated_server_nullrenderer",
         {{std::string("home/") + kDst, kDstServerIni}},
         {{"10999", "UDP", "dontstarve_dedicated_server"}}},
        {"DontStarve64",
         "dst/bin64",
         "dontstarve_dedicated_server_nullrenderer_x64",
         {{std::string("home/") + kDst, kDstServerIni}},
         {{"10999", "UDP", "dontstarve_dedicated_server"}}},
        {"OpenTTD",
         "openttd",
         "openttd",
         {{std::string("home/") + kOpenTtd, kOpenTtdCfg}},
         {{"3980", "TCP", "openttd"}, {"3980", "UDP", "openttd"}}},
        {"SevenDays",
         "7dtd",
         "startserver.sh",
         {{"7dtd/serverconfig.xml", kSevenDaysXml}},
         {{"26910", "TCP", "7DaysToDieServer"}, {"26910", "UDP", "7DaysToDieServer"}}},
        {"Jellyfin",
         "jellyfin",
         "jellyfin",
         {{"home/.config/jellyfin/network.xml", kJellyfinXml}},
         {{"8097", "TCP", "jellyfin"}}},
        {"JellyfinBefore10.9",
         "jellyfin",
         "jellyfin",
         {{"home/.config/jellyfin/network.xml", kJellyfinOldXml}},
         {{"8098", "TCP", "jellyfin"}}},
        {"Valheim",
         "valheim",
         "start_server.sh",
         {},
         {{"2456", "UDP", "valheim_server"}, {"2457", "UDP", "valheim_server"}}},
        {"Terraria", "terraria", "TerrariaServer", {}, {{"7777", "TCP", "TerrariaServer"}}},
    };
}

class ShippedDefinitionsTest : public DefsTest {
  protected:
    void SetUp() override {
        DefsTest::SetUp();
        std::filesystem::copy_file(SHIPPED_DEFINITIONS, scratch_.PathOf("sluice.def"));
    }
};

TEST_F(ShippedDefinitionsTest, EachServerIsFoundWithItsPorts) {
    for (const Server& server : Servers()) {
        std::filesystem::remove_all(scratch_.PathOf("home"));
        for (const File& file : server.files) scratch_.Write(file.path, file.text);
        scratch_.Write(server.folder + "/" + server.program, "#!/bin/sh\n");
        ASSERT_EQ(0, chdir(scratch_.PathOf(server.folder).c_str()));
        ASSERT_EQ(0, CheckDef());
        std::vector<Found> found;
        for (int i = 0; i < glb_WatchTable.count; ++i) {
            const WatchEntry& entry = glb_WatchTable.entries[i];
            EXPECT_EQ(server.program, entry.program) << server.name;
            found.push_back({entry.port, entry.protocol, entry.title});
        }
        EXPECT_EQ(server.expected, found) << server.name;
    }
}

// Without its configuration file a server that keeps its port there is not
// found (the wizard then says the server has never run).
TEST_F(ShippedDefinitionsTest, ServerWithoutConfigurationIsNotFound) {
    for (const Server& server : Servers()) {
        if (server.files.empty()) continue;
        std::filesystem::remove_all(scratch_.PathOf("home"));
        std::string folder = "bare-" + server.folder;
        scratch_.Write(folder + "/" + server.program, "#!/bin/sh\n");
        ASSERT_EQ(0, chdir(scratch_.PathOf(folder).c_str()));
        ASSERT_EQ(0, CheckDef());
        EXPECT_EQ(0, glb_WatchTable.count) << server.name;
    }
}

TEST_F(ShippedDefinitionsTest, ListNamesEachServerOnce) {
    ASSERT_EQ(0, BuildDefinitionList());
    for (const char* item : {"●Minecraft Bedrock[bedrock_server] ", "●Mumble Server[murmur.x86] ",
                             "●Terraria[TerrariaServer] ", "●7 Days to Die[startserver.sh] ",
                             "●Valheim[start_server.sh] "}) {
        size_t first = glb_DefinitionList.find(item);
        EXPECT_NE(std::string::npos, first) << item;
        EXPECT_EQ(std::string::npos, glb_DefinitionList.find(item, first + 1)) << item;
    }
}

}  // namespace
