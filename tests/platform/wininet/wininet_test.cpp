// The Internet functions on libcurl and the Win32 file and error calls beneath the FTP client.
#include "wininet.h"

#include "ftp_server.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
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

std::string systemText(DWORD code)
{
    char text[1024] = {};
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_ARGUMENT_ARRAY, nullptr, code, 0,
                   text, sizeof text - 1, nullptr);
    return text;
}

class InternetTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { server = new TestFtpServer; }
    static void TearDownTestSuite() { delete server; }

    void TearDown() override
    {
        if (internet_ != nullptr)
            InternetCloseHandle(internet_);
    }
    HINTERNET connect(const std::string& password, DWORD flags = 0)
    {
        internet_ = InternetOpenA("WIN32", INTERNET_OPEN_TYPE_DIRECT, "WIN32", nullptr, 0);
        return InternetConnectA(internet_, server->host().c_str(), server->port(),
                                server->user().c_str(), password.c_str(), INTERNET_SERVICE_FTP,
                                flags, 0);
    }

    static TestFtpServer* server;
    HINTERNET internet_ = nullptr;
};

TestFtpServer* InternetTest::server = nullptr;

TEST_F(InternetTest, TheLastResponseIsTheServersReplyToTheFailedCommand)
{
    EXPECT_EQ(nullptr, connect("not-the-password"));
    EXPECT_EQ(ERROR_INTERNET_LOGIN_FAILURE, GetLastError());
    EXPECT_EQ(0u, lastResponse().find("530 ")) << lastResponse();
    EXPECT_EQ("", systemText(ERROR_INTERNET_LOGIN_FAILURE)); // the system has no text for it

    HINTERNET connection = connect(server->password());
    ASSERT_NE(nullptr, connection) << lastResponse();
    EXPECT_FALSE(FtpRenameFileA(connection, "absent.dll", "other.dll"));
    EXPECT_EQ(0u, lastResponse().find("550 ")) << lastResponse();
    EXPECT_TRUE(InternetCloseHandle(connection));
}

TEST_F(InternetTest, AConnectionThatNobodyAnswersLeavesNoReply)
{
    internet_ = InternetOpenA("WIN32", INTERNET_OPEN_TYPE_DIRECT, "WIN32", nullptr, 0);
    EXPECT_EQ(nullptr, InternetConnectA(internet_, "127.0.0.1", testsupport::freeLoopbackPort(),
                                        "u", "p", INTERNET_SERVICE_FTP, 0, 0));
    EXPECT_EQ(ERROR_INTERNET_CANNOT_CONNECT, GetLastError());
    EXPECT_EQ("", lastResponse());
}

TEST_F(InternetTest, PassiveModeAndWritesInPiecesStoreTheBytes)
{
    HINTERNET connection = connect(server->password(), INTERNET_FLAG_PASSIVE);
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
    EXPECT_EQ(std::optional<std::string>("first second"), server->download(name));
    EXPECT_TRUE(InternetCloseHandle(connection));
}

TEST(InternetHandles, WrongOrClosedHandlesAreRefused)
{
    HINTERNET internet = InternetOpenA("WIN32", INTERNET_OPEN_TYPE_DIRECT, "WIN32", nullptr, 0);
    DWORD written = 0;
    EXPECT_FALSE(InternetWriteFile(internet, "x", 1, &written));
    EXPECT_EQ(ERROR_INTERNET_INCORRECT_HANDLE_TYPE, GetLastError());
    EXPECT_TRUE(InternetCloseHandle(internet));
    EXPECT_FALSE(InternetCloseHandle(internet));
    EXPECT_EQ(ERROR_INVALID_HANDLE, GetLastError());
    EXPECT_FALSE(FtpRenameFileA(internet, "a", "b"));
}

TEST(LocalFiles, ReadInPiecesWithTheirSizeAndSystemTexts)
{
    const auto path = std::filesystem::temp_directory_path() / TestFtpServer::uniqueName("local");
    std::ofstream(path, std::ios::binary) << "0123456789";
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    DWORD high = 7;
    EXPECT_EQ(10u, GetFileSize(file, &high));
    EXPECT_EQ(0u, high);
    char buffer[8] = {};
    DWORD read = 0;
    EXPECT_TRUE(ReadFile(file, buffer, 8, &read, nullptr));
    EXPECT_EQ(std::string("01234567"), std::string(buffer, read));
    EXPECT_TRUE(ReadFile(file, buffer, 8, &read, nullptr));
    EXPECT_EQ(std::string("89"), std::string(buffer, read));
    EXPECT_TRUE(CloseHandle(file));
    std::filesystem::remove(path);

    EXPECT_EQ(INVALID_HANDLE_VALUE,
              CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                          FILE_ATTRIBUTE_NORMAL, nullptr));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, GetLastError());
    EXPECT_EQ("系统找不到指定的文件。\r\n", systemText(GetLastError()));
    EXPECT_EQ(INVALID_HANDLE_VALUE,
              CreateFileA(path.parent_path().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    EXPECT_EQ(ERROR_ACCESS_DENIED, GetLastError());
}

} // namespace
