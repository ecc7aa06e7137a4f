#include "zevo/printing/clsDefaultPrinter.h"

#include <cups/cups.h>

#include <cstdlib>
#include <cstring>

#include "zevo/ErrorLog.h"

namespace zevo::printing {

namespace {

constexpr const char* kModule = "clsDefaultPrinter";

// "printer-state" of a stopped queue (IPP_PSTATE_STOPPED).
constexpr int kStateStopped = 5;

class Destinations {
public:
    Destinations() { count_ = cupsGetDests2(CUPS_HTTP_DEFAULT, &dests_); }
    ~Destinations() { cupsFreeDests(count_, dests_); }
    Destinations(const Destinations&) = delete;
    Destinations& operator=(const Destinations&) = delete;

    int count() const { return count_; }
    cups_dest_t* dests() const { return dests_; }
    cups_dest_t* find(const std::string& name) const {
        return cupsGetDest(name.c_str(), nullptr, count_, dests_);
    }

private:
    int count_ = 0;
    cups_dest_t* dests_ = nullptr;
};

}  // namespace

clsDefaultPrinter::clsDefaultPrinter() : default_(currentDefault()) {}

std::string clsDefaultPrinter::currentDefault() {
    Destinations d;
    for (int i = 0; i < d.count(); ++i)
        if (d.dests()[i].is_default && !d.dests()[i].instance) return d.dests()[i].name;
    return {};
}

bool clsDefaultPrinter::SetPrinterAsDefault(const std::string& DeviceName) {
    if (!DeviceName.empty() && DeviceName == default_) return true;
    Destinations d;
    cups_dest_t* dest = d.find(DeviceName);
    if (DeviceName.empty() || !dest) {
        WriteErrorLog(kModule, "SetPrinterAsDefault", 482, "No printer named \"" + DeviceName + "\"");
        return false;
    }
    for (int i = 0; i < d.count(); ++i) d.dests()[i].is_default = 0;
    dest->is_default = 1;
    if (cupsSetDests2(CUPS_HTTP_DEFAULT, d.count(), d.dests()) != 0) {
        WriteErrorLog(kModule, "SetPrinterAsDefault", 482,
                      std::string("Cannot store the default printer: ") + cupsLastErrorString());
        return false;
    }
    default_ = DeviceName;
    return true;
}

bool IsPrinterReady(const std::string& DeviceName) {
    if (DeviceName.empty()) return false;
    cups_dest_t* dest = cupsGetNamedDest(CUPS_HTTP_DEFAULT, DeviceName.c_str(), nullptr);
    if (!dest) return false;
    const char* state = cupsGetOption("printer-state", dest->num_options, dest->options);
    const char* accepting = cupsGetOption("printer-is-accepting-jobs", dest->num_options, dest->options);
    const bool ready = (!state || std::atoi(state) != kStateStopped) &&
                       (!accepting || std::strcmp(accepting, "false") != 0);
    cupsFreeDests(1, dest);
    return ready;
}

}  // namespace zevo::printing
