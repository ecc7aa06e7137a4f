#pragma once
// The system default printer over CUPS: the per-user default destination, as
// `lpoptions -d` sets it, which Qt's printer list and every CUPS client follow.
#include <string>

namespace zevo::printing {

class clsDefaultPrinter {
public:
    // Reads the current default destination ("" when there is none).
    clsDefaultPrinter();

    // Makes the destination the default; true when it is (now) the default. False
    // when CUPS does not know the destination or the user's options cannot be
    // written.
    bool SetPrinterAsDefault(const std::string& DeviceName);

    // The default destination as CUPS reports it now ("" when none).
    static std::string currentDefault();

    const std::string& keptDefault() const { return default_; }

private:
    std::string default_;
};

// Whether the queue can take a job now: CUPS knows it, it is not stopped and it
// accepts jobs. Failures to ask count as not ready.
bool IsPrinterReady(const std::string& DeviceName);

}  // namespace zevo::printing
