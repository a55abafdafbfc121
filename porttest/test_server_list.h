// The list of external test servers for the port-open test, read from
// "CgiServer.dat" beside the program (plain or scrambled), kept in random
// order, and refreshed at most once a week from the home page. Records are
// "<>"-separated fields: "TCP…" or "UDP…" with request URL template, log
// message and expected reply text; "MES…" with a closing message.
#pragma once

#include <string>
#include <vector>

// The list file: "CgiServer.dat" in the program folder; when that folder is
// not writable, in the settings file's folder (a copy beside the program is
// still read while that one does not exist yet).
std::string TestServerListPath();

// Reads the list file into the list, scrambling a plain file in place first;
// falls back to the built-in records; shuffles; starts the rotation over.
void LoadTestServerList();

// 1 a new list was downloaded and loaded, 0 the download brought none, -1 no
// update is due (the last attempt was less than a week ago).
int UpdateTestServerList();

// The next record for the protocol ("TCP" or "UDP"; three characters are
// compared): 0, or -1 with all three outputs empty.
int ChooseTestServer(const std::string& protocol, const std::string& port, std::string* url,
                     std::string* message, std::string* expected);

// Field 1 of the first record whose kind begins with kind, "<br>" made CR LF;
// "" when none.
std::string FindListMessage(const std::string& kind);

// The number of records when the list was last loaded.
int TestServerRecordCount();

// Tests aim the download and the built-in host elsewhere ("" = none) and
// fix the clock for the weekly check (0 = the real one).
void SetTestServerListSourcesForTests(const std::string& downloadUrl,
                                      const std::string& builtInHost);
void SetTestServerListClockForTests(long long utcSeconds);
// Replaces the list with these records, in this order, at position 0.
void SetTestServerRecordsForTests(const std::vector<std::string>& records);
void ResetTestServerListForTests();
