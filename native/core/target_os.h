// The two operating systems an app folder can be made for. The launcher
// and the checker mean the one they run on; the packager may make a folder
// for the other.
#pragma once

enum class TargetOs { Linux, Windows };

#ifdef _WIN32
constexpr TargetOs hostOs = TargetOs::Windows;
#else
constexpr TargetOs hostOs = TargetOs::Linux;
#endif
