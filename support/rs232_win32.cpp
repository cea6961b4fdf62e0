#include <windows.h>

#include <iterator>

#include "support/rs232_native.h"
#include "support/wide_text.h"

namespace zv::detail {

struct NativePort {
  HANDLE handle = INVALID_HANDLE_VALUE;
};

namespace {

struct SystemErrorKind {
  ::DWORD error;
  PortErrorKind kind;
};

// With share mode 0, "access denied" on a COM port means that another
// program has it open. Wine reports a device that another program holds
// exclusively (a POSIX terminal in exclusive mode) as a lock violation.
constexpr SystemErrorKind kOpenErrors[] = {
    {ERROR_FILE_NOT_FOUND, PortErrorKind::NoDevice},
    {ERROR_PATH_NOT_FOUND, PortErrorKind::NoDevice},
    {ERROR_INVALID_NAME, PortErrorKind::NoDevice},
    {ERROR_DEV_NOT_EXIST, PortErrorKind::NoDevice},
    {ERROR_ACCESS_DENIED, PortErrorKind::Busy},
    {ERROR_SHARING_VIOLATION, PortErrorKind::Busy},
    {ERROR_BUSY, PortErrorKind::Busy},
    {ERROR_LOCK_VIOLATION, PortErrorKind::Busy},
    {ERROR_INVALID_FUNCTION, PortErrorKind::NotSerial},
    {ERROR_NOT_SUPPORTED, PortErrorKind::NotSerial},
};

PortErrorKind KindOf(::DWORD error) {
  for (const SystemErrorKind& entry : kOpenErrors) {
    if (entry.error == error) return entry.kind;
  }
  return PortErrorKind::Other;
}

// The system's own words for an error code (in the user's language, hence
// UTF-16 and then UTF-8), without the trailing full stop and line break.
std::string SystemText(::DWORD error) {
  wchar_t text[512] = {};
  const ::DWORD length = FormatMessageW(
      FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
      error, 0, text, static_cast<::DWORD>(std::size(text)), nullptr);
  std::wstring message(text, length);
  while (!message.empty() &&
         (message.back() == L'\r' || message.back() == L'\n' ||
          message.back() == L'.' || message.back() == L' ')) {
    message.pop_back();
  }
  return Utf8FromWide(message);
}

NativePortPtr Fail(PortError& error, ::DWORD systemError, PortErrorKind kind) {
  error.kind = kind;
  error.systemText = SystemText(systemError);
  return nullptr;
}

NativePortPtr Fail(PortError& error, ::DWORD systemError) {
  return Fail(error, systemError, KindOf(systemError));
}

// 8 data bits, no parity, 1 stop bit, no flow control, every byte passed
// through; DTR and RTS raised.
void SetFrame(DCB& dcb, DWORD baud) {
  dcb.BaudRate = baud;
  dcb.ByteSize = 8;
  dcb.Parity = NOPARITY;
  dcb.StopBits = ONESTOPBIT;
  dcb.fBinary = TRUE;
  dcb.fParity = FALSE;
  dcb.fOutxCtsFlow = FALSE;
  dcb.fOutxDsrFlow = FALSE;
  dcb.fDtrControl = DTR_CONTROL_ENABLE;
  dcb.fDsrSensitivity = FALSE;
  dcb.fTXContinueOnXoff = TRUE;
  dcb.fOutX = FALSE;
  dcb.fInX = FALSE;
  dcb.fErrorChar = FALSE;
  dcb.fNull = FALSE;
  dcb.fRtsControl = RTS_CONTROL_ENABLE;
  dcb.fAbortOnError = FALSE;
}

}  // namespace

void NativePortCloser::operator()(NativePort* port) const {
  CloseHandle(port->handle);
  delete port;
}

NativePortPtr OpenNativePort(const std::string& device, DWORD baud,
                             const PortTimeouts& timeouts, PortError& error) {
  // The device comes from the settings file as UTF-8.
  const std::wstring name = WideFromUtf8(device);
  HANDLE handle = CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                              nullptr, OPEN_EXISTING, 0, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    const ::DWORD systemError = GetLastError();
    // A folder refuses access too, but no other program holds it.
    const ::DWORD attributes = GetFileAttributesW(name.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
      return Fail(error, systemError, PortErrorKind::NotSerial);
    }
    return Fail(error, systemError);
  }
  NativePortPtr port(new NativePort{handle});
  if (GetFileType(handle) != FILE_TYPE_CHAR) {
    error.kind = PortErrorKind::NotSerial;
    return nullptr;
  }
  DCB dcb{};
  dcb.DCBlength = sizeof dcb;
  if (!GetCommState(handle, &dcb)) {
    return Fail(error, GetLastError(), PortErrorKind::NotSerial);
  }
  SetFrame(dcb, baud);
  if (!SetCommState(handle, &dcb)) {
    return Fail(error, GetLastError(), PortErrorKind::Other);
  }
  COMMTIMEOUTS limits{timeouts.readInterval, timeouts.readTotalMultiplier,
                      timeouts.readTotalConstant, timeouts.writeTotalMultiplier,
                      timeouts.writeTotalConstant};
  if (!SetCommTimeouts(handle, &limits)) {
    return Fail(error, GetLastError(), PortErrorKind::Other);
  }
  return port;
}

// The driver applies the time-outs given to SetCommTimeouts, so the plan
// is not needed here.
NativeRead ReadNativePort(NativePort& port, BYTE* buffer, DWORD max,
                          const ReadPlan&,
                          std::chrono::steady_clock::time_point) {
  ::DWORD got = 0;
  BOOL ok = ReadFile(port.handle, buffer, max, &got, nullptr);
  NativeRead result;
  result.count = got;
  result.failed = !ok;
  return result;
}

void SetNativeDtr(NativePort& port, bool raised) {
  // A line without modem control refuses; that is fine.
  EscapeCommFunction(port.handle, raised ? SETDTR : CLRDTR);
}

}  // namespace zv::detail
