// "Session.dat" as found on disk: read within bounds, or refused with a
// RuntimeError; what is read is session text that writes back the same, without
// an error (an exception escaping here is a finding).
#include "FuzzSupport.h"
#include "zevo/RuntimeError.h"
#include "zevo/documents/SessionFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::string& path = zevo::fuzz::scratchFile("Session.dat");
    zevo::fuzz::writeFile(path, data, size);
    std::string text;
    try {
        text = zevo::documents::readSessionText(path);
    } catch (const zevo::RuntimeError&) {
        return 0;
    }
    zevo::documents::writeSessionText(path, text);
    if (zevo::documents::readSessionText(path) != text) std::abort();
    return 0;
}
