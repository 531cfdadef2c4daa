#include "instance_channel.h"

#include <windows.h>
#include <aclapi.h>

#include <cstdio>
#include <vector>

#include "wide_text-win32.h"

namespace {

HANDLE native(intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

DWORD millisecondsUntil(Deadline deadline) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
      deadline - std::chrono::steady_clock::now());
  return left.count() <= 0 ? 0 : static_cast<DWORD>(left.count()) + 1;
}

/// The user's SID (the token's user), as bytes; empty when unknown.
std::vector<char> userSid() {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return {};
  DWORD size = 0;
  GetTokenInformation(token, TokenUser, nullptr, 0, &size);
  std::vector<char> buffer(size);
  std::vector<char> sid;
  if (size && GetTokenInformation(token, TokenUser, buffer.data(), size, &size)) {
    PSID user = reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid;
    const char* bytes = static_cast<const char*>(user);
    sid.assign(bytes, bytes + GetLengthSid(user));
  }
  CloseHandle(token);
  return sid;
}

/// `path` in capitals: Windows paths name the same folder in any case.
std::string foldedPath(const std::string& path) {
  std::wstring wide = wideFromUtf8(path);
  if (!wide.empty())
    LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, wide.data(),
                  static_cast<int>(wide.size()), &wide[0], static_cast<int>(wide.size()),
                  nullptr, nullptr, 0);
  return utf8FromWide(wide);
}

/// A security descriptor that the user owns and only the user may use.
struct UserOnly {
  std::vector<char> sid;
  std::vector<char> acl;
  SECURITY_DESCRIPTOR descriptor{};
  SECURITY_ATTRIBUTES attributes{};

  explicit UserOnly(std::vector<char> user) : sid(std::move(user)) {
    PSID owner = sid.data();
    acl.resize(sizeof(ACL) + sizeof(ACCESS_ALLOWED_ACE) + sid.size());
    PACL list = reinterpret_cast<PACL>(acl.data());
    InitializeAcl(list, static_cast<DWORD>(acl.size()), ACL_REVISION);
    AddAccessAllowedAce(list, ACL_REVISION, FILE_ALL_ACCESS, owner);
    InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION);
    SetSecurityDescriptorOwner(&descriptor, owner, FALSE);
    SetSecurityDescriptorDacl(&descriptor, TRUE, list, FALSE);
    attributes = {sizeof attributes, &descriptor, FALSE};
  }
};

/// False when the pipe `handle` is owned by someone other than `sid`; true
/// also when the system cannot tell.
bool ownedBy(HANDLE handle, const std::vector<char>& sid) {
  PSID owner = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (GetSecurityInfo(handle, SE_KERNEL_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr,
                      nullptr, nullptr, &descriptor) != ERROR_SUCCESS)
    return true;
  const bool same = owner && EqualSid(owner, const_cast<char*>(sid.data()));
  LocalFree(descriptor);
  return same;
}

/// Waits for an overlapped operation on `handle`; the bytes moved, or -1
/// when it failed or the deadline passed (it is cancelled then).
long finish(HANDLE handle, OVERLAPPED& overlapped, BOOL started, Deadline deadline) {
  DWORD moved = 0;
  if (!started && GetLastError() != ERROR_IO_PENDING)
    return GetLastError() == ERROR_BROKEN_PIPE ? 0 : -1;
  if (WaitForSingleObject(overlapped.hEvent, millisecondsUntil(deadline)) != WAIT_OBJECT_0) {
    CancelIoEx(handle, &overlapped);
    GetOverlappedResult(handle, &overlapped, &moved, TRUE);
    return -1;
  }
  if (GetOverlappedResult(handle, &overlapped, &moved, FALSE)) return static_cast<long>(moved);
  return GetLastError() == ERROR_BROKEN_PIPE ? 0 : -1;
}

}  // namespace

InstanceConnection::InstanceConnection(intptr_t handle, bool listening)
    : handle_(handle),
      listening_(listening),
      event_(reinterpret_cast<intptr_t>(CreateEventW(nullptr, TRUE, FALSE, nullptr))) {}

InstanceConnection::~InstanceConnection() {
  if (listening_)
    DisconnectNamedPipe(native(handle_));
  else
    CloseHandle(native(handle_));
  if (event_) CloseHandle(native(event_));
}

