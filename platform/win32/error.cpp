// The thread's last error, its system text, and Sleep.
#include "winapi.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <string>
#include <thread>

namespace {

thread_local DWORD lastError = ERROR_SUCCESS;

// The system texts of the codes this program's calls can leave, as the operator's system
// words them.
const char* systemText(DWORD code)
{
    switch (code) {
    case ERROR_SUCCESS: return "操作成功完成。";
    case ERROR_FILE_NOT_FOUND: return "系统找不到指定的文件。";
    case ERROR_PATH_NOT_FOUND: return "系统找不到指定的路径。";
    case ERROR_ACCESS_DENIED: return "拒绝访问。";
    case ERROR_INVALID_HANDLE: return "句柄无效。";
    case ERROR_NOT_ENOUGH_MEMORY: return "存储空间不足，无法处理此命令。";
    case ERROR_READ_FAULT: return "系统无法从指定的设备上读取。";
    case ERROR_SHARING_VIOLATION: return "另一个程序正在使用此文件，进程无法访问。";
    case ERROR_INVALID_PARAMETER: return "参数错误。";
    case ERROR_FILE_TOO_LARGE: return "文件大小超出允许的限制，无法保存。";
    default: return nullptr;
    }
}

} // namespace

DWORD GetLastError()
{
    return lastError;
}

void SetLastError(DWORD errorCode)
{
    lastError = errorCode;
}

DWORD Win32ErrorOfErrno(int errnoValue)
{
    switch (errnoValue) {
    case 0: return ERROR_SUCCESS;
    case ENOENT: return ERROR_FILE_NOT_FOUND;
    case ENOTDIR:
    case ENAMETOOLONG: return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EISDIR: return ERROR_ACCESS_DENIED;
    case EBADF: return ERROR_INVALID_HANDLE;
    case ENOMEM: return ERROR_NOT_ENOUGH_MEMORY;
    case EFBIG:
    case EOVERFLOW: return ERROR_FILE_TOO_LARGE;
    case ETXTBSY: return ERROR_SHARING_VIOLATION;
    default: return ERROR_READ_FAULT;
    }
}

DWORD FormatMessageA(DWORD flags, LPCVOID /*source*/, DWORD messageId, DWORD /*languageId*/,
                     char* buffer, DWORD size, void* /*arguments*/)
{
    const char* text = (flags & FORMAT_MESSAGE_FROM_SYSTEM) ? systemText(messageId) : nullptr;
    if (text == nullptr || buffer == nullptr || size == 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    // The system's texts end with a line break, as the operator's system gives them.
    const std::size_t length = std::min<std::size_t>(std::strlen(text) + 2, size - 1);
    std::string withBreak = std::string(text) + "\r\n";
    std::memcpy(buffer, withBreak.data(), length);
    buffer[length] = '\0';
    return static_cast<DWORD>(length);
}

void Sleep(DWORD milliseconds)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}
