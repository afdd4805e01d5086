// The Windows random source and private files.

#include <windows.h>

#include <bcrypt.h>
#include <sddl.h>

#include <string>

#include "common/os_random.h"
#include "common/text.h"

namespace winhelper {

bool os_random_bytes(std::span<std::uint8_t> out) {
  return BCryptGenRandom(nullptr, out.data(), static_cast<ULONG>(out.size()),
                         BCRYPT_USE_SYSTEM_PREFERRED_RNG) == 0;
}

namespace {

// "D:P(A;;FA;;;<sid>)": full access for the process's user, no inherited entries.
std::wstring user_only_descriptor() {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return {};
  DWORD size = 0;
  GetTokenInformation(token, TokenUser, nullptr, 0, &size);
  std::string buffer(size, '\0');
  std::wstring out;
  if (size != 0 && GetTokenInformation(token, TokenUser, buffer.data(), size, &size)) {
    LPWSTR sid = nullptr;
    if (ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid, &sid)) {
      out = std::wstring(L"D:P(A;;FA;;;") + sid + L")";
      LocalFree(sid);
    }
  }
  CloseHandle(token);
  return out;
}

}  // namespace

bool write_private_file(const std::string& path, const std::string& content) {
  std::wstring descriptor = user_only_descriptor();
  if (descriptor.empty()) return false;
  PSECURITY_DESCRIPTOR sd = nullptr;
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(descriptor.c_str(), SDDL_REVISION_1,
                                                            &sd, nullptr)) {
    return false;
  }
  std::u16string path16 = utf8_to_utf16(path);
  std::wstring wide(path16.begin(), path16.end());
  DeleteFileW(wide.c_str());
  SECURITY_ATTRIBUTES attributes{sizeof(attributes), sd, FALSE};
  HANDLE file = CreateFileW(wide.c_str(), GENERIC_WRITE, 0, &attributes, CREATE_NEW,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  LocalFree(sd);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  bool ok = WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written,
                      nullptr) &&
            written == content.size();
  ok = CloseHandle(file) && ok;
  return ok;
}

}  // namespace winhelper
