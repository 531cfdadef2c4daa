#include "vm_encoding.h"

#include <windows.h>

#include <cstdio>
#include <string>

#include "runtime_layout.h"
#include "wide_text-win32.h"

namespace {

/// Runtimes from this version on decode with the process's code page.
const int firstVersionWithProcessCodePage = 18;

UINT localeAnsiCodePage() {
  DWORD codePage = 0;
  if (GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_IDEFAULTANSICODEPAGE | LOCALE_RETURN_NUMBER,
                     reinterpret_cast<LPWSTR>(&codePage), sizeof codePage / sizeof(wchar_t)) == 0)
    return GetACP();
  // Locales without an ANSI code page (Unicode-only ones) report 0.
  return codePage == 0 ? GetACP() : codePage;
}

UINT runtimeCodePage(const std::string& runtimeHome) {
  const int version = runtimeFeatureVersion(runtimeHome);
  return version >= firstVersionWithProcessCodePage ? GetACP() : localeAnsiCodePage();
}

}  // namespace

std::string encodeVmOptions(const std::string& runtimeHome,
                            const std::vector<std::string*>& options) {
  const UINT codePage = runtimeCodePage(runtimeHome);
  if (codePage == CP_UTF8) return std::string();
  for (std::string* option : options) {
    // Bytes that are not UTF-8 pass as they are, as they always did.
    if (!isUtf8(*option)) continue;
    std::string converted;
    if (!toCodePage(wideFromUtf8(*option), codePage, &converted))
      return "the VM option " + *option + " holds characters that code page " +
             std::to_string(codePage) +
             " cannot represent; the Java runtime would receive it garbled";
    *option = converted;
  }
  return std::string();
}

void encodeVmOptionApproximately(const std::string& runtimeHome, std::string* option) {
  const UINT codePage = runtimeCodePage(runtimeHome);
  if (codePage == CP_UTF8 || !isUtf8(*option)) return;
  const std::wstring wide = wideFromUtf8(*option);
  const int size = static_cast<int>(wide.size());
  const int length = WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, wide.data(), size,
                                         nullptr, 0, "?", nullptr);
  if (length <= 0) return;
  std::string converted(static_cast<size_t>(length), '\0');
  WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, wide.data(), size, &converted[0], length,
                      "?", nullptr);
  *option = converted;
}
