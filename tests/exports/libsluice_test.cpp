// Loads the built libsluice.so the way another program would: by file name and
// symbol name, with no header.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <string>

#include "platform/system.h"

namespace {

using SpecialFolderFunction = int (*)(char*, int);

class LibSluiceTest : public ::testing::Test {
protected:
    void SetUp() override { handle_ = dlopen(SLUICE_LIBRARY, RTLD_NOW | RTLD_LOCAL); }
    void TearDown() override {
        if (handle_) dlclose(handle_);
    }
    void* handle_ = nullptr;
};

TEST_F(LibSluiceTest, ExportsTheSpecialFolderLookupByItsName) {
    ASSERT_NE(nullptr, handle_) << dlerror();
    auto lookup = reinterpret_cast<SpecialFolderFunction>(
        dlsym(handle_, "m_GetSpecialFolderLocation"));
    ASSERT_NE(nullptr, lookup);
    char buffer[1024] = "stale";
    EXPECT_EQ(1, lookup(buffer, 4101));
    EXPECT_EQ(platform::ComputerName(), buffer);
    EXPECT_EQ(1, lookup(buffer, 4096));
    EXPECT_STREQ("", buffer);
}

TEST_F(LibSluiceTest, KeepsEverythingElsePrivate) {
    ASSERT_NE(nullptr, handle_) << dlerror();
    EXPECT_EQ(nullptr, dlsym(handle_, "glb_Settings"));
    EXPECT_EQ(nullptr, dlsym(handle_, "_Z11SpecialPlacei"));
}

}  // namespace
