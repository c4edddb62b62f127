#include "ScriptedDialogs.h"

#include <gtest/gtest.h>

#include "Cp1251.h"
#include "FakeWindowView.h"

namespace quorrel::test {

MessageAnswer ScriptedDialogs::Message(HWND owner, std::string_view text, std::string_view caption,
                                       MessageIcon icon, MessageButtons buttons) {
    owners.push_back(owner);
    log_.push_back(MessageLine(cp1251::ToUtf8(text), cp1251::ToUtf8(caption), icon, buttons));
    if (buttons == MessageButtons::Ok) {
        return MessageAnswer::Ok;
    }
    if (answers.empty()) {
        ADD_FAILURE() << "no answer scripted for " << log_.back();
        return MessageAnswer::Cancel;
    }
    const MessageAnswer answer = answers.front();
    answers.pop_front();
    return answer;
}

std::string ScriptedDialogs::ChooseFile(HWND owner, const FileChoice& choice) {
    owners.push_back(owner);
    log_.push_back(std::string(choice.forOpening ? "open" : "save") + " '" + choice.initialName +
                   "'");
    if (chosen.empty()) {
        ADD_FAILURE() << "no file scripted for " << log_.back();
        return {};
    }
    std::string name = chosen.front();
    chosen.pop_front();
    return name;
}

void ScriptedDialogs::About(HWND owner) {
    owners.push_back(owner);
    log_.push_back("about");
}

std::vector<std::string> ScriptedDialogs::TakeLog() {
    std::vector<std::string> out;
    out.swap(log_);
    return out;
}

}  // namespace quorrel::test
