#include "FileLikenessWindows.h"

#include <aclapi.h>

namespace quorrel {

FileLikeness::~FileLikeness() {
    if (original_ != nullptr) {
        ::LocalFree(original_);
    }
}

bool FileLikeness::Take(HANDLE file, DWORD attributes) {
    PACL dacl = nullptr;
    if (::GetSecurityInfo(file, SE_FILE_OBJECT,
                          OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, &owner_, nullptr,
                          &dacl, nullptr, &original_) != ERROR_SUCCESS) {
        return false;
    }
    // Protected, so that a copy kept in another folder takes nothing from that folder either.
    // A replaced file gets its own list back from ReplaceFileW.
    if (!::InitializeSecurityDescriptor(&copy_, SECURITY_DESCRIPTOR_REVISION) ||
        !::SetSecurityDescriptorDacl(&copy_, TRUE, dacl, FALSE) ||
        !::SetSecurityDescriptorControl(&copy_, SE_DACL_PROTECTED, SE_DACL_PROTECTED)) {
        return false;
    }
    attributes_ = {sizeof attributes_, &copy_, FALSE};
    flags_ = (attributes & FILE_ATTRIBUTE_ENCRYPTED) != 0 ? FILE_ATTRIBUTE_ENCRYPTED
                                                          : FILE_ATTRIBUTE_NORMAL;
    taken_ = true;
    return true;
}

bool FileLikeness::Holds(HANDLE made) const {
    BY_HANDLE_FILE_INFORMATION info{};
    return (flags_ & FILE_ATTRIBUTE_ENCRYPTED) == 0 ||
           (::GetFileInformationByHandle(made, &info) &&
            (info.dwFileAttributes & FILE_ATTRIBUTE_ENCRYPTED) != 0);
}

bool FileLikeness::SameOwner(HANDLE file) const {
    if (!taken_) {
        return true;
    }
    PSID owner = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (::GetSecurityInfo(file, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr,
                          nullptr, nullptr, &descriptor) != ERROR_SUCCESS) {
        return false;
    }
    const bool same = owner_ != nullptr && owner != nullptr && ::EqualSid(owner_, owner);
    ::LocalFree(descriptor);
    return same;
}

}  // namespace quorrel
