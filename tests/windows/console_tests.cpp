// Tests of the Windows launcher's console set-up and exit prompt, run under
// wine. The console calls go to a recording fake, since under wine a console
// can be neither attached nor watched.
#include "console-win32.h"

#include <io.h>

#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

namespace {

int failures = 0;

void expectEqual(const std::string& actual, const std::string& expected,
                 const std::string& what) {
  if (actual == expected) return;
  ++failures;
  std::fprintf(stderr, "FAILED %s\n  expected: %s\n  actual:   %s\n", what.c_str(),
               expected.c_str(), actual.c_str());
}

// --- The recording fake -----------------------------------------------------

std::string calls;
bool attachResult = false;
bool allocResult = false;

void note(const std::string& call) { calls += (calls.empty() ? "" : " ") + call; }

const char* streamName(std::FILE* stream) {
  if (stream == stdin) return "stdin";
  if (stream == stdout) return "stdout";
  if (stream == stderr) return "stderr";
  return "other";
}

bool fakeAttach() {
  note("attach");
  return attachResult;
}
void fakeFree() { note("free"); }
bool fakeAlloc() {
  note("alloc");
  return allocResult;
}
void fakeReopen(const char* path, const char* mode, std::FILE* stream) {
  note(std::string(streamName(stream)) + "=" + path + ":" + mode);
}
void fakeAtExit(void (*handler)()) {
  note(handler == pressEnterToExit ? "atexit(prompt)" : "atexit(other)");
}

const ConsoleApi fakeApi = {fakeAttach, fakeFree, fakeAlloc, fakeReopen, fakeAtExit};

// --- Console set-up cases -----------------------------------------------------

const char* const null = nullptr;
const std::string reopened = "stdin=CONIN$:r stdout=CONOUT$:w stderr=CONOUT$:w";

struct ConsoleCase {
  const char* name;
  std::vector<const char*> argv;  // argc is its size; a null entry follows
  bool attach;
  bool alloc;
  std::string expected;
};

const ConsoleCase consoleCases[] = {
    {"no flag, parent console", {"Vantrel.exe", "x"}, true, true, "attach " + reopened},
    {"no flag, no parent console", {"Vantrel.exe", "x"}, false, true, "attach"},
    {"no arguments at all", {}, true, true, "attach " + reopened},
    {"--console", {"Vantrel.exe", "--console"}, false, true,
     "free alloc " + reopened + " atexit(prompt)"},
    {"--CONSOLE", {"Vantrel.exe", "a", "--CONSOLE"}, false, true,
     "free alloc " + reopened + " atexit(prompt)"},
    {"--Console after -c", {"Vantrel.exe", "-c", "--Console"}, true, true,
     "free alloc " + reopened + " atexit(prompt)"},
    {"--console, no console to be had", {"Vantrel.exe", "--console"}, true, false,
     "free alloc"},
    {"--console=1", {"Vantrel.exe", "--console=1"}, true, true, "attach " + reopened},
    {"-console", {"Vantrel.exe", "-console"}, true, true, "attach " + reopened},
    {"--consoles", {"Vantrel.exe", "--consoles"}, false, true, "attach"},
    {"program path named --console", {"--console", "x"}, false, true,
     "free alloc " + reopened + " atexit(prompt)"},
    {"null entries skipped", {"Vantrel.exe", null, "--console", null}, false, true,
     "free alloc " + reopened + " atexit(prompt)"},
    {"only null entries", {null, null}, false, true, "attach"},
    {"twice: one console", {"--console", "--CONSOLE"}, false, true,
     "free alloc " + reopened + " atexit(prompt)"},
};

void testConsoleSetUp() {
  for (const ConsoleCase& c : consoleCases) {
    std::vector<char*> argv;
    for (const char* entry : c.argv) argv.push_back(const_cast<char*>(entry));
    argv.push_back(nullptr);
    calls.clear();
    attachResult = c.attach;
    allocResult = c.alloc;
    setUpConsole(static_cast<int>(c.argv.size()), argv.data(), fakeApi);
    expectEqual(calls, c.expected, c.name);
  }
}

void testEntriesBeyondArgcAreNotScanned() {
  char* argv[] = {const_cast<char*>("Vantrel.exe"), const_cast<char*>("--console"), nullptr};
  calls.clear();
  attachResult = false;
  setUpConsole(1, argv, fakeApi);
  expectEqual(calls, "attach", "entries beyond argc");
  calls.clear();
  setUpConsole(0, argv, fakeApi);
  expectEqual(calls, "attach", "argc 0");
}

// --- Exit prompt ----------------------------------------------------------------

std::string readAll(std::FILE* file) {
  std::rewind(file);
  std::string text;
  for (int c; (c = std::fgetc(file)) != EOF;) text += char(c);
  return text;
}

std::FILE* fileWith(const char* content) {
  std::FILE* file = std::tmpfile();
  std::fputs(content, file);
  std::rewind(file);
  return file;
}

void testPromptReadsOneCharacter() {
  std::FILE* input = fileWith("ab\n");
  std::FILE* output = std::tmpfile();
  promptForEnter(input, output);
  expectEqual(std::to_string(std::ftell(input)), "1", "prompt reads one character");
  expectEqual(readAll(output), "Press ENTER key to exit.", "prompt text, no line break");
  std::fclose(input);
  std::fclose(output);
}

void testPromptReturnsAtEndOfInput() {
  std::FILE* input = fileWith("");
  std::FILE* output = std::tmpfile();
  promptForEnter(input, output);
  expectEqual(readAll(output), "Press ENTER key to exit.", "prompt at end of input");
  std::fclose(input);
  std::fclose(output);
}

// --- C++ streams after re-opening ---------------------------------------------------

/// Re-opens a standard stream onto a file through the real console API, as
/// the entry does onto the console, writes through the C++ stream, and
/// checks that the text arrived in the file. The original handle is put back.
void checkStreamFollows(std::FILE* stream, std::ostream& cxxStream, const char* what) {
  int descriptor = _fileno(stream);
  std::fflush(stream);
  int saved = _dup(descriptor);
  char path[] = "vantrel-streamXXXXXX";
  _mktemp(path);
  systemConsoleApi.reopen(path, "w", stream);
  cxxStream << "through " << what << std::endl;
  std::fflush(stream);
  _dup2(saved, descriptor);
  _close(saved);
  std::FILE* file = std::fopen(path, "rb");
  std::string text = file ? readAll(file) : "(no file)";
  if (file) std::fclose(file);
  std::remove(path);
  expectEqual(text, std::string("through ") + what + "\r\n", std::string(what) + " follows");
}

}  // namespace

int main() {
  testConsoleSetUp();
  testEntriesBeyondArgcAreNotScanned();
  testPromptReadsOneCharacter();
  testPromptReturnsAtEndOfInput();
  checkStreamFollows(stdout, std::cout, "std::cout");
  checkStreamFollows(stderr, std::cerr, "std::cerr");
  if (failures) std::fprintf(stderr, "%d check(s) failed\n", failures);
  else std::fprintf(stderr, "all checks passed\n");
  return failures ? 1 : 0;
}
