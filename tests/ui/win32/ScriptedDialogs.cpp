#include "ScriptedDialogs.h"

#include "Cp1251.h"
#include "FakeWindowView.h"

namespace quorrel::test {

MessageAnswer ScriptedDialogs::Message(HWND owner, std::string_view text, std::string_view caption,
                                       MessageIcon icon, MessageButtons buttons) {
    owners.push_back(owner);
    log_.push_back(MessageLine(cp1251::ToUtf8(text), cp1251::ToUtf8(caption), icon, buttons));
    return NextAnswer(answers, buttons, log_.back());
}

std::string ScriptedDialogs::ChooseFile(HWND owner, const FileChoice& choice) {
    owners.push_back(owner);
    log_.push_back(std::string(choice.forOpening ? "open" : "save") + " '" + choice.initialName +
                   "'");
    return NextChoice(chosen, log_.back());
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
