#include "ftp_connection.h"

#include <algorithm>
#include <cstring>
#include <memory>

namespace wininet {

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// A write that the server takes nothing of for this long returns short, so that the caller
// can pause and retry.
constexpr auto kWriteStall = 500ms;
// Ending a file waits this long for the server to take the rest and confirm it.
constexpr auto kFinishStall = 15s;
constexpr long kTimeoutSeconds = 15;
constexpr long kUploadBufferSize = 512 * 1024;

thread_local std::string replyLines;

// The server's replies reach us as incoming header lines; a line whose code is followed by a
// blank ends a reply. Outgoing lines (the password among them) are never looked at.
int collectReply(CURL*, curl_infotype type, char* data, std::size_t size, void*)
{
    if (type != CURLINFO_HEADER_IN)
        return 0;
    std::string_view text(data, size);
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        const std::string_view line =
            text.substr(0, end == std::string_view::npos ? text.size() : end + 1);
        replyLines.append(line);
        if (line.size() >= 4 && line[3] == ' ') {
            lastServerReply() = replyLines;
            replyLines.clear();
        }
        text.remove_prefix(line.size());
    }
    return 0;
}

std::string escapedPath(const std::string& path)
{
    // A leading "/" names the server's root; the rest is relative to the login folder.
    std::string url = path.starts_with('/') ? "%2F" : "";
    std::size_t begin = path.starts_with('/') ? 1 : 0;
    while (begin <= path.size()) {
        const std::size_t end = std::min(path.find('/', begin), path.size());
        char* part = curl_easy_escape(nullptr, path.data() + begin, static_cast<int>(end - begin));
        url += part;
        curl_free(part);
        if (end < path.size())
            url += '/';
        begin = end + 1;
    }
    return url;
}

} // namespace

std::string& lastServerReply()
{
    thread_local std::string reply;
    return reply;
}

FtpConnection::FtpConnection(FtpLogin login) : login_(std::move(login)), multi_(curl_multi_init())
{
    const bool ipv6 = login_.host.find(':') != std::string::npos;
    baseUrl_ = "ftp://" + (ipv6 ? "[" + login_.host + "]" : login_.host) + ":" +
               std::to_string(login_.port) + "/";
}

FtpConnection::~FtpConnection()
{
    curl_multi_cleanup(multi_);
}

