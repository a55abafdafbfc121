#include "foundation/data_folders.h"

#include "foundation/environment.h"
#include "platform/files.h"
#include "platform/folders.h"

namespace {

constexpr int kProgramFolderEntry = 900006;

const char kBinFolder[] = "/bin/";
const char kShareFolder[] = "/share/sluice/";

bool EndsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() &&
           text.compare(text.size() - end.size(), end.size(), end) == 0;
}

std::string ConfigSubfolder() {
    return platform::ConfigFolder() + "/sluice/";
}

}  // namespace

ProgramFolders FindProgramFolders(const std::string& programFolder) {
    ProgramFolders folders;
    if (EndsWith(programFolder, kBinFolder)) {
        std::string prefix =
            programFolder.substr(0, programFolder.size() - (sizeof kBinFolder - 1));
        std::string share = prefix + kShareFolder;
        if (platform::PathExists(share)) {
            folders.data = share;
            folders.writable = ConfigSubfolder();
            folders.installed = true;
            return folders;
        }
    }
    folders.data = programFolder;
    folders.writable =
        platform::IsWritableFolder(programFolder) ? programFolder : ConfigSubfolder();
    return folders;
}

bool RunsInstalled() {
    const KeyedTable& env = SharedEnvironment();
    return std::string(env.GetEnum(kDataFolderEntry)) != env.GetEnum(kProgramFolderEntry);
}

std::string DataFile(const std::string& name) {
    const KeyedTable& env = SharedEnvironment();
    std::string beside = env.GetEnum(kProgramFolderEntry) + name;
    if (platform::PathExists(beside)) return beside;
    std::string shared = env.GetEnum(kDataFolderEntry) + name;
    return platform::PathExists(shared) ? shared : beside;
}

std::string WritableFile(const std::string& name) {
    return SharedEnvironment().GetEnum(kWritableFolderEntry) + name;
}
