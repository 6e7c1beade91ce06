// The sealed values of a database as a whole: which key file opens them, sealing the values an
// older rsimd left in plain or without their place, and re-sealing under a new key.
#pragma once

#include "driver.h"
#include "secrets.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace rsim::secrets {

// A column whose values are sealed, with the key columns of its table (which name each value's
// place). rows: an SQL condition that picks the rows whose value is secret; empty for all.
struct SealedColumn {
    std::string table;
    std::string column;
    std::vector<std::string> key;
    std::string rows;
    // Whether its values may be written plain outside rsimd (a parameter marked secret by hand),
    // so that every start seals them; the others are scanned once per database.
    bool sealedAtEveryStart = false;
};

// The key file of a database. Refuses (SecretError naming the file) when the database holds
// sealed values and the file is missing, holds none of their key versions, or opens none of
// them; creates the file only when createIfMissing and the database holds no sealed value, so
// that a lost key is never replaced by a new one over sealed data.
SecretBox openKeyFile(db::Driver& db, const std::vector<SealedColumn>& columns,
                      const std::string& path, bool createIfMissing);

// Reads the key version the database seals under, shared until the open transaction ends (a
// rekey raising it waits for this transaction), and makes sure the box holds it: every
// transaction that seals calls it before it seals. Throws SecretError naming the key file when
// the file lacks that version.
void takeUpKeyVersion(db::Driver& db, const SecretBox& box);
// Raises the version the database seals under to the box's newest, in a transaction of its own
// that waits for every transaction that read the version before: once it returns, the values
// sealed under an older version are stored, and every transaction after seals under the new one.
void raiseKeyVersion(db::Driver& db, const SecretBox& box);

// Seals, in one transaction, the values stored in plain and re-seals those sealed without their
// place by an older rsimd; returns how many. Values without a place are taken only from a
// column that holds no placed value yet, so that one copied there later is not given the place.
// A column that only rsimd writes is scanned once per database (sys_sealed_column lists it after
// that): rsimd seals every value it writes, and a start does not read ten million cards again.
std::int64_t sealInPlace(db::Driver& db, const std::vector<SealedColumn>& columns,
                         const SecretBox& box);

// How a re-seal goes, given after each batch.
struct ResealCount {
    std::string column; // "table.column"
    std::int64_t resealed = 0;
    std::int64_t unreadable = 0; // values that do not open, left as they are
    // Those of the last batch: the key of each ("IMSI=460…") and why it does not open.
    std::vector<std::string> unreadableInBatch;
};

// Re-seals under the box's newest key every value sealed under an older one, batchSize values
// per transaction, so that an interruption loses no value and a second run goes on where the
// first stopped. progress is called after each batch; returning false stops there. Returns
// false when stopped.
bool resealUnderNewestKey(db::Driver& db, const std::vector<SealedColumn>& columns,
                          const SecretBox& box, std::size_t batchSize,
                          const std::function<bool(const ResealCount&)>& progress);

// How many values are sealed under the box's newest key, and how many otherwise.
struct KeyUse {
    std::int64_t newest = 0;
    std::int64_t older = 0;
};
KeyUse countByKey(db::Driver& db, const std::vector<SealedColumn>& columns, const SecretBox& box);

} // namespace rsim::secrets
