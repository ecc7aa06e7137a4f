// Numbered messages: text from the session's message list, shown by the thread's
// presenter (the real dialog unless a test installed another one).
#include "zevo/clsMessageBox.h"

#include "../ui/frmDisplayMessage.h"
#include "zevo/clsVariables.h"

namespace zevo {
namespace {
thread_local std::shared_ptr<MessagePresenter> tPresenter;
}  // namespace

std::string messageText(const std::string& id) {
    for (const auto& node : clsVariables().NodeMessage()) {
        if (!node.isElement()) continue;
        // An element without "ID" matches nothing, not even the empty id.
        auto nodeId = node.attribute("ID");
        if (nodeId && *nodeId == id)
            return node.attribute("Msg").value_or(std::string{});
    }
    return {};
}

void clsMessageBox::setPresenter(std::shared_ptr<MessagePresenter> presenter) {
    tPresenter = std::move(presenter);
}

std::shared_ptr<MessagePresenter> clsMessageBox::presenter() {
    if (!tPresenter) tPresenter = makeDialogPresenter();
    return tPresenter;
}

int clsMessageBox::DisplayMessage(const std::string& pMsgID, int pMsgStyle, int pIcon,
                                  const std::string& /*pTitle: never shown*/,
                                  int pDefaultButton) {
    try {
        return presentMessage({pMsgID, messageText(pMsgID), pMsgStyle, pIcon, pDefaultButton});
    } catch (...) {
        return 0;
    }
}

int presentMessage(const MessageRequest& request) {
    try {
        // Keep the presenter alive even if the call replaces it.
        std::shared_ptr<MessagePresenter> shownBy = clsMessageBox::presenter();
        return shownBy ? shownBy->present(request) : 0;
    } catch (...) {
        return 0;
    }
}

}  // namespace zevo
