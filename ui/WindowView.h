#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "ControlId.h"

namespace quorrel {

enum class MessageIcon {
    Error,        // a stop sign
    Warning,      // an exclamation mark
    Information,  // an "i"
};

enum class MessageButtons { Ok, OkCancel };

enum class MessageAnswer { Ok, Cancel };

struct FileFilter {
    std::string label;    // Windows-1251, shown to the user
    std::string pattern;  // "*.dif"; "*.*" matches every name, with or without a dot
};

struct FileChoice {
    bool forOpening = true;
    std::string initialName;          // a file-system name
    std::vector<FileFilter> filters;  // the first one is selected at the start
    std::string defaultExtension;     // the first filter's pattern
};

// A chooser shows at most this many characters of the initial name.
inline constexpr std::size_t kMaxChooserName = 259;

// What the main window's commands need of a window toolkit. Texts are Windows-1251, except in
// the path controls (IsPathControl) and in file names, which are the file system's own.
class WindowView {
  public:
    virtual ~WindowView() = default;

    virtual std::string Text(ControlId id) const = 0;
    virtual void SetText(ControlId id, std::string_view text) = 0;
    virtual void Enable(ControlId id, bool enabled) = 0;
    virtual void Focus(ControlId id) = 0;
    virtual void SelectAll(ControlId id) = 0;

    // Heights in the toolkit's pixels; a combo box's dropped height counts its text field too.
    virtual int Height(ControlId id) const = 0;
    virtual void SetDroppedHeight(ControlId combo, int height) = 0;
    virtual void ClearList(ControlId combo) = 0;
    virtual void AddListEntry(ControlId combo, std::string_view text) = 0;

    // Modal, owned by the window.
    virtual MessageAnswer ShowMessage(std::string_view text, std::string_view caption,
                                      MessageIcon icon, MessageButtons buttons) = 0;
    // The chosen full path, or empty when the user cancelled or the chooser failed.
    virtual std::string ChooseFile(const FileChoice& choice) = 0;

    // The executable's file name without its extension, as text.
    virtual std::string ApplicationName() const = 0;
    // Text and file-system names differ in encoding under some toolkits.
    virtual std::string NameFromText(std::string_view text) const = 0;
    virtual std::string TextFromName(std::string_view name) const = 0;

    // Called once at the first showing, right after the fields went in: icons, menu entries.
    virtual void AddFrameItems() = 0;
    // Ends the modal window; the program ends with it.
    virtual void EndWindow() = 0;
};

}  // namespace quorrel
