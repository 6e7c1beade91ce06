// Upload of a 64 MiB library file through the module's FTP client, against libcurl's own
// upload of the same file to the same server (active mode, binary), best of five each.
#include "CFTPClient.h"
#include "bench_common.h"
#include "ftp_server.h"

#include <curl/curl.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <stdexcept>
#include <string>

namespace {

constexpr std::size_t kFileSize = 64u << 20;
constexpr int kRounds = 5;

std::filesystem::path writeLibraryFile()
{
    const auto path = std::filesystem::temp_directory_path() / "rsim-bench-ftp.dll";
    std::string bytes(kFileSize, '\0');
    std::mt19937_64 generator(42);
    for (std::size_t i = 0; i + 8 <= bytes.size(); i += 8) {
        const auto word = generator();
        bytes.replace(i, 8, reinterpret_cast<const char*>(&word), 8);
    }
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

void curlUpload(const testsupport::TestFtpServer& server, const std::string& remote,
                const std::string& local)
{
    FILE* file = std::fopen(local.c_str(), "rb");
    CURL* curl = curl_easy_init();
    curl_easy_setopt(curl, CURLOPT_URL, (server.url() + remote).c_str());
    curl_easy_setopt(curl, CURLOPT_UPLOAD, 1L);
    curl_easy_setopt(curl, CURLOPT_FTPPORT, "-");
    curl_easy_setopt(curl, CURLOPT_READDATA, file);
    const CURLcode result = curl_easy_perform(curl);
    curl_easy_cleanup(curl);
    std::fclose(file);
    if (result != CURLE_OK)
        throw std::runtime_error(std::string("libcurl upload failed: ") +
                                 curl_easy_strerror(result));
}

void clientUpload(const testsupport::TestFtpServer& server, const std::string& remote,
                  const std::string& local)
{
    CFTPClient client;
    if (!client.Connect(server.host().c_str(), server.port(), server.user().c_str(),
                        server.password().c_str()) ||
        !client.PutFile(remote.c_str(), local.c_str()))
        throw std::runtime_error(std::string("CFTPClient upload failed: ") + client.GetErrorMsg());
}

} // namespace

int main()
{
    const testsupport::TestFtpServer server;
    const std::filesystem::path local = writeLibraryFile();
    int run = 0;
    const auto name = [&run](const char* kind) {
        return testsupport::TestFtpServer::uniqueName(kind) + "-" + std::to_string(++run) + ".dll";
    };
    // Alternated, so that both see the same load of the machine.
    double baseline = 1e300;
    double measured = 1e300;
    for (int round = 0; round < kRounds; ++round) {
        baseline =
            std::min(baseline, millis([&] { curlUpload(server, name("bench-curl"), local); }));
        measured =
            std::min(measured, millis([&] { clientUpload(server, name("bench-client"), local); }));
    }
    report("FTP upload of 64 MiB, CFTPClient vs libcurl's own upload", measured, baseline, 1.2);
    std::filesystem::remove(local);
    return 0;
}