bool InstanceConnection::write(const std::string& bytes, Deadline deadline) {
  size_t written = 0;
  while (written < bytes.size()) {
    OVERLAPPED overlapped{};
    overlapped.hEvent = native(event_);
    const BOOL started = WriteFile(native(handle_), bytes.data() + written,
                                   static_cast<DWORD>(bytes.size() - written), nullptr,
                                   &overlapped);
    const long moved = finish(native(handle_), overlapped, started, deadline);
    if (moved <= 0) return false;
    written += static_cast<size_t>(moved);
  }
  return true;
}

long InstanceConnection::read(char* buffer, size_t size, Deadline deadline) {
  OVERLAPPED overlapped{};
  overlapped.hEvent = native(event_);
  const BOOL started =
      ReadFile(native(handle_), buffer, static_cast<DWORD>(size), nullptr, &overlapped);
  return finish(native(handle_), overlapped, started, deadline);
}

unsigned long InstanceConnection::peerProcess() const {
  ULONG process = 0;
  const BOOL known = listening_ ? GetNamedPipeClientProcessId(native(handle_), &process)
                                : GetNamedPipeServerProcessId(native(handle_), &process);
  return known ? process : 0;
}

InstanceEndpoint::InstanceEndpoint(const std::string& appDirectory) {
  const std::vector<char> sid = userSid();
  if (sid.empty()) {
    problem_ = "the user's security identifier is unknown";
    return;
  }
  char name[48];
  std::snprintf(name, sizeof name, "\\\\.\\pipe\\vantrel-%016llx",
                static_cast<unsigned long long>(
                    instanceHash(std::string(sid.begin(), sid.end()) + '\n' +
                                 foldedPath(appDirectory))));
  name_ = name;
}

InstanceEndpoint::~InstanceEndpoint() {
  if (lock_ != -1) CloseHandle(native(lock_));
}

InstanceEndpoint::Claim InstanceEndpoint::claim() {
  if (name_.empty()) return Claim::unavailable;
  UserOnly security(userSid());
  // The first instance of the pipe is the lock: the system refuses a second
  // one, and the name is gone as soon as its process is.
  HANDLE pipe = CreateNamedPipeW(
      wideFromUtf8(name_).c_str(),
      PIPE_ACCESS_DUPLEX | FILE_FLAG_FIRST_PIPE_INSTANCE | FILE_FLAG_OVERLAPPED,
      PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT | PIPE_REJECT_REMOTE_CLIENTS, 1, 65536,
      65536, 0, &security.attributes);
  if (pipe != INVALID_HANDLE_VALUE) {
    lock_ = reinterpret_cast<intptr_t>(pipe);
    return Claim::first;
  }
  const DWORD error = GetLastError();
  if (error == ERROR_ACCESS_DENIED || error == ERROR_PIPE_BUSY) return Claim::taken;
  problem_ = "cannot create the pipe " + name_ + " (error " + std::to_string(error) + ")";
  return Claim::unavailable;
}

std::unique_ptr<InstanceConnection> InstanceEndpoint::accept() {
  HANDLE pipe = native(lock_);
  HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  for (;;) {
    OVERLAPPED overlapped{};
    overlapped.hEvent = event;
    DWORD unused = 0;
    bool connected = ConnectNamedPipe(pipe, &overlapped) != 0;
    if (!connected && GetLastError() == ERROR_IO_PENDING)
      connected = GetOverlappedResult(pipe, &overlapped, &unused, TRUE) != 0;
    else if (!connected)
      connected = GetLastError() == ERROR_PIPE_CONNECTED;
    if (connected) break;
    // A launch that came and went before it was seen leaves the pipe to reset.
    if (!DisconnectNamedPipe(pipe)) {
      CloseHandle(event);
      return nullptr;
    }
  }
  CloseHandle(event);
  return std::make_unique<InstanceConnection>(lock_, true);
}

std::unique_ptr<InstanceConnection> InstanceEndpoint::connect() {
  if (name_.empty()) return nullptr;
  const std::wstring name = wideFromUtf8(name_);
  // The running instance may identify the launch, never act as its user.
  HANDLE pipe = CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                            FILE_FLAG_OVERLAPPED | SECURITY_SQOS_PRESENT | SECURITY_IDENTIFICATION,
                            nullptr);
  if (pipe == INVALID_HANDLE_VALUE) {
    // Busy with another launch: wait a little for its turn to end.
    if (GetLastError() == ERROR_PIPE_BUSY) WaitNamedPipeW(name.c_str(), 250);
    return nullptr;
  }
  if (!ownedBy(pipe, userSid())) {
    problem_ = "the pipe " + name_ + " belongs to another user";
    CloseHandle(pipe);
    return nullptr;
  }
  return std::make_unique<InstanceConnection>(reinterpret_cast<intptr_t>(pipe), false);
}
