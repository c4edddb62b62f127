#include "WindowDriver.h"

#include <gtest/gtest.h>

#include <utility>

#include "Cp1251.h"

namespace quorrel::test {

std::string MessageLine(std::string_view utf8Text, std::string_view utf8Caption, MessageIcon icon,
                        MessageButtons buttons) {
    const char* icons[] = {"error", "warning", "information"};  // in the order of MessageIcon
    return "message [" + std::string(utf8Caption) + "] " + icons[static_cast<int>(icon)] +
           (buttons == MessageButtons::Ok ? " ok: " : " ok+cancel: ") + std::string(utf8Text);
}

MessageAnswer DialogScript::Message(std::string_view utf8Text, std::string_view utf8Caption,
                                    MessageIcon icon, MessageButtons buttons) {
    log_.push_back(MessageLine(utf8Text, utf8Caption, icon, buttons));
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

std::string DialogScript::Choose(bool forOpening, std::string_view initialName) {
    const std::size_t slash = initialName.find_last_of("/\\");
    log_.push_back(
        (forOpening ? "open '" : "save '") +
        std::string(initialName.substr(slash == std::string_view::npos ? 0 : slash + 1)) + "'");
    if (chosen.empty()) {
        ADD_FAILURE() << "no file scripted for " << log_.back();
        return {};
    }
    std::string name = chosen.front();
    chosen.pop_front();
    return name;
}

Log DialogScript::TakeLog() {
    return std::exchange(log_, {});
}

std::string WindowSettings() {
    const auto w = [](std::string_view utf8) { return cp1251::FromUtf8(utf8).text; };
    return "[Patch Version]\nvalue=0.4\n[Author Info]\nNickName=Nick\nFullName=" +
           w("Иван Петров") +
           "\nEmail=ivan@example.org\nwww=http://example.org/\nicq=12345\n[Group]\n0=" +
           w("Яблоко") + "\n1=" + w("арбуз") + "\n2=" + w("Арбуз") + "\n4=" + w("за пропуском") +
           "\n[Firmware]\n0=E250D\n1=E250C\n2=E250B\n3=E250A\n";
}

}  // namespace quorrel::test
