// A file written by the helper's write_private_file, as the token file is,
// in a fresh folder under the temporary folder; its access list read back,
// and both deleted.

#include <windows.h>

#include <aclapi.h>
#include <sddl.h>

#include "common/os_random.h"
#include "common/text.h"
#include "common/win32/platform_error_win32.h"
#include "common/win32/unique_handle.h"
#include "selftest/win32/system_probes_win32.h"

namespace winhelper::selftest {

namespace {

std::string sid_text(PSID sid) {
  LPWSTR text = nullptr;
  if (!ConvertSidToStringSidW(sid, &text)) return "(unreadable SID)";
  std::string out =
      utf16_to_utf8(std::u16string_view(reinterpret_cast<const char16_t*>(text)));
  LocalFree(text);
  return out;
}

std::string user_sid() {
  win32::UniqueHandle token;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.put())) return {};
  DWORD size = 0;
  GetTokenInformation(token.get(), TokenUser, nullptr, 0, &size);
  std::string buffer(size, '\0');
  if (size == 0 || !GetTokenInformation(token.get(), TokenUser, buffer.data(), size, &size)) return {};
  return sid_text(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid);
}

void read_acl(const std::wstring& path, FileAcl& out) {
  PACL dacl = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  const DWORD error = GetNamedSecurityInfoW(path.c_str(), SE_FILE_OBJECT,
                                            DACL_SECURITY_INFORMATION, nullptr, nullptr, &dacl,
                                            nullptr, &descriptor);
  if (error != ERROR_SUCCESS) {
    out.failure = "the token file's access list could not be read (error " +
                  std::to_string(error) + ")";
    return;
  }
  SECURITY_DESCRIPTOR_CONTROL control = 0;
  DWORD revision = 0;
  GetSecurityDescriptorControl(descriptor, &control, &revision);
  out.is_protected = (control & SE_DACL_PROTECTED) != 0;
  if (dacl == nullptr) {
    out.failure = "the token file has no access list: anyone may read it";
  } else {
    for (DWORD i = 0; i < dacl->AceCount; ++i) {
      void* ace = nullptr;
      if (!GetAce(dacl, i, &ace)) continue;
      const auto* header = static_cast<ACE_HEADER*>(ace);
      if (header->AceType == ACCESS_ALLOWED_ACE_TYPE || header->AceType == ACCESS_DENIED_ACE_TYPE) {
        // Both kinds lay out the mask and the SID alike.
        auto* entry = static_cast<ACCESS_ALLOWED_ACE*>(ace);
        out.entries.push_back({header->AceType == ACCESS_ALLOWED_ACE_TYPE,
                               sid_text(&entry->SidStart), entry->Mask});
      } else {
        out.entries.push_back({false, "(an entry of type " + std::to_string(header->AceType) + ")", 0});
      }
    }
  }
  LocalFree(descriptor);
}

}  // namespace

FileAcl probe_private_file(std::vector<std::wstring>& made) {
  FileAcl out;
  out.user_sid = user_sid();
  wchar_t temp[MAX_PATH + 1];
  const DWORD length = GetTempPathW(MAX_PATH + 1, temp);
  const std::optional<std::string> name = random_hex(8);
  if (length == 0 || length > MAX_PATH || !name) {
    out.failure = "no temporary folder to write in";
    return out;
  }
  const std::wstring folder = std::wstring(temp, length) + L"winhelper-selftest-" +
                              std::wstring(name->begin(), name->end());
  const std::wstring file = folder + L"\\mcp-token";
  made.push_back(folder);
  made.push_back(file);
  if (!CreateDirectoryW(folder.c_str(), nullptr)) {
    out.failure = "the temporary folder could not be made: " + last_error_text();
    return out;
  }
  const std::u16string file16(file.begin(), file.end());
  if (!write_private_file(utf16_to_utf8(file16), "selftest\n")) {
    out.failure = "the token file could not be written: " + last_error_text();
  } else {
    read_acl(file, out);
  }
  DeleteFileW(file.c_str());
  RemoveDirectoryW(folder.c_str());
  return out;
}

}  // namespace winhelper::selftest
