#pragma once

#include <deque>
#include <string>
#include <vector>

#include "Win32Dialogs.h"

namespace quorrel::test {

// The Win32 window's modal dialogs answered by a script: every message box and chooser is
// logged (texts as UTF-8), message boxes with OK and Cancel take the next answer, choosers the
// next name ("" cancels).
class ScriptedDialogs : public win32::Win32Dialogs {
  public:
    ScriptedDialogs() : Win32Dialogs(::GetModuleHandleW(nullptr)) {}

    MessageAnswer Message(HWND owner, std::string_view text, std::string_view caption,
                          MessageIcon icon, MessageButtons buttons) override;
    std::string ChooseFile(HWND owner, const FileChoice& choice) override;
    void About(HWND owner) override;

    std::vector<std::string> TakeLog();

    std::deque<MessageAnswer> answers;
    std::deque<std::string> chosen;
    std::vector<HWND> owners;  // the owner of every dialog, in order

  private:
    std::vector<std::string> log_;
};

}  // namespace quorrel::test
