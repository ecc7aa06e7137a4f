#pragma once
// A message presenter for tests: answers from a queue instead of showing a dialog
// and records every request it was given.
#include <deque>
#include <vector>

#include "zevo/clsMessageBox.h"

namespace zevo {

class ScriptedMessagePresenter : public MessagePresenter {
public:
    // Answers given in order; once used up, `fallback` is returned.
    explicit ScriptedMessagePresenter(std::deque<int> answers = {}, int fallback = 0)
        : answers_(std::move(answers)), fallback_(fallback) {}

    void push(int answer) { answers_.push_back(answer); }
    int present(const MessageRequest& request) override;

    const std::vector<MessageRequest>& shown() const { return shown_; }
    // Ids of the messages shown, in order.
    std::vector<std::string> shownIds() const;
    size_t unanswered() const { return answers_.size(); }
    void clear() { shown_.clear(); }

private:
    std::deque<int> answers_;
    int fallback_;
    std::vector<MessageRequest> shown_;
};

}  // namespace zevo
