#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "WindowView.h"

namespace quorrel::win32 {

// The modal dialogs the main window runs: message boxes, the file choosers and the About box.
// Tests answer them instead of a user.
class Win32Dialogs {
  public:
    explicit Win32Dialogs(HINSTANCE instance) : instance_(instance) {}
    virtual ~Win32Dialogs() = default;

    virtual MessageAnswer Message(HWND owner, std::string_view text, std::string_view caption,
                                  MessageIcon icon, MessageButtons buttons);
    // The chosen file's name, or empty when the user cancelled or the chooser failed.
    virtual std::string ChooseFile(HWND owner, const FileChoice& choice);
    virtual void About(HWND owner);

    HINSTANCE instance() const { return instance_; }

  private:
    HINSTANCE instance_;
};

// The filter list of a chooser: label, pattern, ... each ended by a zero, the list by another.
std::wstring ChooserFilter(const FileChoice& choice);

}  // namespace quorrel::win32
