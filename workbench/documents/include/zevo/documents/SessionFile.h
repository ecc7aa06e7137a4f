#pragma once
// "Session.dat": two counters per declaration kind and period, counted up by
// saving and printing. Layout: 4-byte signed little-endian length N, then N bytes
// of LZW-compressed session text "ID:key:first:second:ID:key:first:second...".
#include <cstdint>
#include <string>

namespace zevo::xml {
class StagedFiles;
}

namespace zevo::documents {

// The two counters of the open declaration, 0 … 999.
struct SessionCounters {
    int16_t first = 0;
    int16_t second = 0;
    // Both counters up by one; 999 (or anything out of range) wraps to 0.
    void increment();
    static int16_t next(int16_t value);
};

// The counters of this thread's session (the program's, on the UI thread).
SessionCounters& sessionCounters();

// Reads the record of clsVariables::NodeMenu's "ID" and the period key into the
// counters; without a record, sets them to 0 and appends "ID:key:0:0" to the file.
// A missing or empty file is an empty session. On any error: logged, the critical
// message shown, false returned and the counters unchanged.
bool LoadSessionValueFromFile(const std::string& path);

// Writes the counters into the record of the open declaration (the first counter
// when `first`, the second when `second`) and rewrites the file, or, given
// `staged`, adds the new file to that set to be committed with the data files.
// Errors are logged and give false; no message is shown.
bool SaveSessionValueToFile(const std::string& path, bool second, bool first,
                            xml::StagedFiles* staged = nullptr);

// The decompressed session text of a session file ("" for a missing or empty
// file). RuntimeError for an unreadable or damaged file.
std::string readSessionText(const std::string& path);
// Compresses `text` and replaces the file atomically.
void writeSessionText(const std::string& path, const std::string& text);
// The bytes of a session file holding `text`.
std::string sessionFileBytes(const std::string& text);

}  // namespace zevo::documents
