#include "test_database.h"

#include <unistd.h>
#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <stdexcept>

namespace storagetest {
namespace {

class SqliteDatabase : public TestDatabase {
public:
    SqliteDatabase()
    {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "rsim-storage-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr)
            throw std::runtime_error("cannot create a temporary folder for a test database");
        folder_ = pattern;
    }
    ~SqliteDatabase() override { std::filesystem::remove_all(folder_); }
    std::unique_ptr<rsim::db::Driver> open() override
    {
        return rsim::db::connect("sqlite:" + folder_ + "/test.db");
    }

private:
    std::string folder_;
};

class PostgresDatabase : public TestDatabase {
public:
    explicit PostgresDatabase(std::string address) : address_(std::move(address))
    {
        static std::atomic<int> counter;
        schema_ = "rsim_test_" + std::to_string(::getpid()) + "_" + std::to_string(++counter);
        admin_ = rsim::db::connect(address_);
        admin_->exec("DROP SCHEMA IF EXISTS " + schema_ + " CASCADE");
        admin_->exec("CREATE SCHEMA " + schema_);
    }
    ~PostgresDatabase() override
    {
        try {
            admin_->exec("DROP SCHEMA " + schema_ + " CASCADE");
        } catch (const std::exception& e) {
            std::cerr << "test schema " << schema_ << " left behind: " << e.what() << "\n";
        }
    }

    std::unique_ptr<rsim::db::Driver> open() override
    {
        auto driver = rsim::db::connect(address_);
        driver->exec("SET search_path TO " + schema_);
        return driver;
    }

private:
    std::string address_;
    std::string schema_;
    std::unique_ptr<rsim::db::Driver> admin_;
};

} // namespace

std::unique_ptr<TestDatabase> sqliteDatabase()
{
    return std::make_unique<SqliteDatabase>();
}

std::unique_ptr<TestDatabase> postgresDatabase()
{
    const char* address = std::getenv("RSIM_TEST_PG");
    if (address == nullptr || *address == '\0')
        return nullptr;
    return std::make_unique<PostgresDatabase>(address);
}

} // namespace storagetest
