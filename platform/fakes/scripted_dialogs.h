#pragma once

#include <deque>
#include <vector>

#include "platform/dialogs.h"

namespace dalvon {

// Dialogs for tests: answers from a queue (the default button when the queue is empty) and
// remembers every box shown.
class ScriptedDialogs : public Dialogs {
public:
    DialogAnswer show(const MessageBox& box) override {
        m_shown.push_back(box);
        if (m_answers.empty())
            return box.defaultButton;
        DialogAnswer answer = m_answers.front();
        m_answers.pop_front();
        return answer;
    }

    void queue(DialogAnswer answer) { m_answers.push_back(answer); }
    const std::vector<MessageBox>& shown() const { return m_shown; }
    void clear() { m_shown.clear(); }

private:
    std::deque<DialogAnswer> m_answers;
    std::vector<MessageBox> m_shown;
};

}  // namespace dalvon
