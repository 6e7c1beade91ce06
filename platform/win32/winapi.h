// The few Win32 calls the module makes: library and string resources on dlopen, local files on
// POSIX descriptors, the thread's last error and its system text.
#pragma once

#include <cstdint>

using HMODULE = void*;
using HANDLE = void*;
using UINT = unsigned int;
using BOOL = int;
using DWORD = std::uint32_t;
using LPDWORD = DWORD*;
using LPVOID = void*;
using LPCVOID = const void*;

constexpr BOOL TRUE = 1;
constexpr BOOL FALSE = 0;

// "name.dll" loads libname.so from the library folder (or the loader's search path); null when
// the library cannot be loaded.
HMODULE LoadLibraryA(const char* fileName);
// Copies string `id` of the library's string table into buffer (at most bufferMax - 1 bytes,
// always zero-terminated) and returns its length; 0 when there is no such string.
int LoadStringA(HMODULE module, UINT id, char* buffer, int bufferMax);
int FreeLibrary(HMODULE module);

// What a string-table library exports: the UTF-8 text of a string id, or null.
using TvResourceStringFn = const char*(unsigned int id);
constexpr const char* kTvResourceStringSymbol = "tv_resource_string";

// Local files. Only what reading an existing file needs: the access, share, disposition and
// attribute values are accepted as the Win32 constants and otherwise ignored.
constexpr DWORD GENERIC_READ = 0x80000000;
constexpr DWORD GENERIC_WRITE = 0x40000000;
constexpr DWORD FILE_SHARE_READ = 0x00000001;
constexpr DWORD OPEN_EXISTING = 3;
constexpr DWORD FILE_ATTRIBUTE_NORMAL = 0x80;
constexpr DWORD INVALID_FILE_SIZE = 0xFFFFFFFF;
inline HANDLE const INVALID_HANDLE_VALUE = reinterpret_cast<HANDLE>(std::intptr_t{-1});

HANDLE CreateFileA(const char* fileName, DWORD desiredAccess, DWORD shareMode,
                   void* securityAttributes, DWORD creationDisposition, DWORD flagsAndAttributes,
                   HANDLE templateFile);
// The low 32 bits of the size; the high 32 bits into *fileSizeHigh when it is not null.
DWORD GetFileSize(HANDLE file, LPDWORD fileSizeHigh);
BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD bytesToRead, LPDWORD bytesRead, void* overlapped);
BOOL CloseHandle(HANDLE object);

// The calling thread's last error: Win32 codes (ERROR_FILE_NOT_FOUND, ...) for system calls and
// the network layer's own codes (12000 and up) for its calls.
constexpr DWORD ERROR_SUCCESS = 0;
constexpr DWORD ERROR_FILE_NOT_FOUND = 2;
constexpr DWORD ERROR_PATH_NOT_FOUND = 3;
constexpr DWORD ERROR_ACCESS_DENIED = 5;
constexpr DWORD ERROR_INVALID_HANDLE = 6;
constexpr DWORD ERROR_NOT_ENOUGH_MEMORY = 8;
constexpr DWORD ERROR_READ_FAULT = 30;
constexpr DWORD ERROR_SHARING_VIOLATION = 32;
constexpr DWORD ERROR_INVALID_PARAMETER = 87;
constexpr DWORD ERROR_INSUFFICIENT_BUFFER = 122;
constexpr DWORD ERROR_FILE_TOO_LARGE = 223;
DWORD GetLastError();
void SetLastError(DWORD errorCode);
// Win32 code of a POSIX errno value.
DWORD Win32ErrorOfErrno(int errnoValue);

// FORMAT_MESSAGE_FROM_SYSTEM: the system's text of a Win32 code, in the operator's language
// (Chinese). Codes the system table does not hold (the network layer's own) give no text: 0 is
// returned and the buffer is left as it was.
constexpr DWORD FORMAT_MESSAGE_ARGUMENT_ARRAY = 0x00002000;
constexpr DWORD FORMAT_MESSAGE_FROM_SYSTEM = 0x00001000;
DWORD FormatMessageA(DWORD flags, LPCVOID source, DWORD messageId, DWORD languageId, char* buffer,
                     DWORD size, void* arguments);

void Sleep(DWORD milliseconds);
