// One FTP control connection on libcurl's multi interface, and the uploads made through it.
// Every operation blocks the calling thread until it ends; the server's replies are collected
// on that thread (lastServerReply).
#pragma once

#include <curl/curl.h>

#include <chrono>
#include <cstddef>
#include <string>

namespace wininet {

// The server's last complete reply on this thread, all its lines; emptied when an operation
// starts, so that a failure without a reply leaves it empty.
std::string& lastServerReply();

struct FtpLogin {
    std::string host;
    unsigned short port = 21;
    std::string user;
    std::string password;
    bool passive = false;
};

class FtpUpload;

class FtpConnection {
public:
    explicit FtpConnection(FtpLogin login);
    ~FtpConnection();
    FtpConnection(const FtpConnection&) = delete;
    FtpConnection& operator=(const FtpConnection&) = delete;

    // Connects and logs in; the connection then stays open for the calls that follow.
    CURLcode open();
    CURLcode rename(const std::string& from, const std::string& to);

    // A transfer configured for `path` (an easy handle owned by the caller).
    CURL* newTransfer(const std::string& path);
    // Runs the transfer to its end.
    CURLcode run(CURL* transfer);
    // Sends and receives what can be without waiting.
    void perform();
    // Waits up to `wait` for the sockets of the running transfers.
    void wait(std::chrono::milliseconds wait);
    // The result of `transfer` once it has ended; false while it is running.
    bool finished(CURL* transfer, CURLcode& result);
    void add(CURL* transfer);
    void remove(CURL* transfer);

    bool busy() const { return upload_ != nullptr; }
    void setUpload(FtpUpload* upload) { upload_ = upload; }

private:
    FtpLogin login_;
    std::string baseUrl_;
    CURLM* multi_;
    FtpUpload* upload_ = nullptr;
};

// A file being stored: the caller's bytes are handed to libcurl by a read callback that pauses
// the transfer whenever it has nothing to give.
class FtpUpload {
public:
    FtpUpload(FtpConnection& connection, const std::string& path);
    ~FtpUpload();
    FtpUpload(const FtpUpload&) = delete;
    FtpUpload& operator=(const FtpUpload&) = delete;

    // Runs until the server is ready for data; false (with the result) when it refused.
    bool start(CURLcode& result);
    // Hands over up to `size` bytes; returns how many the transfer took before it stalled or
    // ended. `result` is set when the transfer has failed.
    std::size_t write(const char* data, std::size_t size, CURLcode& result);
    // Ends the file and waits for the server's confirmation.
    CURLcode finish();
    const FtpConnection& connection() const { return connection_; }

private:
    static std::size_t read(char* buffer, std::size_t size, std::size_t count, void* self);
    void resume();
    // Steps the transfer until `done()` or the transfer ends or nothing moves for `stall`.
    void drive(const auto& done, std::chrono::milliseconds stall);

    FtpConnection& connection_;
    CURL* transfer_;
    const char* data_ = nullptr;
    std::size_t left_ = 0;
    std::size_t taken_ = 0;
    bool ready_ = false;
    bool paused_ = false;
    bool ending_ = false;
    bool ended_ = false;
    bool stalled_ = false;
    CURLcode result_ = CURLE_OK;
};

} // namespace wininet
