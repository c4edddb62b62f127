#include "FakeWindowView.h"

#include "Cp1251.h"

namespace quorrel::test {

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

void FakeWindowView::Type(ControlId id, std::string_view cp1251) {
    // Emptying is one change; otherwise each character typed over the selection is one.
    for (std::size_t n = cp1251.empty() ? 0 : 1; n <= cp1251.size(); ++n) {
        texts[id] = cp1251.substr(0, n);
        if (id == ControlId::Title || id == ControlId::Description) {
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

}  // namespace quorrel::test
