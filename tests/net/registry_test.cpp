#include "net/registry.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "tests/net/env_guard.h"

namespace {

// As Wine writes it: escaped names, stamps after the sections, "#time" lines.
const char kUserReg[] =
    "WINE REGISTRY Version 2\n"
    ";; All keys relative to \\\\User\\\\S-1-5-21-0-0-0-1000\n"
    "\n"
    "#arch=win32\n"
    "\n"
    "[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Internet Settings] 1700000000\n"
    "#time=1d9f0a1b2c3d4e5\n"
    "\"ProxyEnable\"=dword:00000001\n"
    "\"ProxyServer\"=\"http=proxy:3128;https=proxy:3129\"\n"
    "\n"
    "[Software\\\\Vendor\\\\Game] 1700000000\n"
    "@=\"default text\"\n"
    "\"Port\"=dword:00001f90\n"
    "\"PortText\"=\"27015\"\n"
    "\"Name\"=\"\\x65e5\\x672c\"\n"
    "\"Quoted\"=\"a\\\\b\\\"c\"\n"
    "\"Blob\"=hex:41,42,00,43\n"
    "\"Long\"=hex:01,02,\\\n"
    "  03,04\n"
    "\"Expand\"=str(2):\"%HOME%\\\\x\"\n"
    "\"Wide\"=hex(2):41,00,42,00,00,00\n"
    "\n"
    "[Software\\\\Vendor\\\\Game\\\\Sub] 1700000000\n"
    "\"Inner\"=\"sub value\"\n";

const char kSystemReg[] =
    "WINE REGISTRY Version 2\n"
    "[Software\\\\Vendor\\\\Server] 1700000000\n"
    "\"Port\"=\"8000\"\n";

class ReadRegistryValueTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char folder[] = "/tmp/sluice-wineXXXXXX";
        ASSERT_NE(mkdtemp(folder), nullptr);
        prefix_ = folder;
        std::ofstream(prefix_ + "/user.reg") << kUserReg;
        std::ofstream(prefix_ + "/system.reg") << kSystemReg;
        env_.Set("WINEPREFIX", prefix_.c_str());
    }
    void TearDown() override {
        std::remove((prefix_ + "/user.reg").c_str());
        std::remove((prefix_ + "/system.reg").c_str());
        std::remove(prefix_.c_str());
    }

    EnvGuard env_;
    std::string prefix_;
};

TEST_F(ReadRegistryValueTest, ReadsTextAndNumberOfEachValueForm) {
    struct Case {
        const char* root;
        const char* path;
        std::string text;
        int number;
    };
    const Case cases[] = {
        {"HKEY_CURRENT_USER", "Software\\Vendor\\Game\\Port", "\x90\x1f", 8080},
        {"HKEY_CURRENT_USER", "Software\\Vendor\\Game\\PortText", "27015", 0x31303732},
        {"HKEY_CURRENT_USER", "software\\VENDOR\\game\\porttext", "27015", 0x31303732},
        {"HKEY_CURRENT_USER", "Software\\Vendor\\Game\\Name", "日本", 0x7B96FA93},
        {"HKEY_CURRENT_USER", "Software\\Vendor\\Game\\Quoted", "a\\b\"c", 0x22625C61},
        {"HKEY_CURRENT_USER", "Software\\Vendor\\Game\\Blob", "AB", 0x43004241},
        {"HKEY_CURRENT_USER", "Software\\Vendor\\Game\\Long", "\x01\x02\x03\x04", 0x04030201},
        {"HKEY_CURRENT_USER", "Software\\Vendor\\Game\\Expand", "%HOME%\\x", 0x4D4F4825},
        {"HKEY_CURRENT_USER", "Software\\Vendor\\Game\\Wide", "AB", 0x4241},
        {"HKEY_CURRENT_USER", "Software\\Vendor\\Game\\", "default text", 0x61666564},
        {"HKEY_CURRENT_USER", "\\Software\\Vendor\\Game\\Sub\\Inner", "sub value", 0x20627573},
        {"HKEY_CURRENT_USER",
         "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\ProxyEnable", "\x01", 1},
        {"HKEY_LOCAL_MACHINE", "Software\\Vendor\\Server\\Port", "8000", 0x30303038},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        std::string text = "junk";
        int number = -5;
        EXPECT_EQ(ReadRegistryValue(c.root, c.path, &text, &number), 0u);
        EXPECT_EQ(text, c.text);
        EXPECT_EQ(number, c.number);
    }
}

TEST_F(ReadRegistryValueTest, MissingRootsKeysAndValuesFailWithClearedOutputs) {
    const std::pair<const char*, const char*> cases[] = {
        {"HKEY_CURRENT_USER", "Software\\Vendor\\Game\\Missing"},
        {"HKEY_CURRENT_USER", "Software\\Vendor\\Port"},
        {"HKEY_CURRENT_USER", "Software\\Vendor\\Game\\Inner"},
        {"HKEY_CURRENT_USER", "Software\\Vendor\\Game\\Sub\\Port"},
        {"HKEY_CURRENT_USER", "Port"},
        {"HKEY_CURRENT_USER", ""},
        {"HKEY_LOCAL_MACHINE", "Software\\Vendor\\Game\\Port"},
        {"hkey_current_user", "Software\\Vendor\\Game\\Port"},
        {"HKEY_CLASSES_ROOT", "Software\\Vendor\\Game\\Port"},
        {"", "Software\\Vendor\\Game\\Port"},
    };
    for (const auto& [root, path] : cases) {
        SCOPED_TRACE(testing::Message() << root << " " << path);
        std::string text = "junk";
        int number = -5;
        EXPECT_EQ(ReadRegistryValue(root, path, &text, &number), kRegistryFailure);
        EXPECT_EQ(text, "");
        EXPECT_EQ(number, 0);
    }
    EXPECT_EQ(ReadRegistryValue(nullptr, nullptr, nullptr, nullptr), kRegistryFailure);
}

TEST_F(ReadRegistryValueTest, WithoutAPrefixEveryReadFails) {
    env_.Set("WINEPREFIX", (prefix_ + "/missing").c_str());
    EXPECT_EQ(
        ReadRegistryValue("HKEY_CURRENT_USER", "Software\\Vendor\\Game\\Port", nullptr, nullptr),
        kRegistryFailure);
    env_.Set("WINEPREFIX", nullptr);
    env_.Set("HOME", prefix_.c_str());
    EXPECT_EQ(
        ReadRegistryValue("HKEY_CURRENT_USER", "Software\\Vendor\\Game\\Port", nullptr, nullptr),
        kRegistryFailure);
}

}  // namespace
