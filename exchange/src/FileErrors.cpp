#include "FileErrors.h"

#include <cerrno>

#include "zevo/RuntimeError.h"
#include "zevo/clsMessageBox.h"

namespace zevo::exchange::detail {

FileErrorShown showFileError(int osError, bool existsMessage) {
    const char* id = nullptr;
    int icon = miCriticalError;
    FileErrorShown shown = FileErrorShown::Message;
    switch (osError) {
        case EACCES:
        case EPERM:
        case EROFS: id = "0021"; break;
        case EINVAL:
        case ENAMETOOLONG: id = "0025"; break;
        case ENOSPC:
        case EDQUOT: id = "0041"; break;
        case ENOENT:
        case ENOTDIR:
        case EISDIR:
            id = "0010";
            icon = miInformation;
            shown = FileErrorShown::PathMessage;
            break;
        case EEXIST:
            if (!existsMessage) return FileErrorShown::None;
            id = "0105";
            icon = miInformation;
            shown = FileErrorShown::PathMessage;
            break;
        default: return FileErrorShown::None;
    }
    clsMessageBox().DisplayMessage(id, msOKOnly, icon, "Message", 0);
    return shown;
}

int ask(const char* id, int style, int icon, int defaultButton) {
    return clsMessageBox().DisplayMessage(id, style, icon, "Message", defaultButton);
}

FileErrorShown showFileError(const std::exception& e, bool existsMessage) {
    const auto* runtime = dynamic_cast<const RuntimeError*>(&e);
    return showFileError(runtime ? runtime->osError() : 0, existsMessage);
}

}  // namespace zevo::exchange::detail
