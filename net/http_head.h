// The head of an HTTP answer: finding its end and reading it into a table.
#pragma once

#include <cstddef>

#include "foundation/keyed_table.h"

// Length of the head including the blank line that ends it (CR LF CR LF or
// LF LF, whichever comes first), or 0 while the head is incomplete. searched
// is how many of the bytes an earlier call already found no end in, so that a
// head arriving piece by piece is not searched again from its start.
size_t FindHeadEnd(const char* data, size_t length, size_t searched = 0);

// Reads the head's lines (ending in CR LF, LF or CR; at most 3000 bytes of each
// are taken) into table: every "Name: value" line, a later one replacing an
// earlier value, and the status line's code under "Return-Code".
void ParseHttpHead(const char* head, size_t length, KeyedTable& table);
