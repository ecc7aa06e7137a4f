#pragma once
// The messages that tell the user why a file could not be read or written, chosen
// by the errno behind the failure.
#include <exception>

namespace zevo::exchange::detail {

inline constexpr const char* kModule = "frmBackup_Restore";

enum class FileErrorShown { None, Message, PathMessage };

// Shows "0021" (no permission), "0025" (invalid name), "0041" (disk full), "0010"
// (path or file not found, or a folder where a file belongs) or, when
// `existsMessage`, "0105" (the file exists). PathMessage: the message asks the
// user to correct the path, so the path box should get the focus. None when the
// error carries no errno that maps to a message (it is only logged).
FileErrorShown showFileError(int osError, bool existsMessage = false);
FileErrorShown showFileError(const std::exception& e, bool existsMessage = false);

// A message of the catalogue; the button pressed.
int ask(const char* id, int style, int icon, int defaultButton = 0);

}  // namespace zevo::exchange::detail
