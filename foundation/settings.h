// The settings table and its INI file.
#pragma once

#include <cstdint>

#include "foundation/keyed_table.h"

// All settings, keyed "//ini/<section>/<key>". Owned by settings.cpp.
extern KeyedTable glb_Settings;

enum IniFlags { kIniRaw = 2, kIniForce = 4 };

// Copies value, expands its path macros and stores it in table.
void SetDefault(const char* key, const char* value, KeyedTable& table);

// Reads an INI file (CP932, UTF-16LE or UTF-8 with byte-order mark) into
// table. Renews the load stamp. Returns 0.
int LoadIni(const char* file, KeyedTable& table, int flags);
// Writes the "//ini/" entries of table, unless nothing was ever loaded or the
// last load was less than 3000 ms ago (without kIniForce). The file's folder is
// created when missing; the file is replaced whole or, when it cannot be
// written, left as it was. Returns 0.
int SaveIni(const char* file, const KeyedTable& table, int flags);

// Empties the settings table and clears the load stamp.
void ResetSettingsForTests();
