// The list of supported software that the setup wizard shows: one item per
// record of the definition file, between a fixed header and footer.
#pragma once

#include <string>

// Owned by definition_list.cpp: the text BuildDefinitionList made last.
extern std::string glb_DefinitionList;

// Builds glb_DefinitionList from the definition file: items "●name[file] "
// (a record without display name shows its program file and "-"), each item
// once, with a line break once sixty items' worth of bytes are on a line.
// -1 (and an empty text) when the definition file does not exist, else 0.
int BuildDefinitionList();

void ResetDefinitionListForTests();
