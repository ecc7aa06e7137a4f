#include "zevo/documents/SessionFile.h"

#include <cerrno>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include "NumericText.h"
#include "zevo/ErrorLog.h"
#include "zevo/RuntimeError.h"
#include "zevo/UserFolders.h"
#include "zevo/Xml.h"
#include "zevo/clsLZWCompress.h"
#include "zevo/clsMessageBox.h"
#include "zevo/clsVariables.h"
#include "zevo/documents/Attributes.h"
#include "zevo/documents/MessageLookup.h"
#include "zevo/documents/Period.h"

namespace zevo::documents {

namespace {

constexpr int kBadFileFormat = 321;
// Far beyond any real session (a record is some twenty bytes per declaration and
// period); what a damaged or hostile file may decode to is bounded by it.
constexpr std::size_t kMaxSessionText = 1u << 20;
constexpr const char* kMsgSessionDamaged = "0125";
constexpr const char* kMsgSessionUnreadable = "0126";

// A session file that can be read but is not one we wrote.
class DamagedSession : public RuntimeError {
public:
    using RuntimeError::RuntimeError;
};

// Records of "ID:key:first:second", nothing but printable text.
void checkSessionText(const std::string& text, const std::string& path) {
    for (unsigned char c : text)
        if (c < 0x20 || c == 0x7F)
            throw DamagedSession(kBadFileFormat, "Damaged session file (control characters): " + path);
    size_t colons = 0;
    for (char c : text) colons += c == ':';
    if (!text.empty() && (colons + 1) % 4 != 0)
        throw DamagedSession(kBadFileFormat, "Damaged session file (incomplete record): " + path);
}

std::string fillIn(std::string text, const std::string& first, const std::string& second) {
    if (auto at = text.find("%1"); at != std::string::npos) text.replace(at, 2, first);
    if (auto at = text.find("%2"); at != std::string::npos) text.replace(at, 2, second);
    return text;
}

std::string catalogueText(const char* id) {
    try {
        return GetAttributeValue(GetMessageNode(id), "Msg");
    } catch (const std::exception&) {
        return {};
    }
}

// Moves a damaged session file into the data folder's "Backup"; its new name.
std::string setAside(const std::string& path) {
    namespace fs = std::filesystem;
    const fs::path source(path);
    const fs::path folder = source.parent_path() / "Backup";
    createPrivateFolders(folder.string());
    const std::time_t now = std::time(nullptr);
    std::tm tm{};
    localtime_r(&now, &tm);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &tm);
    const std::string stem = source.stem().string() + "_damaged_" + stamp;
    fs::path target = folder / (stem + ".dat");
    for (int n = 2; fs::exists(target); ++n) target = folder / (stem + "_" + std::to_string(n) + ".dat");
    fs::rename(source, target);
    return target.string();
}

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
        throw DamagedSession(kBadFileFormat, "Damaged session file (no length): " + path);

    const auto* b = reinterpret_cast<const unsigned char*>(bytes.data());
    const int32_t n = static_cast<int32_t>(static_cast<uint32_t>(b[0]) |
                                           static_cast<uint32_t>(b[1]) << 8 |
                                           static_cast<uint32_t>(b[2]) << 16 |
                                           static_cast<uint32_t>(b[3]) << 24);
    // Checked against the real size before anything is taken from the file; a
    // stream is followed by nothing.
    if (n < 0 || static_cast<size_t>(n) > bytes.size() - 4 ||
        (n > 0 && static_cast<size_t>(n) != bytes.size() - 4))
        throw DamagedSession(kBadFileFormat, "Damaged session file (length " + std::to_string(n) +
                                               ", " + std::to_string(bytes.size()) +
                                               " bytes): " + path);
    if (n == 0) return {};
    std::string text;
    try {
        text = clsLZWCompress().DeCompress(bytes.substr(4, static_cast<size_t>(n)), kMaxSessionText);
    } catch (const RuntimeError& e) {
        throw DamagedSession(kBadFileFormat, std::string(e.what()) + ": " + path);
    }
    checkSessionText(text, path);
    return text;
}

