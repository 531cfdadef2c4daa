#include "report.h"

#include <windows.h>
#include <io.h>

#include <cstdio>
#include <ctime>
#include <iostream>
#include <streambuf>

#include "platform.h"
#include "wide_text-win32.h"

namespace {

/// The most text kept: a runtime that writes on and on (diagnostic options)
/// must not fill the memory. The newest text is kept.
const size_t keptLimit = 256 * 1024;

/// The most lines a box shows; the log file has them all.
const size_t boxLines = 30;

/// A stream buffer that keeps what is written to it, up to keptLimit.
class KeepingBuffer : public std::streambuf {
 public:
  /// The runtime's threads write too, at any time.
  void keep(const char* s, size_t n) {
    AcquireSRWLockExclusive(&lock_);
    text_.append(s, n);
    if (text_.size() > keptLimit) text_.erase(0, text_.size() - keptLimit / 2);
    ReleaseSRWLockExclusive(&lock_);
  }

  /// Takes the kept text away.
  std::string take() {
    AcquireSRWLockExclusive(&lock_);
    std::string taken;
    taken.swap(text_);
    ReleaseSRWLockExclusive(&lock_);
    return taken;
  }

 protected:
  int_type overflow(int_type c) override {
    if (c != traits_type::eof()) {
      const char byte = traits_type::to_char_type(c);
      keep(&byte, 1);
    }
    return traits_type::not_eof(c);
  }
  std::streamsize xsputn(const char* s, std::streamsize n) override {
    keep(s, static_cast<size_t>(n));
    return n;
  }

 private:
  SRWLOCK lock_ = SRWLOCK_INIT;
  std::string text_;
};

/// The last boxLines lines of `text`, after a line that says so when more.
std::string lastLines(const std::string& text) {
  size_t start = text.size();
  if (start > 0 && text.back() == '\n') --start;
  for (size_t lines = 0; lines < boxLines && start != std::string::npos && start > 0; ++lines)
    start = text.rfind('\n', start - 1);
  if (start == std::string::npos || start == 0) return text;
  return "...\n" + text.substr(start + 1);
}

/// A stream buffer that writes UTF-8 to a console as UTF-16, so that every
/// character shows whatever the console's code page.
class ConsoleBuffer : public std::streambuf {
 public:
  explicit ConsoleBuffer(HANDLE console) : console_(console) {}

 protected:
  int_type overflow(int_type c) override {
    if (c != traits_type::eof()) pending_ += traits_type::to_char_type(c);
    if (c == '\n') sync();
    return traits_type::not_eof(c);
  }
  std::streamsize xsputn(const char* s, std::streamsize n) override {
    pending_.append(s, static_cast<size_t>(n));
    return n;
  }
  int sync() override {
    const size_t complete = completeLength(pending_);
    const std::wstring wide = wideFromUtf8(pending_.substr(0, complete));
    pending_.erase(0, complete);
    DWORD written = 0;
    if (!wide.empty())
      WriteConsoleW(console_, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
    return 0;
  }

 private:
  /// The length of `text` without a character cut short at its end.
  static size_t completeLength(const std::string& text) {
    size_t start = text.size();
    for (size_t back = 1; back <= 3 && back <= text.size(); ++back) {
      const unsigned char byte = static_cast<unsigned char>(text[text.size() - back]);
      if ((byte & 0xC0) == 0x80) continue;  // a continuation byte
      const size_t length = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC0 ? 2 : 1;
      if (length > back) start = text.size() - back;
      break;
    }
    return start;
  }

  HANDLE console_;
  std::string pending_;
};

/// The console behind a C stream, or null when it leads elsewhere.
HANDLE consoleOf(std::FILE* stream) {
  HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
  DWORD mode = 0;
  return handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode) ? handle : nullptr;
}

/// Messages to a console go as UTF-16; to files and pipes as UTF-8 bytes.
void writeUtf16ToConsoles() {
  if (HANDLE console = consoleOf(stderr)) std::cerr.rdbuf(new ConsoleBuffer(console));
  if (HANDLE console = consoleOf(stdout)) std::cout.rdbuf(new ConsoleBuffer(console));
}

KeepingBuffer* kept = nullptr;  // set while nobody sees standard error
std::wstring boxTitle;

bool standardErrorUsable() {
  HANDLE handle = GetStdHandle(STD_ERROR_HANDLE);
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return false;
  SetLastError(NO_ERROR);
  return GetFileType(handle) != FILE_TYPE_UNKNOWN || GetLastError() == NO_ERROR;
}

/// %LOCALAPPDATA%\<appName>\launcher.log, the folder created; empty when
/// there is no such folder.
std::wstring logFilePath() {
  const std::string base = userLocalDataDirectory();
  if (base.empty()) return std::wstring();
  std::wstring folder = wideFromUtf8(base) + L"\\" + boxTitle;
  if (!CreateDirectoryW(folder.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
    return std::wstring();
  return folder + L"\\launcher.log";
}

/// Appends the messages under a line with the local time, lines ending in
/// CR LF as Windows editors expect; false on failure.
bool appendToLog(const std::wstring& path, const std::string& text) {
  std::FILE* log = _wfopen(path.c_str(), L"ab");
  if (!log) return false;
  char stamp[64];
  std::time_t now = std::time(nullptr);
  std::strftime(stamp, sizeof stamp, "--- %Y-%m-%d %H:%M:%S ---\n", std::localtime(&now));
  std::string lines;
  for (char c : stamp + text) {
    if (c == '\n' && (lines.empty() || lines.back() != '\r')) lines += '\r';
    lines += c;
  }
  if (lines.back() != '\n') lines += "\r\n";
  std::fwrite(lines.data(), 1, lines.size(), log);
  return std::fclose(log) == 0;
}

}  // namespace

void setUpReport(const std::string& appName) {
  boxTitle = wideFromUtf8(appName.empty() ? "Vantrel" : appName);
  writeUtf16ToConsoles();
  if (GetConsoleWindow() || standardErrorUsable()) return;
  kept = new KeepingBuffer;  // lives as long as the process
  std::cerr.rdbuf(kept);
}

bool reportIsKept() { return kept != nullptr; }

void keepReportText(const std::string& text) {
  if (kept) kept->keep(text.data(), text.size());
}

void showFailure() {
  if (!kept) return;
  const std::string text = kept->take();
  if (text.empty()) return;
  std::wstring message = wideFromUtf8(lastLines(text));
  const std::wstring log = logFilePath();
  if (!log.empty() && appendToLog(log, text))
    message += L"\nThese lines were also written to " + log + L".";
  MessageBoxW(nullptr, message.c_str(), boxTitle.c_str(),
              MB_OK | MB_ICONERROR | MB_SETFOREGROUND);
}

void showFailureOnExit(int status) {
  if (status != 0) {
    showFailure();
    return;
  }
  // A run that went well shows no box, but what it warned of is not lost.
  const std::string text = kept ? kept->take() : std::string();
  const std::wstring log = text.empty() ? std::wstring() : logFilePath();
  if (!log.empty()) appendToLog(log, text);
}
