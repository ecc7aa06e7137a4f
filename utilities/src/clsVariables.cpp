#include "zevo/clsVariables.h"

#include "zevo/RuntimeError.h"

namespace zevo {
namespace {

// One session per thread; the program and the rules library share it because
// both reach it through this library.
struct Session {
    std::string year, lastDay, firstDay, month, threeMonths, dataFolder;
    xml::Node nodeMenu;
    bool dataSized = false;
    std::vector<xml::DocumentPtr> data;
    xml::Node nodeValidity;
    std::vector<xml::Node> nodeMessage;
    xml::Node nodeCaption;
    bool adjustSized = false;
    std::vector<bool> adjustData;
    bool dataChanged = false;
};

Session& session() {
    thread_local Session s;
    return s;
}

[[noreturn]] void outOfRange() {
    throw RuntimeError(err::kSubscriptOutOfRange, "Subscript out of range");
}

size_t checkedIndex(bool sized, size_t size, int pIndex) {
    if (!sized || pIndex < 0 || static_cast<size_t>(pIndex) >= size) outOfRange();
    return static_cast<size_t>(pIndex);
}

// Resizes to indices 0 … pIndex; a negative bound is an empty array (as ReDim
// of (-1) gives), anything below -1 is out of range.
template <typename T>
void reDim(std::vector<T>& v, bool& sized, int pIndex, bool pPreserve, const T& blank) {
    if (pIndex < -1) outOfRange();
    size_t n = static_cast<size_t>(pIndex + 1);
    if (pPreserve && sized) {
        v.resize(n, blank);
    } else {
        v.assign(n, blank);
    }
    sized = true;
}

}  // namespace

std::string clsVariables::Year() const { return session().year; }
void clsVariables::Year(const std::string& v) { session().year = v; }
std::string clsVariables::LastDay() const { return session().lastDay; }
void clsVariables::LastDay(const std::string& v) { session().lastDay = v; }
std::string clsVariables::FirstDay() const { return session().firstDay; }
void clsVariables::FirstDay(const std::string& v) { session().firstDay = v; }
std::string clsVariables::Month() const { return session().month; }
void clsVariables::Month(const std::string& v) { session().month = v; }
std::string clsVariables::ThreeMonths() const { return session().threeMonths; }
void clsVariables::ThreeMonths(const std::string& v) { session().threeMonths = v; }
std::string clsVariables::DataFolder() const { return session().dataFolder; }
void clsVariables::DataFolder(const std::string& v) { session().dataFolder = v; }

xml::Node clsVariables::NodeMenu() const { return session().nodeMenu; }
void clsVariables::NodeMenu(const xml::Node& v) { session().nodeMenu = v; }

void clsVariables::xmlDataReDim(int pIndex, bool pPreserve) {
    Session& s = session();
    reDim<xml::DocumentPtr>(s.data, s.dataSized, pIndex, pPreserve, nullptr);
}

int clsVariables::xmlDataCount() const {
    const Session& s = session();
    if (!s.dataSized) outOfRange();
    return static_cast<int>(s.data.size()) - 1;
}

xml::DocumentPtr clsVariables::Data(int pIndex) const {
    const Session& s = session();
    return s.data[checkedIndex(s.dataSized, s.data.size(), pIndex)];
}

void clsVariables::Data(int pIndex, const xml::DocumentPtr& doc) {
    Session& s = session();
    s.data[checkedIndex(s.dataSized, s.data.size(), pIndex)] = doc;
}

xml::Node clsVariables::NodeValidity() const { return session().nodeValidity; }

void clsVariables::NodeValidity(const xml::Node& v) {
    if (!v.isNull() && !v.isElement())
        throw RuntimeError(err::kTypeMismatch, "Type mismatch");
    session().nodeValidity = v;
}

std::vector<xml::Node> clsVariables::NodeMessage() const { return session().nodeMessage; }
void clsVariables::NodeMessage(const std::vector<xml::Node>& v) { session().nodeMessage = v; }
xml::Node clsVariables::NodeCaption() const { return session().nodeCaption; }
void clsVariables::NodeCaption(const xml::Node& v) { session().nodeCaption = v; }

void clsVariables::AdjustDataReDim(int pIndex, bool pPreserve) {
    Session& s = session();
    reDim<bool>(s.adjustData, s.adjustSized, pIndex, pPreserve, false);
}

int clsVariables::AdjustDataCount() const {
    const Session& s = session();
    if (!s.adjustSized) outOfRange();
    return static_cast<int>(s.adjustData.size()) - 1;
}

bool clsVariables::AdjustData(int pIndex) const {
    const Session& s = session();
    return s.adjustData[checkedIndex(s.adjustSized, s.adjustData.size(), pIndex)];
}

void clsVariables::AdjustData(int pIndex, bool v) {
    Session& s = session();
    s.adjustData[checkedIndex(s.adjustSized, s.adjustData.size(), pIndex)] = v;
    if (v) s.dataChanged = true;
}

bool clsVariables::DataChanged() const { return session().dataChanged; }
void clsVariables::DataChanged(bool v) { session().dataChanged = v; }

void clsVariables::resetSession() { session() = Session{}; }

}  // namespace zevo
