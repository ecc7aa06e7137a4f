#include "zevo/ScriptedMessagePresenter.h"

namespace zevo {

int ScriptedMessagePresenter::present(const MessageRequest& request) {
    shown_.push_back(request);
    if (answers_.empty()) return fallback_;
    int answer = answers_.front();
    answers_.pop_front();
    return answer;
}

std::vector<std::string> ScriptedMessagePresenter::shownIds() const {
    std::vector<std::string> ids;
    ids.reserve(shown_.size());
    for (const auto& r : shown_) ids.push_back(r.id);
    return ids;
}

}  // namespace zevo
