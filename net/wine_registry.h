// The text format of Wine's registry files: sections "[Key\\Path] stamp"
// followed by value lines such as "Name"="text", "Name"=dword:0000000a,
// "Name"=hex:01,02 or @="default value".
#pragma once

#include <string>

// Finds value (name "" for the default value) of key in the file's text;
// names are compared without regard to case. data receives the value's bytes
// as a Windows program reading it gets them: a text as CP932 with its
// terminating zero byte, a number as four little-endian bytes, binary data as
// written. False when the key or value is not there.
bool FindWineRegistryValue(const std::string& fileText, const std::string& key,
                           const std::string& value, std::string* data);