std::string sessionFileBytes(const std::string& text) {
    if (text.size() > kMaxSessionText)
        throw RuntimeError(kBadFileFormat, "Session text too long to keep");
    // The coder's stream for the empty text holds code 0, which reads back as a
    // NUL; the empty text is stored as length 0 with no stream.
    const std::string packed = text.empty() ? std::string() : clsLZWCompress().Compress(text);
    const auto n = static_cast<uint32_t>(packed.size());
    std::string bytes;
    bytes.reserve(packed.size() + 4);
    for (int shift = 0; shift < 32; shift += 8) bytes.push_back(static_cast<char>((n >> shift) & 0xFF));
    bytes += packed;
    return bytes;
}

void writeSessionText(const std::string& path, const std::string& text) {
    xml::writeFileAtomically(path, sessionFileBytes(text));
}

namespace {

// The counters of the open declaration's record, its record appended when missing.
void loadSession(const std::string& path) {
    const OpenDeclaration open = openDeclaration();
    std::string text = readSessionText(path);
    std::vector<std::string> fields = splitFields(text);
    long at = findRecord(fields, open.id, open.key);
    SessionCounters loaded;
    if (at >= 0) {
        try {
            loaded.first = static_cast<int16_t>(detail::toInt16(counterField(fields, at + 2)));
            loaded.second = static_cast<int16_t>(detail::toInt16(counterField(fields, at + 3)));
        } catch (const RuntimeError& e) {
            throw DamagedSession(e.number(), std::string(e.what()) + ": " + path);
        }
    } else {
            if (!text.empty()) text += ':';
        text += open.id + ":" + open.key + ":0:0";
        writeSessionText(path, text);
    }
    sessionCounters() = loaded;
}

int showSessionMessage(const char* id, const std::string& text, int style, int defaultButton) {
    return presentMessage({id, text, style, miCriticalError, defaultButton});
}

}  // namespace

bool LoadSessionValueFromFile(const std::string& path) {
    try {
        loadSession(path);
        return true;
    } catch (const DamagedSession& e) {
        WriteErrorLog("mdlFunctions", "LoadSessionValueFromFile", e);
        // Without a usable session the program cannot count saves: the user may
        // keep the file aside and start the counters again.
        std::string text = fillIn(catalogueText(kMsgSessionDamaged), path, e.what());
        if (text.empty()) text = path + ": " + e.what() + " (Backup?)";
        if (showSessionMessage(kMsgSessionDamaged, text, msYesNo, mrNo) != mrYes) return false;
        try {
            const std::string kept = setAside(path);
            WriteErrorLog("mdlFunctions", "LoadSessionValueFromFile", kBadFileFormat,
                          "Damaged session file kept as " + kept);
            loadSession(path);
            return true;
        } catch (const std::exception& again) {
            WriteErrorLog("mdlFunctions", "LoadSessionValueFromFile", again);
            showSessionMessage(kMsgSessionUnreadable,
                               fillIn(catalogueText(kMsgSessionUnreadable), path, again.what()),
                               msOKOnly, mrOK);
            return false;
        }
    } catch (const std::exception& e) {
        WriteErrorLog("mdlFunctions", "LoadSessionValueFromFile", e);
        showSessionMessage(kMsgSessionUnreadable,
                           fillIn(catalogueText(kMsgSessionUnreadable), path, e.what()), msOKOnly, mrOK);
        return false;
    }
}

bool SaveSessionValueToFile(const std::string& path, bool second, bool first,
                            xml::StagedFiles* staged) {
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
        if (staged)
            staged->add(path, sessionFileBytes(joinFields(fields)));
        else
            writeSessionText(path, joinFields(fields));
        return true;
    } catch (const std::exception& e) {
        WriteErrorLog("mdlFunctions", "SaveSessionValueToFile", e);
        return false;
    }
}

}  // namespace zevo::documents
