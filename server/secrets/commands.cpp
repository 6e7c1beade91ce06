#include "commands.h"

#include "backup.h"
#include "schema.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <optional>

namespace rsim::secrets {
namespace {

constexpr const char* kRekeyHelp =
    "usage: rsimd rekey --db ADDRESS [--key-file PATH] [--batch N] [--max-batches N]\n"
    "\n"
    "Adds a new key version to the key file and re-seals every sealed value of the database\n"
    "under it, --batch values (1000) per transaction, printing counts as it goes and naming each\n"
    "value that does not open (left as it is). Interrupted (or stopped by --max-batches), it "
    "loses\n"
    "nothing: run it again and it adds another version and goes on. When it says that every value\n"
    "that opens is under the new key, the lines of the older versions may be removed from the key\n"
    "file (keep the old key file with the backups that need it).\n"
    "\n"
    "It may run while rsimd serves: every rsimd of the database takes the new key up (reading its\n"
    "key file again) before rekey re-seals and counts, so no value stays under an older version.\n"
    "With replicas on other hosts, copy the new key file to each of them at once: until then\n"
    "they refuse writes rather than seal under a key being retired.\n"
    "\n"
    "  --db ADDRESS       sqlite:PATH or postgresql://USER@HOST:PORT/DB (password: PGPASSFILE)\n"
    "  --key-file PATH    the key file (with SQLite: rsim.key beside the database)\n"
    "  --batch N          values re-sealed per transaction (1000)\n"
    "  --max-batches N    stop after N batches (0: go to the end)\n";

constexpr const char* kBackupHelp =
    "usage: rsimd backup --db sqlite:PATH --to FILE [--key-file PATH]\n"
    "\n"
    "Copies a consistent snapshot of the SQLite database to FILE (mode 0600) while rsimd goes on\n"
    "serving, then checks that the copy is sound and that the key file opens its sealed values.\n"
    "The copy is unreadable without that key file: keep a copy of the key file apart from the\n"
    "backups. For PostgreSQL use pg_dump (docs/operations.md).\n"
    "\n"
    "  --db sqlite:PATH   the database\n"
    "  --to FILE          the copy, replaced only once complete\n"
    "  --key-file PATH    the key file (rsim.key beside the database)\n";

struct Parsed {
    std::map<std::string, std::string> values;
    std::string problem;
    bool help = false;
};

Parsed parse(const std::vector<std::string>& arguments, const std::vector<std::string>& known)
{
    Parsed parsed;
    for (std::size_t i = 0; i < arguments.size() && parsed.problem.empty(); ++i) {
        const std::string& option = arguments[i];
        if (option == "--help" || option == "-h")
            parsed.help = true;
        else if (std::find(known.begin(), known.end(), option) == known.end())
            parsed.problem = "unknown option '" + option + "'";
        else if (i + 1 == arguments.size())
            parsed.problem = option + " needs a value";
        else
            parsed.values[option] = arguments[++i];
    }
    return parsed;
}

std::optional<long> count(const Parsed& parsed, const std::string& option, long fallback, long low)
{
    const auto found = parsed.values.find(option);
    if (found == parsed.values.end())
        return fallback;
    char* end = nullptr;
    const long n = std::strtol(found->second.c_str(), &end, 10);
    if (found->second.empty() || *end != '\0' || n < low || n > 100000000)
        return std::nullopt;
    return n;
}

// The key file named, or rsim.key beside an SQLite database; empty when neither.
std::string keyFileOf(const Parsed& parsed, const std::string& database)
{
    if (parsed.values.contains("--key-file"))
        return parsed.values.at("--key-file");
    if (!database.starts_with("sqlite:") || database == "sqlite::memory:")
        return {};
    return (std::filesystem::path(database.substr(7)).parent_path() / "rsim.key").string();
}

int refuse(std::ostream& err, const std::string& problem, const char* help)
{
    err << "rsimd: " << problem << "\n" << help;
    return 2;
}

std::string versionsBelow(int newest)
{
    return newest == 2 ? "v1" : "v1…v" + std::to_string(newest - 1);
}

std::int64_t total(const std::map<std::string, std::int64_t>& counts)
{
    std::int64_t sum = 0;
    for (const auto& [column, count] : counts)
        sum += count;
    return sum;
}

// Says whether the older versions may go: only when no value that opens is left under them.
void reportRekey(std::ostream& out, bool finished, long batches, std::int64_t older,
                 std::int64_t unreadable, int newest, const std::string& keyFile)
{
    if (!finished) {
        out << "stopped after " << batches << " batches; " << older
            << " values are still under older keys: run rekey again (it adds another version "
               "and goes on)\n";
        return;
    }
    if (unreadable > 0)
        out << unreadable << " values named above open under no key of the file (altered, "
            << "moved from another row, or sealed under a removed version) and are left as "
               "they are: enter them again\n";
    if (older > unreadable)
        out << older - unreadable << " values were sealed under older keys while rekey ran "
            << "(by an rsimd of a release before this one): run rekey again\n";
    else
        out << "every sealed value that opens is under key version v" << newest << ": the "
            << "lines of " << versionsBelow(newest) << " may now be removed from " << keyFile
            << "\n";
}

} // namespace

int rekeyCommand(const std::vector<std::string>& arguments,
                 const std::vector<SealedColumn>& columns, std::ostream& out, std::ostream& err)
{
    const Parsed parsed = parse(arguments, {"--db", "--key-file", "--batch", "--max-batches"});
    if (parsed.help) {
        out << kRekeyHelp;
        return 0;
    }
    const auto batch = count(parsed, "--batch", 1000, 1);
    const auto maxBatches = count(parsed, "--max-batches", 0, 0);
    const std::string database = parsed.values.contains("--db") ? parsed.values.at("--db") : "";
    const std::string keyFile = keyFileOf(parsed, database);
    if (!parsed.problem.empty())
        return refuse(err, parsed.problem, kRekeyHelp);
    if (database.empty())
        return refuse(err, "rekey needs --db", kRekeyHelp);
    if (keyFile.empty())
        return refuse(err, "--key-file is required with " + db::redacted(database), kRekeyHelp);
    if (!batch || !maxBatches)
        return refuse(err, "--batch and --max-batches take a number (--batch at least 1)",
                      kRekeyHelp);
    try {
        auto db = db::connect(database);
        db::migrate(*db, db::schemaMigrations());
        SecretBox box = openKeyFile(*db, columns, keyFile, false);
        if (const auto sealed = sealInPlace(*db, columns, box))
            out << "sealed " << sealed << " values left in plain or without their place\n";
        box.addKey();
        out << "added key version v" << box.newestVersion() << " to " << keyFile << "\n";
        out.flush();
        raiseKeyVersion(*db, box);
        long batches = 0;
        std::map<std::string, std::int64_t> unreadable;
        const bool finished = resealUnderNewestKey(
            *db, columns, box, static_cast<std::size_t>(*batch), [&](const ResealCount& c) {
                out << c.column << ": " << c.resealed << " re-sealed"
                    << (c.unreadable ? ", " + std::to_string(c.unreadable) + " unreadable" : "")
                    << "\n";
                for (const auto& value : c.unreadableInBatch)
                    out << "  not re-sealed, " << c.column << " " << value << "\n";
                out.flush();
                unreadable[c.column] = c.unreadable;
                return *maxBatches == 0 || ++batches < *maxBatches;
            });
        reportRekey(out, finished, batches, countByKey(*db, columns, box).older, total(unreadable),
                    box.newestVersion(), keyFile);
        return 0;
    } catch (const std::exception& e) {
        err << "rsimd: " << e.what() << "\n";
        return 2;
    }
}

int backupCommand(const std::vector<std::string>& arguments,
                  const std::vector<SealedColumn>& columns, std::ostream& out, std::ostream& err)
{
    const Parsed parsed = parse(arguments, {"--db", "--to", "--key-file"});
    if (parsed.help) {
        out << kBackupHelp;
        return 0;
    }
    const std::string database = parsed.values.contains("--db") ? parsed.values.at("--db") : "";
    const std::string target = parsed.values.contains("--to") ? parsed.values.at("--to") : "";
    if (!parsed.problem.empty())
        return refuse(err, parsed.problem, kBackupHelp);
    if (!database.starts_with("sqlite:") || database == "sqlite::memory:" || target.empty())
        return refuse(err,
                      "backup needs --db sqlite:PATH and --to FILE (for PostgreSQL use pg_dump)",
                      kBackupHelp);
    const std::string path = database.substr(7);
    std::error_code unknown;
    if (std::filesystem::equivalent(path, target, unknown))
        return refuse(err, "--to names the database itself", kBackupHelp);
    if (!std::filesystem::exists(path, unknown))
        return refuse(err, "the database '" + path + "' does not exist", kBackupHelp);
    const std::string keyFile = keyFileOf(parsed, database);
    try {
        int shown = -1;
        db::backupSqlite(
            path, target, 1024,
            [&](int copied, int total) {
                const int percent = total ? copied * 100 / total : 100;
                if (percent / 10 != shown / 10)
                    out << "copied " << copied << " of " << total << " pages" << std::endl;
                shown = percent;
            },
            [&](const std::string& copy) {
                auto db = db::connect(copy);
                if (db::asText(db->scalar("PRAGMA quick_check")) != "ok")
                    throw db::Error(db::Error::Kind::Other, "the copy fails SQLite's check");
                openKeyFile(*db, columns, keyFile, false);
            });
        out << "backed up " << path << " to " << target << "; its sealed values open with "
            << keyFile << ", which the backup cannot be read without\n";
        return 0;
    } catch (const std::exception& e) {
        err << "rsimd: " << e.what() << "\n";
        return 2;
    }
}

} // namespace rsim::secrets
