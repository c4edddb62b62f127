#include "FileHandle.h"

namespace quorrel {

bool WriteAll(HANDLE handle, std::string_view bytes, DWORD& error) {
    constexpr std::size_t kChunk = std::size_t{1} << 30;
    error = 0;
    while (!bytes.empty()) {
        const auto n = static_cast<DWORD>(bytes.size() < kChunk ? bytes.size() : kChunk);
        DWORD written = 0;
        if (!::WriteFile(handle, bytes.data(), n, &written, nullptr)) {
            error = ::GetLastError();
            return false;
        }
        if (written == 0) {
            return false;
        }
        bytes.remove_prefix(written);
    }
    return true;
}

}  // namespace quorrel
