// The Internet functions the module's FTP client calls, with their Win32 names, arguments and
// constant values. Synchronous, one thread per handle; the last error and the server's last
// reply are kept per thread.
#pragma once

#include "winapi.h"

using HINTERNET = void*;
using INTERNET_PORT = unsigned short;
using DWORD_PTR = std::uintptr_t;

constexpr DWORD INTERNET_OPEN_TYPE_DIRECT = 1;
constexpr INTERNET_PORT INTERNET_DEFAULT_FTP_PORT = 21;
constexpr DWORD INTERNET_SERVICE_FTP = 1;
constexpr DWORD INTERNET_FLAG_PASSIVE = 0x08000000;
constexpr DWORD FTP_TRANSFER_TYPE_BINARY = 0x00000002;
constexpr DWORD INTERNET_FLAG_NO_CACHE_WRITE = 0x04000000;

// The network layer's own error codes (the system has no text for them).
constexpr DWORD ERROR_INTERNET_TIMEOUT = 12002;
constexpr DWORD ERROR_INTERNET_INTERNAL_ERROR = 12004;
constexpr DWORD ERROR_INTERNET_INVALID_URL = 12005;
constexpr DWORD ERROR_INTERNET_NAME_NOT_RESOLVED = 12007;
constexpr DWORD ERROR_INTERNET_INCORRECT_HANDLE_TYPE = 12018;
constexpr DWORD ERROR_INTERNET_LOGIN_FAILURE = 12015;
constexpr DWORD ERROR_INTERNET_CANNOT_CONNECT = 12029;
constexpr DWORD ERROR_INTERNET_CONNECTION_ABORTED = 12030;
constexpr DWORD ERROR_INTERNET_EXTENDED_ERROR = 12003;
constexpr DWORD ERROR_FTP_TRANSFER_IN_PROGRESS = 12110;

HINTERNET InternetOpenA(const char* agent, DWORD accessType, const char* proxy,
                        const char* proxyBypass, DWORD flags);
// Opens the FTP control connection and logs in; fails (null) when the server cannot be reached
// or refuses the login. Active mode unless INTERNET_FLAG_PASSIVE is given.
HINTERNET InternetConnectA(HINTERNET internet, const char* serverName, INTERNET_PORT serverPort,
                           const char* userName, const char* password, DWORD service, DWORD flags,
                           DWORD_PTR context);
// Starts storing `fileName` (relative to the login folder, or absolute) and returns the handle
// to write it through; null when the server refuses the file. Only GENERIC_WRITE is supported.
HINTERNET FtpOpenFileA(HINTERNET connect, const char* fileName, DWORD access, DWORD flags,
                       DWORD_PTR context);
// Hands the bytes to the transfer. When the server takes nothing for a while the call returns
// TRUE with fewer bytes written (possibly none); FALSE when the transfer has failed.
BOOL InternetWriteFile(HINTERNET file, LPCVOID buffer, DWORD numberOfBytesToWrite,
                       LPDWORD numberOfBytesWritten);
BOOL FtpRenameFileA(HINTERNET connect, const char* existing, const char* newName);
// Closing a file handle ends its transfer; FALSE when the server did not confirm the file.
BOOL InternetCloseHandle(HINTERNET internet);
// The server's last reply on this thread (all its lines), zero-terminated into buffer; the
// length needed when the buffer is too small (and FALSE).
BOOL InternetGetLastResponseInfoA(LPDWORD error, char* buffer, LPDWORD bufferLength);
