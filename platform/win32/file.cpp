// Reading local files through Win32-shaped calls, on POSIX descriptors. A HANDLE is the
// descriptor plus one, so that a null handle is never a valid file.
#include "winapi.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>

namespace {

int descriptorOf(HANDLE file)
{
    return static_cast<int>(reinterpret_cast<std::intptr_t>(file)) - 1;
}

bool isFileHandle(HANDLE file)
{
    return file != nullptr && file != INVALID_HANDLE_VALUE && descriptorOf(file) >= 0;
}

void saveErrno()
{
    SetLastError(Win32ErrorOfErrno(errno));
}

} // namespace

HANDLE CreateFileA(const char* fileName, DWORD desiredAccess, DWORD /*shareMode*/,
                   void* /*securityAttributes*/, DWORD creationDisposition,
                   DWORD /*flagsAndAttributes*/, HANDLE /*templateFile*/)
{
    if (fileName == nullptr || desiredAccess != GENERIC_READ ||
        creationDisposition != OPEN_EXISTING) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    const int fd = ::open(fileName, O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        saveErrno();
        return INVALID_HANDLE_VALUE;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || S_ISDIR(info.st_mode)) {
        SetLastError(S_ISDIR(info.st_mode) ? ERROR_ACCESS_DENIED : Win32ErrorOfErrno(errno));
        ::close(fd);
        return INVALID_HANDLE_VALUE;
    }
    SetLastError(ERROR_SUCCESS);
    return reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(fd) + 1);
}

DWORD GetFileSize(HANDLE file, LPDWORD fileSizeHigh)
{
    struct stat info {};
    if (!isFileHandle(file) || ::fstat(descriptorOf(file), &info) != 0) {
        SetLastError(isFileHandle(file) ? Win32ErrorOfErrno(errno) : ERROR_INVALID_HANDLE);
        return INVALID_FILE_SIZE;
    }
    const auto size = static_cast<std::uint64_t>(info.st_size);
    if (fileSizeHigh != nullptr)
        *fileSizeHigh = static_cast<DWORD>(size >> 32);
    SetLastError(ERROR_SUCCESS);
    return static_cast<DWORD>(size & 0xFFFFFFFFu);
}

BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD bytesToRead, LPDWORD bytesRead,
              void* /*overlapped*/)
{
    if (bytesRead != nullptr)
        *bytesRead = 0;
    if (!isFileHandle(file) || buffer == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    auto* out = static_cast<char*>(buffer);
    DWORD total = 0;
    while (total < bytesToRead) {
        const ssize_t n = ::read(descriptorOf(file), out + total, bytesToRead - total);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            saveErrno();
            return FALSE;
        }
        if (n == 0)
            break;
        total += static_cast<DWORD>(n);
    }
    if (bytesRead != nullptr)
        *bytesRead = total;
    return TRUE;
}

BOOL CloseHandle(HANDLE object)
{
    if (!isFileHandle(object) || ::close(descriptorOf(object)) != 0) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return TRUE;
}
