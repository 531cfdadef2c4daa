// UTF-8 and the UTF-16 of the Windows API.
#include "wide_text.h"

#include <windows.h>

std::wstring wideFromUtf8(const std::string& text) {
  int count = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                  nullptr, 0);
  std::wstring wide(static_cast<size_t>(count), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &wide[0],
                      count);
  return wide;
}

std::string utf8FromWide(const wchar_t* text) {
  int count = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
  if (count <= 1) return "";
  std::string narrow(static_cast<size_t>(count), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text, -1, &narrow[0], count, nullptr, nullptr);
  narrow.resize(static_cast<size_t>(count - 1));
  return narrow;
}
