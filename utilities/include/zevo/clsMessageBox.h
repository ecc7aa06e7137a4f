#pragma once
// Numbered user messages, window captions from "Caption.xml", and resolution of
// the "..\" paths of the installation.
#include <functional>
#include <memory>
#include <string>

class QWidget;
class QLabel;

namespace zevo {

enum MsgBoxStyle {
    msAbortRetryIgnore = 0,
    msOKCancel = 1,
    msOKOnly = 2,
    msOKCancelRetry = 3,
    msYesNo = 4,
    msYesNoCancel = 5,
};

enum MsgBoxIcon {
    miInformation = 0,
    miQuestion = 1,
    miWarning = 2,
    miCriticalError = 3,
};

enum MsgBoxResult {
    mrAbort = 0,
    mrCancel = 1,
    mrIgnore = 2,
    mrNo = 3,
    mrOK = 4,
    mrRetry = 5,
    mrYes = 6,
};

// What a message presenter is asked to show.
struct MessageRequest {
    std::string id;      // message id ("0002"); "" allowed
    std::string text;    // the catalogue text, "" for an unknown id
    int style = msOKOnly;
    int icon = miInformation;
    int defaultButton = 0;
};

// Shows a message and returns the result code (0 = closed without a button).
// The program uses the real dialog; tests install a scripted presenter.
class MessagePresenter {
public:
    virtual ~MessagePresenter() = default;
    virtual int present(const MessageRequest& request) = 0;
};

class clsMessageBox {
public:
    // Looks up the text of pMsgID in the session's message list and hands the
    // request to this thread's presenter; returns its result (0 = no button, also
    // when the presenter fails). pTitle is never shown.
    int DisplayMessage(const std::string& pMsgID, int pMsgStyle, int pIcon,
                       const std::string& pTitle, int pDefaultButton);
    // Applies caption section formName (the window's objectName when empty) from
    // the session's caption catalogue. Sections and control names (objectName of
    // the window's children, in creation order) compare case-insensitively; "\n"
    // in a control text breaks the line, in the title it stays as written. Labels,
    // buttons, group boxes, menus and actions take captions; other controls keep
    // their text.
    void SetControlCaption(QWidget* frmForm, const std::string& formName);
    // Lays out a caption banner across the top of the window: the picture
    // "..\Pictures\caption.bmp" (read by content, so any format Qt reads will do,
    // a PNG named caption.bmp included) stretched over 21 px, the label on it in
    // white bold 9 pt. Without the picture the band is painted dark blue.
    void SetFormCaption(QWidget* frmForm, QLabel* bkGround, QLabel* lblCaption);
    // "..\" paths against the program folder's parent (see programFolder); "\" and
    // "/" both separate in the input, "/" in the result; paths containing ":\" or
    // beginning with "/" are returned unchanged. A failure is reported in
    // "Log.log" in the program folder and gives "".
    std::string GetAbsolutePath(const std::string& strPath);

    // Replaces the presenter for this thread; nullptr restores the real dialog.
    static void setPresenter(std::shared_ptr<MessagePresenter> presenter);
    static std::shared_ptr<MessagePresenter> presenter();
};

// Hands a request whose text is already made (a reason, a filled-in template) to
// this thread's presenter; its result, 0 when there is none or it fails.
int presentMessage(const MessageRequest& request);

// The text of message id from the session's message list ("" when unknown).
std::string messageText(const std::string& id);

// The program folder: the folder of the running program unless a test set
// another one (GetAbsolutePath resolves against its parent).
std::string programFolder();
void setProgramFolderOverride(const std::string& folder);

}  // namespace zevo
