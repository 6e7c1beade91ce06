#include "options.h"

#include <charconv>
#include <filesystem>

namespace rsim {
namespace {

int number(const std::string& option, const std::string& text, int lowest, int highest)
{
    int value = 0;
    const auto [end, fault] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (fault != std::errc() || end != text.data() + text.size() || value < lowest || value > highest)
        throw UsageError(option + " must be a number from " + std::to_string(lowest) + " to " +
                         std::to_string(highest) + ", not '" + text + "'");
    return value;
}

void readListen(const std::string& text, Options& options)
{
    const std::size_t colon = text.rfind(':');
    if (colon == std::string::npos || colon == 0)
        throw UsageError("--listen must be HOST:PORT (e.g. 127.0.0.1:7411), not '" + text + "'");
    options.host = text.substr(0, colon);
    if (options.host.size() > 2 && options.host.front() == '[' && options.host.back() == ']')
        options.host = options.host.substr(1, options.host.size() - 2);
    options.port = number("--listen port", text.substr(colon + 1), 0, 65535);
}

void chooseKeyFile(Options& options)
{
    const bool sqlite = options.database.starts_with("sqlite:");
    if (options.database == "sqlite::memory:")
        throw UsageError("an in-memory database cannot be shared by the worker threads: use sqlite:PATH");
    if (sqlite)
        options.createKey = true;
    if (!options.keyFile.empty())
        return;
    if (!sqlite)
        throw UsageError("--key-file is required with " + options.database +
                         " (add --create-key to create a new key file there)");
    const std::filesystem::path database = options.database.substr(7);
    options.keyFile = (database.parent_path() / "rsim.key").string();
}

} // namespace

std::string usageText()
{
    return "usage: rsimd [--db sqlite:PATH | --db postgresql://USER@HOST:PORT/DB] [--listen HOST:PORT]\n"
           "             [--seed demo] [--threads N] [--key-file PATH [--create-key]]\n";
}

Options parseOptions(const std::vector<std::string>& arguments)
{
    Options options;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& option = arguments[i];
        auto value = [&]() -> const std::string& {
            if (i + 1 >= arguments.size())
                throw UsageError(option + " needs a value");
            return arguments[++i];
        };
        if (option == "--db")
            options.database = value();
        else if (option == "--listen")
            readListen(value(), options);
        else if (option == "--key-file")
            options.keyFile = value();
        else if (option == "--create-key")
            options.createKey = true;
        else if (option == "--threads")
            options.threads = number(option, value(), 1, 256);
        else if (option == "--seed") {
            if (value() != "demo")
                throw UsageError("--seed takes only 'demo', not '" + arguments[i] + "'");
            options.seedDemo = true;
        } else
            throw UsageError("unknown option '" + option + "'");
    }
    chooseKeyFile(options);
    return options;
}

} // namespace rsim
