#pragma once

#include <string>
#include <string_view>

// Text between the wide Windows controls and the Windows-1251 state, and file-system names
// between the wide file functions and their narrow (WTF-8) form; the ANSI code page of the
// machine never takes part.
namespace quorrel::win32 {

std::wstring WideFromCp1251(std::string_view text);
// Characters with no Windows-1251 form are left out.
std::string Cp1251FromWide(std::wstring_view text);
// The same, with '?' standing for each character that has no form (for names shown as text).
std::string Cp1251FromWideMarked(std::wstring_view text);
// `text` without the characters that have no Windows-1251 form.
std::wstring KeepCp1251(std::wstring_view text);
bool HasCp1251Form(wchar_t unit);

std::wstring WideFromName(std::string_view name);
std::string NameFromWide(std::wstring_view wide);

}  // namespace quorrel::win32
