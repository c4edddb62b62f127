#pragma once

namespace quorrel {

// Identifiers of the main window's controls; labels and the group frame have none.
enum class ControlId : int {
    DiffPath = 1000,
    ImagePath = 1001,
    Title = 1002,
    OpenDiff = 1003,
    OpenImage = 1004,
    Description = 1005,
    Save = 1007,
    About = 1008,
    Version = 1009,
    Group = 1011,
    Firmware = 1013,
};

// The path controls hold file-system names as they are; every other control holds
// Windows-1251 text.
constexpr bool IsPathControl(ControlId id) {
    return id == ControlId::DiffPath || id == ControlId::ImagePath;
}

}  // namespace quorrel