CURL* FtpConnection::newTransfer(const std::string& path)
{
    CURL* transfer = curl_easy_init();
    const std::string url = baseUrl_ + escapedPath(path);
    curl_easy_setopt(transfer, CURLOPT_URL, url.c_str());
    curl_easy_setopt(transfer, CURLOPT_USERNAME, login_.user.c_str());
    curl_easy_setopt(transfer, CURLOPT_PASSWORD, login_.password.c_str());
    if (!login_.passive)
        curl_easy_setopt(transfer, CURLOPT_FTPPORT, "-");
    curl_easy_setopt(transfer, CURLOPT_FTP_FILEMETHOD, static_cast<long>(CURLFTPMETHOD_NOCWD));
    curl_easy_setopt(transfer, CURLOPT_TRANSFERTEXT, 0L);
    curl_easy_setopt(transfer, CURLOPT_CONNECTTIMEOUT, kTimeoutSeconds);
    curl_easy_setopt(transfer, CURLOPT_SERVER_RESPONSE_TIMEOUT, kTimeoutSeconds);
    curl_easy_setopt(transfer, CURLOPT_ACCEPTTIMEOUT_MS, kTimeoutSeconds * 1000);
    curl_easy_setopt(transfer, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(transfer, CURLOPT_VERBOSE, 1L);
    curl_easy_setopt(transfer, CURLOPT_DEBUGFUNCTION, collectReply);
    return transfer;
}

void FtpConnection::add(CURL* transfer)
{
    replyLines.clear();
    curl_multi_add_handle(multi_, transfer);
}

void FtpConnection::remove(CURL* transfer)
{
    curl_multi_remove_handle(multi_, transfer);
}

void FtpConnection::perform()
{
    int running = 0;
    curl_multi_perform(multi_, &running);
}

void FtpConnection::wait(std::chrono::milliseconds wait)
{
    curl_multi_poll(multi_, nullptr, 0, static_cast<int>(wait.count()), nullptr);
}

bool FtpConnection::finished(CURL* transfer, CURLcode& result)
{
    int queued = 0;
    while (CURLMsg* message = curl_multi_info_read(multi_, &queued)) {
        if (message->msg == CURLMSG_DONE && message->easy_handle == transfer) {
            result = message->data.result;
            return true;
        }
    }
    return false;
}

CURLcode FtpConnection::run(CURL* transfer)
{
    add(transfer);
    CURLcode result = CURLE_OK;
    for (perform(); !finished(transfer, result); perform())
        wait(1000ms);
    remove(transfer);
    return result;
}

CURLcode FtpConnection::open()
{
    std::unique_ptr<CURL, decltype(&curl_easy_cleanup)> transfer(newTransfer(""),
                                                                 curl_easy_cleanup);
    curl_easy_setopt(transfer.get(), CURLOPT_NOBODY, 1L);
    return run(transfer.get());
}

CURLcode FtpConnection::rename(const std::string& from, const std::string& to)
{
    std::unique_ptr<CURL, decltype(&curl_easy_cleanup)> transfer(newTransfer(""),
                                                                 curl_easy_cleanup);
    curl_slist* commands = curl_slist_append(nullptr, ("RNFR " + from).c_str());
    commands = curl_slist_append(commands, ("RNTO " + to).c_str());
    curl_easy_setopt(transfer.get(), CURLOPT_QUOTE, commands);
    curl_easy_setopt(transfer.get(), CURLOPT_NOBODY, 1L);
    const CURLcode result = run(transfer.get());
    curl_slist_free_all(commands);
    return result;
}

FtpUpload::FtpUpload(FtpConnection& connection, const std::string& path)
    : connection_(connection), transfer_(connection.newTransfer(path))
{
    curl_easy_setopt(transfer_, CURLOPT_UPLOAD, 1L);
    curl_easy_setopt(transfer_, CURLOPT_UPLOAD_BUFFERSIZE, kUploadBufferSize);
    curl_easy_setopt(transfer_, CURLOPT_READFUNCTION, &FtpUpload::read);
    curl_easy_setopt(transfer_, CURLOPT_READDATA, this);
    connection_.add(transfer_);
    connection_.setUpload(this);
}

FtpUpload::~FtpUpload()
{
    // Removing an unfinished transfer aborts it and drops its connection.
    connection_.remove(transfer_);
    connection_.setUpload(nullptr);
    curl_easy_cleanup(transfer_);
}

std::size_t FtpUpload::read(char* buffer, std::size_t size, std::size_t count, void* self)
{
    auto& upload = *static_cast<FtpUpload*>(self);
    upload.ready_ = true;
    if (upload.left_ == 0) {
        if (upload.ending_)
            return 0;
        upload.paused_ = true;
        return CURL_READFUNC_PAUSE;
    }
    const std::size_t n = std::min(size * count, upload.left_);
    std::memcpy(buffer, upload.data_, n);
    upload.data_ += n;
    upload.left_ -= n;
    upload.taken_ += n;
    return n;
}

void FtpUpload::resume()
{
    if (paused_) {
        paused_ = false;
        curl_easy_pause(transfer_, CURLPAUSE_CONT);
    }
}

void FtpUpload::drive(const auto& done, std::chrono::milliseconds stall)
{
    auto lastMove = Clock::now();
    curl_off_t lastSent = -1;
    std::size_t lastTaken = taken_;
    while (!ended_) {
        connection_.perform();
        ended_ = connection_.finished(transfer_, result_);
        if (ended_ || done())
            break;
        curl_off_t sent = 0;
        curl_easy_getinfo(transfer_, CURLINFO_SIZE_UPLOAD_T, &sent);
        if (sent != lastSent || taken_ != lastTaken) {
            lastSent = sent;
            lastTaken = taken_;
            lastMove = Clock::now();
        } else if (Clock::now() - lastMove > stall) {
            stalled_ = true;
            break;
        }
        connection_.wait(50ms);
    }
}

bool FtpUpload::start(CURLcode& result)
{
    drive([this] { return ready_; }, std::chrono::seconds(3 * kTimeoutSeconds));
    if (ended_)
        result = result_ == CURLE_OK ? CURLE_UPLOAD_FAILED : result_;
    else
        result = ready_ ? CURLE_OK : CURLE_OPERATION_TIMEDOUT;
    return ready_ && !ended_;
}

std::size_t FtpUpload::write(const char* data, std::size_t size, CURLcode& result)
{
    data_ = data;
    left_ = size;
    taken_ = 0;
    stalled_ = false;
    resume();
    drive([this] { return left_ == 0; }, kWriteStall);
    const std::size_t taken = taken_;
    data_ = nullptr;
    left_ = 0;
    taken_ = 0;
    result = ended_ ? (result_ == CURLE_OK ? CURLE_SEND_ERROR : result_) : CURLE_OK;
    return taken;
}

CURLcode FtpUpload::finish()
{
    if (ended_)
        return result_;
    if (stalled_)
        return CURLE_SEND_ERROR;
    ending_ = true;
    resume();
    drive([] { return false; }, kFinishStall);
    return ended_ ? result_ : CURLE_OPERATION_TIMEDOUT;
}

} // namespace wininet
