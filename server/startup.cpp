#include "startup.h"

#include "schema.h"
#include "sysmgnt.h"
#include "table.h"

#include <iostream>

namespace rsimd {

std::vector<rsim::secrets::SealedColumn> sealedColumns()
{
    auto columns = rsim::tables::sealedColumns();
    columns.push_back(rsim::sysmgnt::secretParameters());
    return columns;
}

bool databaseUnavailable(const rsim::db::Error& error, const std::string& address)
{
    const bool server = address.starts_with("postgresql://") || address.starts_with("postgres://");
    return server && error.kind == rsim::db::Error::Kind::Connection;
}

std::unique_ptr<rsim::db::Driver> connectForStartup(const std::string& address)
{
    auto setup = rsim::db::connect(address);
    // Not released before the connection closes: migrating takes it once more, and the holds
    // stack.
    setup->lockSchema();
    return setup;
}

rsim::secrets::SecretBox prepareDatabase(rsim::db::Driver& setup, const std::string& address,
                                         const std::string& keyFile, bool seedDemo)
{
    rsim::db::migrate(setup, rsim::db::schemaMigrations());
    const bool embedded = address.rfind("sqlite:", 0) == 0;
    auto secrets = rsim::secrets::openKeyFile(setup, sealedColumns(), keyFile, embedded);
    if (const auto sealed = rsim::secrets::sealInPlace(setup, sealedColumns(), secrets))
        std::cerr << "rsimd: sealed " << sealed
                  << " secret values that an older version stored in plain or without their "
                     "place\n";
    if (seedDemo) {
        rsim::sysmgnt::seedDemo(setup, secrets);
        rsim::tables::seedDemo(setup, secrets);
    }
    return secrets;
}

} // namespace rsimd
