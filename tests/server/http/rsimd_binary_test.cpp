// The rsimd program itself: start-up errors, first start, and stopping on a signal.
#include "raw_http.h"
#include "test_server.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <future>
#include <regex>
#include <csignal>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

// rsimd as a child process with its standard output and error read through pipes.
class Rsimd {
public:
    explicit Rsimd(const std::vector<std::string>& arguments)
    {
        int out[2], err[2];
        if (::pipe(out) != 0 || ::pipe(err) != 0)
            throw std::runtime_error("no pipe");
        pid_ = ::fork();
        if (pid_ == 0) {
            ::dup2(out[1], STDOUT_FILENO);
            ::dup2(err[1], STDERR_FILENO);
            std::vector<char*> argv{const_cast<char*>(RSIMD_PATH)};
            for (const auto& argument : arguments)
                argv.push_back(const_cast<char*>(argument.c_str()));
            argv.push_back(nullptr);
            ::execv(RSIMD_PATH, argv.data());
            std::_Exit(127);
        }
        ::close(out[1]);
        ::close(err[1]);
        out_ = ::fdopen(out[0], "r");
        err_ = ::fdopen(err[0], "r");
    }
    ~Rsimd()
    {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            wait();
        }
        std::fclose(out_);
        std::fclose(err_);
    }

    // The next line of standard output ("" at its end).
    std::string line()
    {
        char buffer[512];
        return std::fgets(buffer, sizeof buffer, out_) != nullptr ? buffer : "";
    }
    static std::string rest(std::FILE* stream)
    {
        std::string text;
        char buffer[512];
        while (std::fgets(buffer, sizeof buffer, stream) != nullptr)
            text += buffer;
        return text;
    }
    std::string errors() { return rest(err_); }
    std::string output() { return rest(out_); }
    void signal(int number) { ::kill(pid_, number); }
    // The exit status; -1 when it did not exit normally.
    int wait()
    {
        int status = 0;
        ::waitpid(pid_, &status, 0);
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

private:
    pid_t pid_ = -1;
    std::FILE* out_ = nullptr;
    std::FILE* err_ = nullptr;
};

class RsimdProgram : public ::testing::Test {
protected:
    void SetUp() override
    {
        char folder[] = "/tmp/rsimd-program.XXXXXX";
        ASSERT_NE(::mkdtemp(folder), nullptr);
        folder_ = folder;
    }
    void TearDown() override { fs::remove_all(folder_); }

    // Starts rsimd on a free port and returns its address, read from the line it prints.
    std::string start(Rsimd& rsimd, const std::string& database)
    {
        const std::string line = rsimd.line();
        std::smatch match;
        const std::regex ready("^rsimd listening on (http://127\\.0\\.0\\.1:[0-9]+) \\((.*)\\)\n$");
        EXPECT_TRUE(std::regex_match(line, match, ready)) << line << rsimd.errors();
        EXPECT_EQ(match[2], database);
        return match[1];
    }

    std::string folder_;
};

TEST_F(RsimdProgram, StartUpErrorsAreClearAndExitWithTwo)
{
    rsim::test::TestServer occupying;
    const std::string busyPort = occupying.address().substr(occupying.address().rfind(':') + 1);
    const std::string database = "sqlite:" + folder_ + "/r.db";
    struct Case {
        std::vector<std::string> arguments;
        std::string message;
    };
    const Case cases[] = {
        {{"--bogus"}, "rsimd: unknown option '--bogus'\nusage: rsimd"},
        {{"--threads", "many"}, "rsimd: --threads must be a number from 1 to 256, not 'many'\n"},
        {{"--db", "mysql://db/rsim", "--key-file", folder_ + "/k"}, "rsimd: unsupported database address 'mysql://db/rsim'"},
        {{"--db", "sqlite:/proc/nowhere/rsim.db"}, "/proc/nowhere"},
        {{"--db", database, "--key-file", "/proc/nowhere/rsim.key"}, "/proc/nowhere/rsim.key"},
        {{"--db", "postgresql://rsim@127.0.0.1:1/rsim"}, "rsimd: --key-file is required with postgresql://"},
        {{"--db", "postgresql://rsim@127.0.0.1:1/rsim", "--key-file", folder_ + "/k", "--create-key"}, "rsimd: "},
        {{"--db", database, "--listen", "127.0.0.1:" + busyPort}, "rsimd: cannot listen on 127.0.0.1:" + busyPort},
        {{"--db", database, "--listen", "192.0.2.1:7411"}, "rsimd: cannot listen on 192.0.2.1:7411"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        Rsimd rsimd(c.arguments);
        const std::string output = rsimd.output();
        const std::string errors = rsimd.errors();
        EXPECT_EQ(rsimd.wait(), 2) << errors;
        EXPECT_NE(errors.find(c.message), std::string::npos) << errors;
        EXPECT_EQ(errors.find("terminate"), std::string::npos) << errors;
        EXPECT_EQ(output.find("listening"), std::string::npos);
    }
}

TEST_F(RsimdProgram, AFirstStartCreatesTheDatabaseAndAPrivateKeyAndStopsOnSigterm)
{
    const std::string database = "sqlite:" + folder_ + "/var/rsim.db";
    Rsimd rsimd({"--db", database, "--listen", "127.0.0.1:0"});
    const std::string address = start(rsimd, database);
    EXPECT_EQ(rsim::test::post(address, "/v1/login", R"({"login":"admin","password":"admin123"})").body["result"], 1)
        << "an unseeded database has no operators";
    struct stat key {};
    ASSERT_EQ(::stat((folder_ + "/var/rsim.key").c_str(), &key), 0);
    EXPECT_EQ(key.st_mode & 0777, 0600);
    EXPECT_TRUE(fs::exists(folder_ + "/var/rsim.db"));

    rsimd.signal(SIGTERM);
    EXPECT_EQ(rsimd.line(), "rsimd stopped\n");
    EXPECT_EQ(rsimd.wait(), 0);
}

TEST_F(RsimdProgram, ASignalLetsTheCallInProgressFinish)
{
    const std::string database = "sqlite:" + folder_ + "/rsim.db";
    for (int signal : {SIGTERM, SIGINT}) {
        Rsimd rsimd({"--db", database, "--listen", "127.0.0.1:0"});
        const std::string address = start(rsimd, database);
        // A login checks a slow password hash: the signal comes while it runs.
        auto call = std::async(std::launch::async, [&] {
            return rsim::test::post(address, "/v1/login", R"({"login":"nobody","password":"x"})");
        });
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        rsimd.signal(signal);
        const rsim::test::RawAnswer answer = call.get();
        EXPECT_EQ(answer.status, 200);
        EXPECT_EQ(answer.body["error"]["message"], "登录名或密码错误");
        EXPECT_EQ(rsimd.wait(), 0) << rsimd.errors();
    }
}

} // namespace
