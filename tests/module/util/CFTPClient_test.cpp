// The FTP client against a real FTP server on loopback, plain or playing a fault that a real
// server shows rarely.
#include "CFTPClient.h"

#include "ftp_server.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <random>
#include <regex>
#include <string>

namespace {

using testsupport::FtpFault;
using testsupport::LocalFile;
using testsupport::TestFtpServer;

std::string randomBytes(std::size_t size)
{
    std::mt19937_64 generator(size);
    std::string bytes(size, '\0');
    for (char& byte : bytes)
        byte = static_cast<char>(generator());
    return bytes;
}

bool connect(CFTPClient& client, const TestFtpServer& server, std::string password = {})
{
    password = password.empty() ? server.password() : password;
    return client.Connect(server.host().c_str(), server.port(), server.user().c_str(),
                          password.c_str());
}

class FtpClientTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { server = new TestFtpServer; }
    static void TearDownTestSuite() { delete server; }
    static TestFtpServer* server;
};

TestFtpServer* FtpClientTest::server = nullptr;

TEST_F(FtpClientTest, ConnectFailuresLeaveTheirTextsAndCloseCleanly)
{
    // Nothing listens, or no such host; closing what never opened keeps the text.
    for (const std::string host : {"127.0.0.1", "no-such-host.invalid"}) {
        CFTPClient unreachable;
        EXPECT_FALSE(unreachable.Connect(host.c_str(), 1, "rsim", "rsim"));
        unreachable.Close();
        EXPECT_EQ("未知错误![" + host + "]主机不可达，请检查IP地址是否正确。",
                  unreachable.GetErrorMsg());
    }

    // A refused login leaves the server's reply, and never the password.
    CFTPClient refused;
    EXPECT_FALSE(connect(refused, *server, "wrong-secret"));
    EXPECT_EQ(0, std::string(refused.GetErrorMsg()).find("530")) << refused.GetErrorMsg();
    EXPECT_EQ(std::string::npos, std::string(refused.GetErrorMsg()).find("wrong-secret"));
    refused.Close();

    // After Close the same object connects again.
    EXPECT_TRUE(connect(refused, *server)) << refused.GetErrorMsg();
}

TEST_F(FtpClientTest, AMissingLocalFileLeavesAnEmptyRemoteFileAndExistenceIsARenameThereAndBack)
{
    CFTPClient client;
    ASSERT_TRUE(connect(client, *server)) << client.GetErrorMsg();
    const std::string remote = TestFtpServer::uniqueName("missing") + ".dll";
    EXPECT_FALSE(client.PutFile(remote.c_str(), "/no/such/folder/library.dll"));
    EXPECT_STREQ("系统找不到指定的文件。\r\n", client.GetErrorMsg());
    EXPECT_EQ(std::optional<std::string>(""), server->download(remote));
    // The connection is still usable.
    const LocalFile small("small.dll", "abc");
    EXPECT_TRUE(client.PutFile((remote + ".2").c_str(), small.path())) << client.GetErrorMsg();

    const std::string there = TestFtpServer::uniqueName("exists") + ".dll";
    server->upload(there, "library bytes");
    EXPECT_TRUE(client.FileExists(there.c_str())) << client.GetErrorMsg();
    EXPECT_EQ(std::optional<std::string>("library bytes"), server->download(there));
    EXPECT_EQ(std::nullopt, server->download(there + ".temp"));
    EXPECT_FALSE(client.FileExists((there + ".absent").c_str()));
    EXPECT_EQ(0, std::string(client.GetErrorMsg()).find("550")) << client.GetErrorMsg();
}

// Empty, and several chunks with an odd tail: the bytes read back are the bytes sent.
TEST_F(FtpClientTest, FilesArriveIntactUnlessOfFourGigabytesOrMore)
{
    CFTPClient client;
    ASSERT_TRUE(connect(client, *server)) << client.GetErrorMsg();
    for (const std::size_t size :
         {std::size_t{0}, std::size_t{5 * CFTPClient::kChunkSize * 8 + 12345}}) {
        const std::string content = randomBytes(size);
        const LocalFile file("upload.dll", content);
        const std::string remote = TestFtpServer::uniqueName("upload") + ".dll";
        ASSERT_TRUE(client.PutFile(remote.c_str(), file.path())) << client.GetErrorMsg();
        const std::optional<std::string> stored = server->download(remote);
        ASSERT_TRUE(stored.has_value()) << size;
        EXPECT_TRUE(content == *stored) << size << " bytes sent, " << stored->size() << " stored";
    }
    const LocalFile huge("huge.dll", "");
    std::filesystem::resize_file(huge.path(), 4ull << 30); // sparse: nothing is written
    EXPECT_FALSE(client.PutFile((TestFtpServer::uniqueName("huge") + ".dll").c_str(), huge.path()));
    EXPECT_STREQ("本地文件大小超过4GB，不能上传。", client.GetErrorMsg());
}

TEST(FaultyServer, ARenameBackThatFailsLeavesTheFileUnderItsTemporaryName)
{
    const TestFtpServer server(FtpFault::RefuseRenameBack);
    CFTPClient client;
    ASSERT_TRUE(connect(client, server)) << client.GetErrorMsg();
    server.upload("library.dll", "bytes");
    EXPECT_FALSE(client.FileExists("library.dll"));
    EXPECT_EQ(0, std::string(client.GetErrorMsg()).find("553 Rename back refused."))
        << client.GetErrorMsg();
    EXPECT_EQ(std::optional<std::string>("bytes"), server.download("library.dll.temp"));
}

// A server that stops reading, and one that reads every byte and then keeps nothing: an upload
// that only counted its bytes would be reported done and lost.
TEST(FaultyServer, AnUploadTheServerDoesNotKeepEndsWithItsText)
{
    for (const auto& [fault, size, text] :
         {std::tuple{FtpFault::StallUploads, 16 << 20,
                     R"(上传中断：已写入\d+字节，文件共16777216字节。)"},
          {FtpFault::RefuseKeptUploads, 256 << 10, R"(552 [\s\S]*)"}}) {
        const TestFtpServer server(fault);
        CFTPClient client;
        ASSERT_TRUE(connect(client, server)) << client.GetErrorMsg();
        const LocalFile file("library.dll", randomBytes(size));
        EXPECT_FALSE(client.PutFile("library.dll", file.path()));
        EXPECT_TRUE(std::regex_match(client.GetErrorMsg(), std::regex(text)))
            << client.GetErrorMsg();
    }
}

} // namespace
