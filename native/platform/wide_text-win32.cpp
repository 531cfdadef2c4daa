#include "wide_text-win32.h"

#include <windows.h>
#include <shellapi.h>

namespace {

std::wstring toWide(UINT codePage, const std::string& text) {
  if (text.empty()) return std::wstring();
  const int size = static_cast<int>(text.size());
  int length = MultiByteToWideChar(codePage, 0, text.data(), size, nullptr, 0);
  std::wstring wide(static_cast<size_t>(length), L'\0');
  MultiByteToWideChar(codePage, 0, text.data(), size, &wide[0], length);
  return wide;
}

}  // namespace

std::wstring wideFromUtf8(const std::string& utf8) { return toWide(CP_UTF8, utf8); }

std::string utf8FromWide(const std::wstring& wide) {
  if (wide.empty()) return std::string();
  const int size = static_cast<int>(wide.size());
  int length = WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
  std::string text(static_cast<size_t>(length), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, &text[0], length, nullptr, nullptr);
  return text;
}

bool toCodePage(const std::wstring& wide, unsigned codePage, std::string* out) {
  out->clear();
  if (wide.empty()) return true;
  if (codePage == CP_UTF8) {
    *out = utf8FromWide(wide);
    return true;
  }
  const int size = static_cast<int>(wide.size());
  BOOL lossy = FALSE;
  int length = WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, wide.data(), size,
                                   nullptr, 0, nullptr, &lossy);
  if (length <= 0 || lossy) return false;
  out->assign(static_cast<size_t>(length), '\0');
  WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, wide.data(), size, &(*out)[0], length,
                      nullptr, &lossy);
  return !lossy;
}

std::string codePageToUtf8(const std::string& text, unsigned codePage) {
  return utf8FromWide(toWide(codePage, text));
}

std::vector<std::string> utf8CommandLine() {
  int count = 0;
  wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
  std::vector<std::string> result;
  if (!arguments) return result;
  for (int i = 0; i < count; ++i) result.push_back(utf8FromWide(arguments[i]));
  LocalFree(arguments);
  return result;
}

namespace {

/// Quotes one argument as the C runtime's command-line parser reads it back.
std::wstring quoteArgument(const std::wstring& argument) {
  if (!argument.empty() && argument.find_first_of(L" \t\"") == std::wstring::npos)
    return argument;
  std::wstring quoted = L"\"";
  size_t backslashes = 0;
  for (wchar_t c : argument) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    quoted.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
    backslashes = 0;
    quoted += c;
  }
  quoted.append(backslashes * 2, L'\\');
  return quoted + L"\"";
}

}  // namespace

std::wstring commandLineOf(const std::vector<std::string>& arguments) {
  std::wstring line;
  for (const std::string& argument : arguments)
    line += (line.empty() ? L"" : L" ") + quoteArgument(wideFromUtf8(argument));
  return line;
}

bool isUtf8(const std::string& text) {
  return text.empty() || MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(),
                                             static_cast<int>(text.size()), nullptr, 0) > 0;
}
