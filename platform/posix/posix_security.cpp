#include "platform/posix/posix_security.h"

#include <cstring>

namespace platform::posix {
namespace {

constexpr uint32_t kErrorInsufficientBuffer = 122;
constexpr uint32_t kErrorInvalidHandle = 6;
constexpr uint32_t kErrorInvalidParameter = 87;

Handle const kProcessPseudoHandle = reinterpret_cast<Handle>(static_cast<intptr_t>(-1));
Handle const kTokenHandle = reinterpret_cast<Handle>(static_cast<intptr_t>(0x7A4));

thread_local uint32_t t_lastError = 0;

// Revision, sub-authority count, identifier authority, then four bytes per sub-authority.
uint32_t SidLength(const void* sid) {
  const auto* bytes = static_cast<const unsigned char*>(sid);
  return 8 + 4 * static_cast<uint32_t>(bytes[1]);
}

bool Fail(uint32_t error) {
  t_lastError = error;
  return false;
}

}  // namespace

Handle PosixSecurity::GetCurrentProcess() {
  return kProcessPseudoHandle;
}

bool PosixSecurity::OpenProcessToken(Handle process, uint32_t, Handle* token) {
  if (!token || process != kProcessPseudoHandle) return Fail(kErrorInvalidHandle);
  *token = nullptr;
  if (!TokenOpens()) return Fail(ERROR_ACCESS_DENIED_T);
  *token = kTokenHandle;
  return true;
}

bool PosixSecurity::GetTokenInformation(Handle token, int infoClass, void* buffer, uint32_t length,
                                        uint32_t* returnLength) {
  if (token != kTokenHandle || !returnLength) return Fail(kErrorInvalidHandle);
  if (infoClass != TokenUserClass) return Fail(kErrorInvalidParameter);
  const std::vector<unsigned char> sid = UserSid();
  const auto needed = static_cast<uint32_t>(sizeof(TOKEN_USER_DATA) + sid.size());
  *returnLength = needed;
  if (!buffer || length < needed) return Fail(kErrorInsufficientBuffer);
  auto* bytes = static_cast<unsigned char*>(buffer);
  std::memcpy(bytes + sizeof(TOKEN_USER_DATA), sid.data(), sid.size());
  const TOKEN_USER_DATA user{bytes + sizeof(TOKEN_USER_DATA), 0};
  std::memcpy(bytes, &user, sizeof(user));
  return true;
}

bool PosixSecurity::CopySid(uint32_t destinationLength, void* destination, void* source) {
  if (!destination || !source) return Fail(kErrorInvalidParameter);
  const uint32_t length = SidLength(source);
  if (destinationLength < length) return Fail(kErrorInsufficientBuffer);
  std::memcpy(destination, source, length);
  return true;
}

uint32_t PosixSecurity::GetLengthSid(void* sid) {
  return sid ? SidLength(sid) : 0;
}

uint32_t PosixSecurity::GetLastError() {
  return t_lastError;
}

bool PosixSecurity::CloseHandle(Handle handle) {
  return handle == kTokenHandle ? true : Fail(kErrorInvalidHandle);
}

}  // namespace platform::posix
