// The Internet functions on libcurl and the Win32 file and error calls beneath the FTP client,
// where the client's own tests (CFTPClient_test) do not reach: passive mode, a second transfer,
// handles of the wrong kind, a folder opened as a file.
#include "wininet.h"

#include "ftp_server.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace {

using testsupport::TestFtpServer;

std::string lastResponse()
{
    char text[1024] = {};
    DWORD error = 0;
    DWORD length = sizeof text - 1;
    InternetGetLastResponseInfoA(&error, text, &length);
    return text;
}

TEST(InternetTest, PassiveWritesInPiecesStoreTheBytesAndWrongHandlesAreRefused)
{
    const TestFtpServer server;
    HINTERNET internet = InternetOpenA("WIN32", INTERNET_OPEN_TYPE_DIRECT, "WIN32", nullptr, 0);
    HINTERNET connection =
        InternetConnectA(internet, server.host().c_str(), server.port(), server.user().c_str(),
                         server.password().c_str(), INTERNET_SERVICE_FTP, INTERNET_FLAG_PASSIVE, 0);
    ASSERT_NE(nullptr, connection) << lastResponse();
    const std::string name = TestFtpServer::uniqueName("pieces") + ".bin";
    HINTERNET file =
        FtpOpenFileA(connection, name.c_str(), GENERIC_WRITE, FTP_TRANSFER_TYPE_BINARY, 0);
    ASSERT_NE(nullptr, file) << lastResponse();
    // A second transfer on the same connection waits for the first.
    EXPECT_EQ(nullptr,
              FtpOpenFileA(connection, "other.bin", GENERIC_WRITE, FTP_TRANSFER_TYPE_BINARY, 0));
    EXPECT_EQ(ERROR_FTP_TRANSFER_IN_PROGRESS, GetLastError());
    DWORD written = 0;
    EXPECT_TRUE(InternetWriteFile(file, "first ", 6, &written));
    EXPECT_EQ(6u, written);
    EXPECT_TRUE(InternetWriteFile(file, "second", 6, &written));
    EXPECT_TRUE(InternetCloseHandle(file));
    EXPECT_EQ(std::optional<std::string>("first second"), server.download(name));
    EXPECT_TRUE(InternetCloseHandle(connection));

    // Handles of the wrong kind or closed are refused, as is a folder opened as a file.
    EXPECT_FALSE(InternetWriteFile(internet, "x", 1, &written));
    EXPECT_EQ(ERROR_INTERNET_INCORRECT_HANDLE_TYPE, GetLastError());
    EXPECT_TRUE(InternetCloseHandle(internet));
    EXPECT_FALSE(InternetCloseHandle(internet));
    EXPECT_EQ(ERROR_INVALID_HANDLE, GetLastError());
    EXPECT_FALSE(FtpRenameFileA(internet, "a", "b"));

    EXPECT_EQ(INVALID_HANDLE_VALUE,
              CreateFileA(std::filesystem::temp_directory_path().c_str(), GENERIC_READ,
                          FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    EXPECT_EQ(ERROR_ACCESS_DENIED, GetLastError());
}

} // namespace
