#include "CFTPClient.h"

#include <cassert>
#include <cstdio>
#include <cstring>
#include <memory>

namespace {

void copyCut(char* field, std::size_t fieldSize, const char* text)
{
    std::snprintf(field, fieldSize, "%s", text);
}

} // namespace

CFTPClient::CFTPClient()
    : m_szServer{}, m_szUser{}, m_szPassword{}, m_hInternet(nullptr), m_hConnect(nullptr),
      m_bConnected(false), m_szErrorMsg{}
{}

CFTPClient::~CFTPClient()
{
    Close();
}

bool CFTPClient::Connect(const char* pszServer, const char* pszUser, const char* pszPass)
{
    return Connect(pszServer, INTERNET_DEFAULT_FTP_PORT, pszUser, pszPass);
}

bool CFTPClient::Connect(const char* pszServer, INTERNET_PORT port, const char* pszUser,
                         const char* pszPass)
{
    assert(pszServer != nullptr);
    assert(pszUser != nullptr);
    assert(pszPass != nullptr);
    m_hInternet = InternetOpenA("WIN32", INTERNET_OPEN_TYPE_DIRECT, "WIN32", nullptr, 0);
    if (m_hInternet == nullptr) {
        SaveSystemError();
        return false;
    }
    m_hConnect = InternetConnectA(m_hInternet, pszServer, port, pszUser, pszPass,
                                  INTERNET_SERVICE_FTP, 0, 0);
    if (m_hConnect == nullptr) {
        SaveSystemError();
        if (m_szErrorMsg[0] == '\0')
            SaveResponseInfo();
        if (m_szErrorMsg[0] == '\0')
            std::snprintf(m_szErrorMsg, sizeof m_szErrorMsg,
                          "未知错误![%s]主机不可达，请检查IP地址是否正确。", pszServer);
        return false;
    }
    m_bConnected = true;
    copyCut(m_szServer, sizeof m_szServer, pszServer);
    copyCut(m_szUser, sizeof m_szUser, pszUser);
    copyCut(m_szPassword, sizeof m_szPassword, pszPass);
    return true;
}

void CFTPClient::Close()
{
    if (m_hConnect != nullptr) {
        InternetCloseHandle(m_hConnect);
        m_hConnect = nullptr;
    }
    if (m_hInternet != nullptr) {
        InternetCloseHandle(m_hInternet);
        m_hInternet = nullptr;
    }
    m_bConnected = false;
}

bool CFTPClient::FileExists(const char* pszRemoteFile)
{
    assert(pszRemoteFile != nullptr);
    char temporary[260] = {};
    std::snprintf(temporary, sizeof temporary, "%s.temp", pszRemoteFile);
    if (!RenameFile(pszRemoteFile, temporary))
        return false;
    return RenameFile(temporary, pszRemoteFile);
}

bool CFTPClient::RenameFile(const char* pszRemoteFile, const char* pszNewFileName)
{
    assert(pszRemoteFile != nullptr);
    assert(pszNewFileName != nullptr);
    const bool renamed = FtpRenameFileA(m_hConnect, pszRemoteFile, pszNewFileName) != FALSE;
    if (!renamed)
        SaveResponseInfo();
    return renamed;
}

DWORD CFTPClient::WriteChunk(HINTERNET hFile, const char* data, DWORD size)
{
    DWORD written = 0;
    BOOL ok = FALSE;
    for (int attempt = 0; attempt < kWriteAttempts; ++attempt) {
        ok = InternetWriteFile(hFile, data, size, &written);
        if (ok && written > 0)
            break;
        Sleep(kWritePauseMs);
    }
    return ok ? written : 0;
}

bool CFTPClient::PutFile(const char* pszRemoteFile, const char* pszLocalFile)
{
    assert(pszRemoteFile != nullptr);
    assert(pszLocalFile != nullptr);
    HINTERNET hFile = FtpOpenFileA(m_hConnect, pszRemoteFile, GENERIC_WRITE,
                                   FTP_TRANSFER_TYPE_BINARY | INTERNET_FLAG_NO_CACHE_WRITE, 0);
    if (hFile == nullptr) {
        SaveResponseInfo();
        return false;
    }
    HANDLE hLocal = CreateFileA(pszLocalFile, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (hLocal == INVALID_HANDLE_VALUE) {
        SaveSystemError();
        InternetCloseHandle(hFile);
        return false;
    }
    DWORD sizeHigh = 0;
    const DWORD fileSize = GetFileSize(hLocal, &sizeHigh);
    if (sizeHigh != 0) {
        SaveText("本地文件大小超过4GB，不能上传。");
        CloseHandle(hLocal);
        InternetCloseHandle(hFile);
        return false;
    }
    DWORD sent = 0;
    const auto buffer = std::make_unique<char[]>(kChunkSize);
    while (sent < fileSize) {
        std::memset(buffer.get(), 0, kChunkSize);
        DWORD read = 0;
        if (!ReadFile(hLocal, buffer.get(), kChunkSize, &read, nullptr)) {
            SaveSystemError();
            break;
        }
        if (read == 0) { // the file became shorter while it was sent
            SaveText("");
            break;
        }
        const DWORD written = WriteChunk(hFile, buffer.get(), read);
        if (written == 0) {
            SaveSystemError();
            break;
        }
        sent += written;
    }
    CloseHandle(hLocal);
    // Closing the remote file ends the transfer: the server confirms the file or refuses it. All
    // bytes sent is not enough: a server that refuses the file after its last byte (a full disk,
    // a quota) keeps nothing, and reporting that upload done would lose it.
    const bool confirmed = InternetCloseHandle(hFile) != FALSE;
    if (sent == fileSize && !confirmed)
        SaveResponseInfo();
    if (sent != fileSize && m_szErrorMsg[0] == '\0')
        std::snprintf(m_szErrorMsg, sizeof m_szErrorMsg, "上传中断：已写入%u字节，文件共%u字节。",
                      static_cast<unsigned>(sent), static_cast<unsigned>(fileSize));
    return sent == fileSize && confirmed;
}

void CFTPClient::SaveSystemError()
{
    std::memset(m_szErrorMsg, 0, sizeof m_szErrorMsg);
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_ARGUMENT_ARRAY, nullptr,
                   GetLastError(), 0, m_szErrorMsg, sizeof m_szErrorMsg - 1, nullptr);
}

void CFTPClient::SaveResponseInfo()
{
    std::memset(m_szErrorMsg, 0, sizeof m_szErrorMsg);
    DWORD error = 0;
    DWORD length = sizeof m_szErrorMsg - 1;
    InternetGetLastResponseInfoA(&error, m_szErrorMsg, &length);
}

void CFTPClient::SaveText(const char* text)
{
    std::memset(m_szErrorMsg, 0, sizeof m_szErrorMsg);
    copyCut(m_szErrorMsg, sizeof m_szErrorMsg, text);
}
