#pragma once

#include <windows.h>

namespace quorrel::win32 {

// Makes an edit control refuse characters that have no Windows-1251 form, typed or pasted (the
// rest of a paste is taken), so that what the user sees is exactly what is saved.
void RefuseNonCp1251(HWND edit);

}  // namespace quorrel::win32
