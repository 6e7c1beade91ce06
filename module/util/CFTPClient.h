// A small synchronous FTP client: connect with host, user and password, test whether a remote
// file exists, upload a local file in binary mode, rename, close. Every operation returns
// whether it succeeded; the reason of the last failure is kept as text (GetErrorMsg).
#pragma once

#include "wininet.h"

class CFTPClient {
public:
    CFTPClient();
    ~CFTPClient();
    CFTPClient(const CFTPClient&) = delete;
    CFTPClient& operator=(const CFTPClient&) = delete;

    // Port 21, active mode. A caller that connects again must Close first.
    bool Connect(const char* pszServer, const char* pszUser, const char* pszPass);
    // As Connect, on another port.
    bool Connect(const char* pszServer, INTERNET_PORT port, const char* pszUser,
                 const char* pszPass);
    void Close();
    // Tested by renaming the file to "<name>.temp" and back: the server has no listing here.
    bool FileExists(const char* pszRemoteFile);
    // True when every byte of the local file reached the remote file. Files of 4 GiB or more
    // are refused.
    bool PutFile(const char* pszRemoteFile, const char* pszLocalFile);
    bool RenameFile(const char* pszRemoteFile, const char* pszNewFileName);
    const char* GetErrorMsg() const { return m_szErrorMsg; }

    static constexpr DWORD kChunkSize = 128 * 1024;
    static constexpr int kWriteAttempts = 3;
    static constexpr DWORD kWritePauseMs = 1000;

private:
    void SaveSystemError();
    void SaveResponseInfo();
    void SaveText(const char* text);
    // Writes one chunk, pausing and retrying while the server takes nothing; the bytes taken.
    DWORD WriteChunk(HINTERNET hFile, const char* data, DWORD size);

    char m_szServer[128];
    char m_szUser[128];
    char m_szPassword[128];
    HINTERNET m_hInternet;
    HINTERNET m_hConnect;
    bool m_bConnected;
    char m_szErrorMsg[1024];
};
