// The Internet functions on libcurl: a session handle holds the agent and mode, a connection
// handle an FTP control connection, a file handle one upload.
#include "wininet.h"

#include "ftp_connection.h"

#include <cstring>
#include <memory>
#include <mutex>
#include <unordered_set>
#include <variant>

namespace {

using wininet::FtpConnection;
using wininet::FtpUpload;

struct Session {
    bool passive = false;
};

struct Handle {
    std::variant<Session, std::unique_ptr<FtpConnection>, std::unique_ptr<FtpUpload>> object;
};

std::mutex handlesMutex;
std::unordered_set<Handle*> handles;

HINTERNET newHandle(auto object)
{
    auto* handle = new Handle{std::move(object)};
    std::lock_guard lock(handlesMutex);
    handles.insert(handle);
    return handle;
}

// The object of kind T behind a handle, or null (last error set) when the handle is not one.
template <typename T>
T* objectOf(HINTERNET internet)
{
    {
        std::lock_guard lock(handlesMutex);
        if (!handles.contains(static_cast<Handle*>(internet))) {
            SetLastError(ERROR_INVALID_HANDLE);
            return nullptr;
        }
    }
    auto* object = std::get_if<T>(&static_cast<Handle*>(internet)->object);
    if (object == nullptr)
        SetLastError(ERROR_INTERNET_INCORRECT_HANDLE_TYPE);
    return object;
}

// A file handle still open on a connection that is being closed is closed with it, unfinished.
void closeUploadOf(const FtpConnection* connection)
{
    std::unique_ptr<Handle> upload;
    std::lock_guard lock(handlesMutex);
    for (Handle* handle : handles) {
        auto* held = std::get_if<std::unique_ptr<FtpUpload>>(&handle->object);
        if (held != nullptr && &(*held)->connection() == connection) {
            handles.erase(handle);
            upload.reset(handle);
            return;
        }
    }
}

DWORD errorOf(CURLcode result)
{
    switch (result) {
    case CURLE_OK: return ERROR_SUCCESS;
    case CURLE_URL_MALFORMAT: return ERROR_INTERNET_INVALID_URL;
    case CURLE_COULDNT_RESOLVE_HOST: return ERROR_INTERNET_NAME_NOT_RESOLVED;
    case CURLE_COULDNT_CONNECT: return ERROR_INTERNET_CANNOT_CONNECT;
    case CURLE_LOGIN_DENIED: return ERROR_INTERNET_LOGIN_FAILURE;
    case CURLE_OPERATION_TIMEDOUT:
    case CURLE_FTP_ACCEPT_TIMEOUT: return ERROR_INTERNET_TIMEOUT;
    case CURLE_SEND_ERROR:
    case CURLE_RECV_ERROR:
    case CURLE_PARTIAL_FILE: return ERROR_INTERNET_CONNECTION_ABORTED;
    case CURLE_OUT_OF_MEMORY: return ERROR_NOT_ENOUGH_MEMORY;
    default: return ERROR_INTERNET_EXTENDED_ERROR; // the server's reply says why
    }
}

BOOL succeeded(CURLcode result)
{
    SetLastError(errorOf(result));
    return result == CURLE_OK ? TRUE : FALSE;
}

void startOperation()
{
    static const CURLcode initialised = curl_global_init(CURL_GLOBAL_DEFAULT);
    (void)initialised;
    wininet::lastServerReply().clear();
}

} // namespace

HINTERNET InternetOpenA(const char* /*agent*/, DWORD accessType, const char* /*proxy*/,
                        const char* /*proxyBypass*/, DWORD flags)
{
    startOperation();
    if (accessType != INTERNET_OPEN_TYPE_DIRECT) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    SetLastError(ERROR_SUCCESS);
    return newHandle(Session{(flags & INTERNET_FLAG_PASSIVE) != 0});
}

HINTERNET InternetConnectA(HINTERNET internet, const char* serverName, INTERNET_PORT serverPort,
                           const char* userName, const char* password, DWORD service, DWORD flags,
                           DWORD_PTR /*context*/)
{
    startOperation();
    const Session* session = objectOf<Session>(internet);
    if (session == nullptr)
        return nullptr;
    if (serverName == nullptr || *serverName == '\0' || service != INTERNET_SERVICE_FTP) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    wininet::FtpLogin login{serverName, serverPort == 0 ? INTERNET_DEFAULT_FTP_PORT : serverPort,
                            userName != nullptr && *userName != '\0' ? userName : "anonymous",
                            password != nullptr ? password : "",
                            session->passive || (flags & INTERNET_FLAG_PASSIVE) != 0};
    auto connection = std::make_unique<FtpConnection>(std::move(login));
    if (!succeeded(connection->open()))
        return nullptr;
    return newHandle(std::move(connection));
}

