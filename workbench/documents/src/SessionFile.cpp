#include "zevo/documents/SessionFile.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>
#include <vector>

#include "NumericText.h"
#include "zevo/ErrorLog.h"
#include "zevo/RuntimeError.h"
#include "zevo/Xml.h"
#include "zevo/clsLZWCompress.h"
#include "zevo/clsMessageBox.h"
#include "zevo/clsVariables.h"
#include "zevo/documents/Attributes.h"
#include "zevo/documents/Period.h"

namespace zevo::documents {

namespace {

constexpr int kBadFileFormat = 321;

std::vector<std::string> splitFields(const std::string& text) {
    std::vector<std::string> fields;
    if (text.empty()) return fields;
    size_t start = 0;
    for (;;) {
        size_t colon = text.find(':', start);
        fields.push_back(text.substr(start, colon - start));
        if (colon == std::string::npos) break;
        start = colon + 1;
    }
    return fields;
}

std::string joinFields(const std::vector<std::string>& fields) {
    std::string out;
    for (size_t i = 0; i < fields.size(); ++i) {
        if (i) out += ':';
        out += fields[i];
    }
    return out;
}

// Index of the record's first field, or -1.
long findRecord(const std::vector<std::string>& fields, const std::string& id,
                const std::string& key) {
    for (size_t i = 0; i + 1 < fields.size(); i += 4) {
        if (fields[i] == id && fields[i + 1] == key) return static_cast<long>(i);
    }
    return -1;
}

const std::string& counterField(const std::vector<std::string>& fields, size_t index) {
    if (index >= fields.size())
        throw RuntimeError(err::kSubscriptOutOfRange, "Session record without its counters");
    return fields[index];
}

struct OpenDeclaration {
    std::string id;
    std::string key;
};

OpenDeclaration openDeclaration() {
    xml::Node menu = clsVariables().NodeMenu();
    if (menu.isNull()) throw RuntimeError(91, "Object variable not set (no menu entry)");
    return {GetAttributeValue(menu, "ID"), periodKey(menu)};
}

}  // namespace

int16_t SessionCounters::next(int16_t value) {
    return (value >= 999 || value < 0) ? int16_t{0} : static_cast<int16_t>(value + 1);
}

void SessionCounters::increment() {
    first = next(first);
    second = next(second);
}

SessionCounters& sessionCounters() {
    thread_local SessionCounters counters;
    return counters;
}

std::string readSessionText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        int e = errno;
        if (e == ENOENT) return {};   // a new data folder has no session yet
        throw RuntimeError(e == EACCES ? err::kPermissionDenied : 75,
                           std::string(std::strerror(e)) + ": " + path);
    }
    std::ostringstream buf;
    buf << in.rdbuf();
    if (in.bad()) throw RuntimeError(75, "Read error: " + path);
    const std::string bytes = buf.str();
    if (bytes.empty()) return {};
    if (bytes.size() < 4)
        throw RuntimeError(kBadFileFormat, "Damaged session file (no length): " + path);

    const auto* b = reinterpret_cast<const unsigned char*>(bytes.data());
    const int32_t n = static_cast<int32_t>(static_cast<uint32_t>(b[0]) |
                                           static_cast<uint32_t>(b[1]) << 8 |
                                           static_cast<uint32_t>(b[2]) << 16 |
                                           static_cast<uint32_t>(b[3]) << 24);
    // Checked against the real size before anything is taken from the file.
    if (n < 0 || static_cast<size_t>(n) > bytes.size() - 4)
        throw RuntimeError(kBadFileFormat, "Damaged session file (length " + std::to_string(n) +
                                               ", " + std::to_string(bytes.size()) +
                                               " bytes): " + path);
    if (n == 0) return {};
    return clsLZWCompress().DeCompress(bytes.substr(4, static_cast<size_t>(n)));
}

void writeSessionText(const std::string& path, const std::string& text) {
    const std::string packed = clsLZWCompress().Compress(text);
    const auto n = static_cast<uint32_t>(packed.size());
    std::string bytes;
    bytes.reserve(packed.size() + 4);
    for (int shift = 0; shift < 32; shift += 8) bytes.push_back(static_cast<char>((n >> shift) & 0xFF));
    bytes += packed;
    xml::writeFileAtomically(path, bytes);
}

bool LoadSessionValueFromFile(const std::string& path) {
    try {
        const OpenDeclaration open = openDeclaration();
        std::string text = readSessionText(path);
        std::vector<std::string> fields = splitFields(text);
        long at = findRecord(fields, open.id, open.key);
        SessionCounters loaded;
        if (at >= 0) {
            loaded.first = static_cast<int16_t>(detail::toInt16(counterField(fields, at + 2)));
            loaded.second = static_cast<int16_t>(detail::toInt16(counterField(fields, at + 3)));
        } else {
            if (!text.empty()) text += ':';
            text += open.id + ":" + open.key + ":0:0";
            writeSessionText(path, text);
        }
        sessionCounters() = loaded;
        return true;
    } catch (const std::exception& e) {
        WriteErrorLog("mdlFunctions", "LoadSessionValueFromFile", e);
        clsMessageBox().DisplayMessage("", msOKOnly, miCriticalError, "Message", mrOK);
        return false;
    }
}

bool SaveSessionValueToFile(const std::string& path, bool second, bool first) {
    try {
        const OpenDeclaration open = openDeclaration();
        std::vector<std::string> fields = splitFields(readSessionText(path));
        long at = findRecord(fields, open.id, open.key);
        if (at >= 0) {
            const SessionCounters& counters = sessionCounters();
            counterField(fields, at + 3);   // the record must be complete
            if (first) fields[at + 2] = std::to_string(counters.first);
            if (second) fields[at + 3] = std::to_string(counters.second);
        }
        writeSessionText(path, joinFields(fields));
        return true;
    } catch (const std::exception& e) {
        WriteErrorLog("mdlFunctions", "SaveSessionValueToFile", e);
        return false;
    }
}

}  // namespace zevo::documents
