#include "FakeWindowView.h"

#include "Cp1251.h"

namespace quorrel::test {

FakeWindowView::FakeWindowView(const std::string& settingsPath)
    : window_(*this, SettingsFile(settingsPath)) {}

std::string FakeWindowView::Text(ControlId id) const {
    const auto found = texts.find(id);
    return found == texts.end() ? std::string() : found->second;
}

void FakeWindowView::AddListEntry(ControlId combo, std::string_view text) {
    lists[combo].emplace_back(text);
}

MessageAnswer FakeWindowView::ShowMessage(std::string_view text, std::string_view caption,
                                          MessageIcon icon, MessageButtons buttons) {
    return dialogs.Message(cp1251::ToUtf8(text), cp1251::ToUtf8(caption), icon, buttons);
}

std::string FakeWindowView::ChooseFile(const FileChoice& choice) {
    choices.push_back(choice);
    // Logged as the other windows log it: the name as text.
    const std::string& name = choice.initialName;
    return dialogs.Choose(choice.forOpening,
                          name.starts_with('|') ? cp1251::ToUtf8(name.substr(1)) : name);
}

std::string FakeWindowView::NameFromText(std::string_view text) const {
    return "|" + std::string(text);
}

std::string FakeWindowView::TextFromName(std::string_view name) const {
    return std::string(name) + "|";
}

void FakeWindowView::Type(ControlId id, std::string_view cp1251) {
    const bool reported = id == ControlId::Title || id == ControlId::Description;
    if (cp1251.empty()) {
        texts[id].clear();
        if (reported) {
            window_.FieldsChanged();
        }
    }
    for (std::size_t n = 1; n <= cp1251.size(); ++n) {
        texts[id] = cp1251.substr(0, n);
        if (reported) {
            window_.FieldsChanged();
        }
    }
}

void FakeWindowView::Click(ControlId button) {
    if (!Enabled(button)) {
        return;
    }
    if (button == ControlId::OpenDiff) {
        window_.OpenDiff();
    } else if (button == ControlId::OpenImage) {
        window_.OpenImage();
    } else if (button == ControlId::Save) {
        window_.SaveSmp();
    }
}

bool FakeWindowView::Enabled(ControlId id) {
    const auto found = enabled.find(id);
    return found == enabled.end() || found->second;
}

}  // namespace quorrel::test