HINTERNET FtpOpenFileA(HINTERNET connect, const char* fileName, DWORD access, DWORD /*flags*/,
                       DWORD_PTR /*context*/)
{
    startOperation();
    auto* held = objectOf<std::unique_ptr<FtpConnection>>(connect);
    if (held == nullptr)
        return nullptr;
    FtpConnection* connection = held->get();
    if (fileName == nullptr || *fileName == '\0' || access != GENERIC_WRITE) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if (connection->busy()) {
        SetLastError(ERROR_FTP_TRANSFER_IN_PROGRESS);
        return nullptr;
    }
    auto upload = std::make_unique<FtpUpload>(*connection, fileName);
    CURLcode result = CURLE_OK;
    if (!upload->start(result)) {
        succeeded(result);
        return nullptr;
    }
    SetLastError(ERROR_SUCCESS);
    return newHandle(std::move(upload));
}

BOOL InternetWriteFile(HINTERNET file, LPCVOID buffer, DWORD numberOfBytesToWrite,
                       LPDWORD numberOfBytesWritten)
{
    if (numberOfBytesWritten != nullptr)
        *numberOfBytesWritten = 0;
    auto* upload = objectOf<std::unique_ptr<FtpUpload>>(file);
    if (upload == nullptr || numberOfBytesWritten == nullptr ||
        (buffer == nullptr && numberOfBytesToWrite > 0)) {
        if (upload != nullptr)
            SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    CURLcode result = CURLE_OK;
    *numberOfBytesWritten = static_cast<DWORD>(
        (*upload)->write(static_cast<const char*>(buffer), numberOfBytesToWrite, result));
    const BOOL ok = succeeded(result);
    if (ok && *numberOfBytesWritten < numberOfBytesToWrite)
        SetLastError(ERROR_INTERNET_TIMEOUT); // the server stopped taking data
    return ok;
}

BOOL FtpRenameFileA(HINTERNET connect, const char* existing, const char* newName)
{
    startOperation();
    auto* connection = objectOf<std::unique_ptr<FtpConnection>>(connect);
    if (connection == nullptr)
        return FALSE;
    if (existing == nullptr || newName == nullptr || *existing == '\0' || *newName == '\0') {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if ((*connection)->busy()) {
        SetLastError(ERROR_FTP_TRANSFER_IN_PROGRESS);
        return FALSE;
    }
    return succeeded((*connection)->rename(existing, newName));
}

BOOL InternetCloseHandle(HINTERNET internet)
{
    Handle* handle = static_cast<Handle*>(internet);
    {
        std::lock_guard lock(handlesMutex);
        if (handles.erase(handle) == 0) {
            SetLastError(ERROR_INVALID_HANDLE);
            return FALSE;
        }
    }
    std::unique_ptr<Handle> owned(handle);
    if (auto* upload = std::get_if<std::unique_ptr<FtpUpload>>(&handle->object)) {
        startOperation();
        return succeeded((*upload)->finish());
    }
    if (auto* connection = std::get_if<std::unique_ptr<FtpConnection>>(&handle->object))
        closeUploadOf(connection->get());
    SetLastError(ERROR_SUCCESS);
    return TRUE;
}

BOOL InternetGetLastResponseInfoA(LPDWORD error, char* buffer, LPDWORD bufferLength)
{
    if (bufferLength == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const std::string& reply = wininet::lastServerReply();
    if (error != nullptr)
        *error = 0;
    // A reply longer than the buffer is cut (and FALSE tells the length it needs).
    const bool fits = *bufferLength > reply.size();
    if (buffer != nullptr && *bufferLength > 0) {
        const std::size_t copied = fits ? reply.size() : *bufferLength - 1;
        std::memcpy(buffer, reply.data(), copied);
        buffer[copied] = '\0';
    }
    *bufferLength = static_cast<DWORD>(fits ? reply.size() : reply.size() + 1);
    if (!fits || buffer == nullptr) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    return TRUE;
}
