// The definition file: one record per server program the program knows,
// naming the program file, the file that holds its port, the window (or
// process) that shows it runs, where the port is kept and its protocol. The
// file lies beside the program, named after it with ".def".
#pragma once

#include <functional>
#include <string>

#include "foundation/strlist.h"

// Environment entry of the definition file's path.
constexpr int kDefinitionFileEntry = 100002;

// Record fields.
enum DefinitionField {
    kDefProgram = 0,
    kDefConfig = 1,
    kDefTitle = 2,
    kDefLocator = 3,
    kDefKind = 4,
    kDefProtocol = 5,
    kDefName = 6,
};
constexpr int kDefinitionMinFields = 6;

// Sets the environment entry to the definition file, the program's path
// without extension plus ".def" (or that name in the data folder of an
// installed program), and returns that path.
std::string LocateDefinitionFile();

// Calls visit with the fields of each record of file: comment lines ("#"
// first) and lines of fewer than six fields are left out. A line is read up
// to 999 bytes. False when the file cannot be read.
bool ForEachDefinition(const std::string& file, const std::function<void(const StrList&)>& visit);

// Fills the watch table with the records whose program exists here (relative
// paths count from the current folder) and whose port can be read from the
// place the record names; at most ten, in file order. -1 when the definition
// file does not exist, else 0.
int CheckDef();

// The port text of one record by its kind ("fix", "ini", "xml", "reg", any
// letter case) once the configuration file's macros are expanded; "" when
// nothing can be read.
std::string ReadDefinitionPort(const StrList& fields, const std::string& config);
