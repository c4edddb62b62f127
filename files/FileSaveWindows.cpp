#include <windows.h>

#include <optional>
#include <random>
#include <vector>

#include "AtomicReplace.h"
#include "FileHandle.h"
#include "Win32Path.h"

namespace quorrel {

namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

ReplaceResult Fail(DWORD error) {
    return {ReplaceResult::Status::Failed, static_cast<int>(error)};
}

std::wstring RandomSuffix() {
    static std::minstd_rand generator(static_cast<unsigned>(::GetTickCount64()) ^
                                      ::GetCurrentProcessId());
    constexpr wchar_t kLetters[] = L"abcdefghijklmnopqrstuvwxyz0123456789";
    std::wstring suffix(8, L'x');
    for (wchar_t& c : suffix) {
        c = kLetters[generator() % (std::size(kLetters) - 1)];
    }
    return suffix;
}

// The final path of an existing link, so the file it names is replaced and the link stays.
std::wstring FinalPath(HANDLE handle, const std::wstring& fallback) {
    std::vector<wchar_t> buffer(MAX_PATH);
    for (int attempt = 0; attempt < 4; ++attempt) {
        const DWORD n = ::GetFinalPathNameByHandleW(handle, buffer.data(),
                                                    static_cast<DWORD>(buffer.size()), 0);
        if (n == 0) {
            return fallback;
        }
        if (n < buffer.size()) {
            return std::wstring(buffer.data(), n);
        }
        buffer.resize(n + 1);
    }
    return fallback;
}

struct Target {
    std::wstring path;
    bool exists = false;
};

// Nothing when the target cannot take a replacement: not a disk file, or not reachable.
std::optional<ReplaceResult> ProbeTarget(Target& target) {
    const FileHandle probe(::CreateFileW(target.path.c_str(), FILE_READ_ATTRIBUTES, kShareAll,
                                         nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS,
                                         nullptr));
    if (!probe.valid()) {
        const DWORD error = ::GetLastError();
        if (error == ERROR_FILE_NOT_FOUND) {
            return std::nullopt;
        }
        return ReplaceResult{ReplaceResult::Status::NoTemporary, static_cast<int>(error)};
    }
    BY_HANDLE_FILE_INFORMATION info{};
    if (::GetFileType(probe.get()) != FILE_TYPE_DISK ||
        !::GetFileInformationByHandle(probe.get(), &info) ||
        (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return ReplaceResult{ReplaceResult::Status::NotRegular, 0};
    }
    const DWORD own = ::GetFileAttributesW(target.path.c_str());
    if (own != INVALID_FILE_ATTRIBUTES && (own & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
        target.path = FinalPath(probe.get(), target.path);
    }
    target.exists = true;
    return std::nullopt;
}

struct Temporary {
    FileHandle file;
    std::wstring path;
};

bool CreateTemporary(const std::wstring& target, Temporary& out, DWORD& error) {
    const auto separator = target.find_last_of(L"\\/");
    const std::wstring directory =
        separator == std::wstring::npos ? std::wstring() : target.substr(0, separator + 1);
    const std::wstring name =
        separator == std::wstring::npos ? target : target.substr(separator + 1);
    const std::wstring stem = directory + L"." + name.substr(0, 200) + L".";
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::wstring candidate = Win32Path(stem + RandomSuffix() + L".tmp");
        FileHandle file(::CreateFileW(candidate.c_str(), GENERIC_READ | GENERIC_WRITE,
                                      FILE_SHARE_READ, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                                      nullptr));
        if (file.valid()) {
            out.file = std::move(file);
            out.path = std::move(candidate);
            return true;
        }
        error = ::GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) {
            return false;
        }
    }
    return false;
}

// The error a failed ReplaceFileW stands for; its own codes only say which step failed.
DWORD ReplaceError(DWORD error, const std::wstring& target) {
    if (error != ERROR_UNABLE_TO_REMOVE_REPLACED) {
        return error;
    }
    const DWORD attributes = ::GetFileAttributesW(target.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0
               ? ERROR_ACCESS_DENIED
               : ERROR_SHARING_VIOLATION;
}

}  // namespace

ReplaceResult ReplaceFileAtomically(const std::filesystem::path& path, std::string_view bytes) {
    Target target{Win32Path(path)};
    if (target.path.empty()) {
        return {ReplaceResult::Status::NoTemporary, ERROR_PATH_NOT_FOUND};
    }
    if (const auto refused = ProbeTarget(target)) {
        return *refused;
    }

    Temporary temp;
    DWORD error = 0;
    if (!CreateTemporary(target.path, temp, error)) {
        return {ReplaceResult::Status::NoTemporary, static_cast<int>(error)};
    }
    bool ok = WriteAll(temp.file.get(), bytes, error);
    if (ok && !::FlushFileBuffers(temp.file.get())) {
        ok = false;
        error = ::GetLastError();
    }
    if (const DWORD closeError = temp.file.Close(); ok && closeError != 0) {
        ok = false;
        error = closeError;
    }
    if (!ok) {
        ::DeleteFileW(temp.path.c_str());
        return Fail(error);
    }

    constexpr DWORD kMoveFlags = MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH;
    if (!target.exists) {
        if (!::MoveFileExW(temp.path.c_str(), target.path.c_str(), kMoveFlags)) {
            error = ::GetLastError();
            ::DeleteFileW(temp.path.c_str());
            return Fail(error);
        }
        return {};
    }
    if (::ReplaceFileW(target.path.c_str(), temp.path.c_str(), nullptr,
                       REPLACEFILE_IGNORE_MERGE_ERRORS | REPLACEFILE_IGNORE_ACL_ERRORS, nullptr,
                       nullptr)) {
        return {};
    }
    error = ::GetLastError();
    if (error == ERROR_UNABLE_TO_MOVE_REPLACEMENT || error == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2) {
        // The old file has already left its name; the temporary now holds the only copy of
        // the text, so it is kept if it cannot take the name either.
        if (::MoveFileExW(temp.path.c_str(), target.path.c_str(), kMoveFlags)) {
            return {};
        }
        return Fail(::GetLastError());
    }
    ::DeleteFileW(temp.path.c_str());
    return Fail(ReplaceError(error, target.path));
}

}  // namespace quorrel
