// UTF-8 and the UTF-16 of the Windows API (Windows builds only).
#pragma once

#include <string>

std::wstring wideFromUtf8(const std::string& text);
std::string utf8FromWide(const wchar_t* text);
