// The stored form of the test-server list: the plain text with a key stream
// added, then Base64. A plain list starts with "#"; a scrambled one never does.
#pragma once

#include <string>

// The scrambled form of plain.
std::string ScrambleList(const std::string& plain);
// The plain form of a scrambled text; false when it is no Base64 text.
// Line breaks inside the Base64 text are skipped.
bool UnscrambleList(const std::string& scrambled, std::string* plain);
