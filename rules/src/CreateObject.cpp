// The library's one exported entry: objects by class name.
#include <string_view>

#include "ReportClasses.h"
#include "clsZEVO.h"

namespace {

constexpr std::string_view kPrefix = "ZEVO_Business.";

zevo::rules::ComObject* create(std::string_view name) {
    if (name.substr(0, kPrefix.size()) == kPrefix) name.remove_prefix(kPrefix.size());
    if (name == "clsZEVO") return new zevo::rules::clsZEVO();
    if (name == "clsZEVOReport") return new zevo::rules::clsZEVOReport();
    if (name == "clsZEVOSpecialReport") return new zevo::rules::clsZEVOSpecialReport();
    return nullptr;
}

}  // namespace

extern "C" __attribute__((visibility("default"))) void* CreateObject(const char* className) {
    if (!className) return nullptr;
    try {
        return static_cast<void*>(create(className));
    } catch (...) {
        return nullptr;
    }
}
