// An FTP server on loopback that plays faults a real server shows rarely: it refuses renames
// as scripted, and it opens the data connection of a STOR but never reads from it, or reads
// every byte and then refuses to keep the file.
#pragma once

#include <atomic>
#include <deque>
#include <mutex>
#include <string>
#include <thread>

class ScriptedFtpServer {
public:
    ScriptedFtpServer();
    ~ScriptedFtpServer();

    unsigned short port() const { return port_; }
    // The replies to the next RNTO commands, in order; "250 Renamed." once they are used up.
    void scriptRenameReplies(std::deque<std::string> replies);
    // From now on a STOR reads the whole file and then answers this refusal.
    void refuseStoredFiles(std::string reply);

private:
    void serve();
    void converse(int control);
    std::string reply(int control, const std::string& command, const std::string& argument,
                      int& data);

    int listener_ = -1;
    unsigned short port_ = 0;
    std::atomic<bool> stopping_{false};
    std::mutex mutex_;
    std::deque<std::string> renameReplies_;
    std::string storeRefusal_;
    std::string dataHost_;
    int dataPort_ = 0;
    std::thread thread_;
};
