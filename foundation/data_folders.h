// Where the program finds its read-only files (pictures, the definition file,
// the shipped test-server list) and where it may write (settings, downloads).
//
// A build or an unpacked folder keeps everything beside the program; it
// writes there when it may, else in <config folder>/sluice/. An installed
// program (<prefix>/bin/sluice with <prefix>/share/sluice/ beside bin) reads
// its data from <prefix>/share/sluice/ and writes only in
// <config folder>/sluice/, even as root, never into the prefix. The folders
// are found from the program's real path, never from a path built in, so a
// tree installed under DESTDIR works as well.
#pragma once

#include <string>

// Environment entries, filled with the rest of the environment table: the
// read-only data folder and the writable folder, each ending in "/".
constexpr int kDataFolderEntry = 900029;
constexpr int kWritableFolderEntry = 900030;

struct ProgramFolders {
    std::string data;      // read-only data, ending in "/"
    std::string writable;  // settings and downloads, ending in "/"
    bool installed = false;
};

// The folders of a program in programFolder (ending in "/", CP932).
ProgramFolders FindProgramFolders(const std::string& programFolder);

// True when the running program lies in an installed tree.
bool RunsInstalled();

// The read-only file or folder name (a relative path such as "bmp" or
// "sluice.def"): beside the program when it is there, else in the data folder
// when it is there, else beside the program (where a caller's "missing"
// message will point).
std::string DataFile(const std::string& name);

// Where the program writes the file name: the writable folder + name. The
// folder may not exist yet.
std::string WritableFile(const std::string& name);
