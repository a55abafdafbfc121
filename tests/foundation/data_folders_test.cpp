// Where the program reads its data and writes its files: a build or unpacked
// folder keeps everything beside the program, an installed tree reads from
// <prefix>/share/sluice/ and writes only in the user's config folder.
#include "foundation/data_folders.h"

#include <gtest/gtest.h>

#include <string>

#include "foundation/environment.h"
#include "scratch_folder.h"

namespace {

class DataFoldersTest : public ::testing::Test {
  protected:
    DataFoldersTest() : config_("XDG_CONFIG_HOME", folder_.PathOf("config")) {}
    void TearDown() override { ResetEnvironmentForTests(); }

    // Builds the shared environment for a program at path (below the scratch folder).
    void StartProgram(const std::string& path) {
        folder_.Write(path, "");
        BuildEnvironment(folder_.PathOf(path).c_str(), glb_Environment);
    }

    ScratchFolder folder_;
    ScopedEnv config_;
};

TEST_F(DataFoldersTest, InstalledTreeReadsShareAndWritesConfigOnly) {
    folder_.Write("usr/share/sluice/bmp/open.bmp", "BM");
    folder_.Write("usr/share/sluice/sluice.def", "");
    StartProgram("usr/bin/sluice");
    const std::string config = folder_.PathOf("config/sluice/");

    ProgramFolders folders = FindProgramFolders(folder_.PathOf("usr/bin/"));
    EXPECT_TRUE(folders.installed);
    EXPECT_TRUE(RunsInstalled());
    EXPECT_EQ(folder_.PathOf("usr/share/sluice/"), folders.data);
    EXPECT_EQ(config, folders.writable) << "even though the prefix is writable";

    EXPECT_EQ(folder_.PathOf("usr/share/sluice/"), glb_Environment.GetEnum(kDataFolderEntry));
    EXPECT_EQ(config, glb_Environment.GetEnum(kWritableFolderEntry));
    EXPECT_EQ(config + "sluice.ini", glb_Environment.GetEnum(900003));
    EXPECT_EQ(folder_.PathOf("usr/share/sluice/bmp"), DataFile("bmp"));
    EXPECT_EQ(folder_.PathOf("usr/share/sluice/sluice.def"), DataFile("sluice.def"));
    EXPECT_EQ(config + "CgiServer.dat", WritableFile("CgiServer.dat"));

    // A file put beside the program is found first.
    folder_.Write("usr/bin/sluice.def", "");
    EXPECT_EQ(folder_.PathOf("usr/bin/sluice.def"), DataFile("sluice.def"));
    // A file in neither place is named beside the program.
    EXPECT_EQ(folder_.PathOf("usr/bin/CgiServer.dat"), DataFile("CgiServer.dat"));
}

TEST_F(DataFoldersTest, BuildAndUnpackedFoldersKeepEverythingBeside) {
    struct Case {
        const char* program;
        const char* folder;
    };
    const Case cases[] = {
        {"build/app/windows/sluice", "build/app/windows/"},
        // A bin folder without share/sluice beside it is no installed tree.
        {"opt/bin/sluice", "opt/bin/"},
        {"Sluice/sluice", "Sluice/"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.program);
        ResetEnvironmentForTests();
        StartProgram(c.program);
        folder_.Write(std::string(c.folder) + "bmp/open.bmp", "BM");
        const std::string beside = folder_.PathOf(c.folder);
        EXPECT_EQ(beside, glb_Environment.GetEnum(kDataFolderEntry));
        EXPECT_EQ(beside, glb_Environment.GetEnum(kWritableFolderEntry));
        EXPECT_EQ(beside + "sluice.ini", glb_Environment.GetEnum(900003));
        EXPECT_EQ(beside + "bmp", DataFile("bmp"));
        EXPECT_FALSE(RunsInstalled());
    }
}

}  // namespace
