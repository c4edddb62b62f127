#pragma once

#include <cstddef>
#include <span>
#include <string_view>

namespace quorrel {

// A dialog window described in dialog units, as a front end builds it.
enum class ControlKind {
    Label,
    MultiLineLabel,
    Icon,
    Edit,
    ReadOnlyEdit,
    PushButton,
    DefaultPushButton,
    ComboBox,  // editable text with a sorted list
    GroupFrame,
};

struct DialogRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

struct ControlTemplate {
    ControlKind kind;
    int id;                 // 0 for controls that nobody addresses
    std::string_view text;  // Windows-1251; "&" marks a button's mnemonic
    DialogRect rect;
    std::string_view name;  // a stable name for front ends and tests
};

struct DialogTemplate {
    std::string_view caption;  // Windows-1251
    int width;
    int height;
    std::span<const ControlTemplate> controls;  // in creation order, which is also Tab order
};

// Edits and combo boxes take their name from the label created right before them: Windows
// names them so for screen readers, and the Qt front end follows the same rule.
constexpr bool IsNamedField(ControlKind kind) {
    return kind == ControlKind::Edit || kind == ControlKind::ReadOnlyEdit ||
           kind == ControlKind::ComboBox;
}

constexpr bool EveryFieldFollowsItsLabel(std::span<const ControlTemplate> controls) {
    for (std::size_t i = 0; i < controls.size(); ++i) {
        if (IsNamedField(controls[i].kind) &&
            (i == 0 || controls[i - 1].kind != ControlKind::Label)) {
            return false;
        }
    }
    return true;
}

}  // namespace quorrel
