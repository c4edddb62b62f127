#include "FakeWindowView.h"

#include <gtest/gtest.h>

#include "Cp1251.h"

namespace quorrel::test {

namespace {

std::string IdText(ControlId id) {
    return std::to_string(static_cast<int>(id));
}

const char* IconName(MessageIcon icon) {
    switch (icon) {
        case MessageIcon::Error:
            return "error";
        case MessageIcon::Warning:
            return "warning";
        case MessageIcon::Information:
            return "information";
    }
    return "?";
}

std::string Utf8(std::string_view cp1251) {
    return cp1251::ToUtf8(cp1251);
}

}  // namespace

std::string MessageLine(std::string_view utf8Text, std::string_view utf8Caption, MessageIcon icon,
                        MessageButtons buttons) {
    return "message [" + std::string(utf8Caption) + "] " + IconName(icon) +
           (buttons == MessageButtons::Ok ? " ok: " : " ok+cancel: ") + std::string(utf8Text);
}

MessageAnswer NextAnswer(std::deque<MessageAnswer>& answers, MessageButtons buttons,
                         const std::string& what) {
    if (buttons == MessageButtons::Ok) {
        return MessageAnswer::Ok;
    }
    if (answers.empty()) {
        ADD_FAILURE() << "no answer scripted for " << what;
        return MessageAnswer::Cancel;
    }
    const MessageAnswer answer = answers.front();
    answers.pop_front();
    return answer;
}

std::string NextChoice(std::deque<std::string>& chosen, const std::string& what) {
    if (chosen.empty()) {
        ADD_FAILURE() << "no file scripted for " << what;
        return {};
    }
    std::string name = chosen.front();
    chosen.pop_front();
    return name;
}

std::string FakeWindowView::Text(ControlId id) const {
    const auto found = texts.find(id);
    return found == texts.end() ? std::string() : found->second;
}

void FakeWindowView::SetText(ControlId id, std::string_view text) {
    texts[id] = std::string(text);
    log_.push_back("set " + IdText(id) + " " +
                   (IsPathControl(id) ? std::string(text) : Utf8(text)));
}

void FakeWindowView::Enable(ControlId id, bool on) {
    enabled[id] = on;
    log_.push_back("enable " + IdText(id) + (on ? " on" : " off"));
}

void FakeWindowView::Focus(ControlId id) {
    focus = id;
    log_.push_back("focus " + IdText(id));
}

void FakeWindowView::SelectAll(ControlId id) {
    selected = id;
    log_.push_back("select " + IdText(id));
}

int FakeWindowView::Height(ControlId) const {
    return comboHeight;
}

void FakeWindowView::SetDroppedHeight(ControlId combo, int height) {
    droppedHeights[combo] = height;
    log_.push_back("dropped " + IdText(combo) + " " + std::to_string(height));
}

void FakeWindowView::ClearList(ControlId combo) {
    lists[combo].clear();
    log_.push_back("clear " + IdText(combo));
}

void FakeWindowView::AddListEntry(ControlId combo, std::string_view text) {
    lists[combo].emplace_back(text);
    log_.push_back("add " + IdText(combo) + " " + Utf8(text));
}

MessageAnswer FakeWindowView::ShowMessage(std::string_view text, std::string_view caption,
                                          MessageIcon icon, MessageButtons buttons) {
    messages.push_back({std::string(text), std::string(caption), icon, buttons});
    log_.push_back(MessageLine(Utf8(text), Utf8(caption), icon, buttons));
    return NextAnswer(answers, buttons, log_.back());
}

std::string FakeWindowView::ChooseFile(const FileChoice& choice) {
    choices.push_back(choice);
    std::string line =
        std::string(choice.forOpening ? "open" : "save") + " '" + choice.initialName + "'";
    for (const FileFilter& filter : choice.filters) {
        line += " [" + Utf8(filter.label) + "|" + filter.pattern + "]";
    }
    line += " " + choice.defaultExtension;
    log_.push_back(line);
    return NextChoice(chosen, line);
}

// The fake's file system takes names as Windows-1251 bytes; "|" marks the conversions.
std::string FakeWindowView::NameFromText(std::string_view text) const {
    return "|" + std::string(text);
}

std::string FakeWindowView::TextFromName(std::string_view name) const {
    return std::string(name) + "|";
}

void FakeWindowView::AddFrameItems() {
    log_.push_back("frame items");
}

void FakeWindowView::EndWindow() {
    ++ended;
    log_.push_back("end");
}

std::vector<std::string> FakeWindowView::TakeLog() {
    std::vector<std::string> out;
    out.swap(log_);
    return out;
}

}  // namespace quorrel::test
