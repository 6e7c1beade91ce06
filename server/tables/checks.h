// The checks of a write. Each answers the refusal of the first offending record, or nothing.
// In-memory checks come first; those that ask the database look up all records of the batch
// together (see lookup.h).
#pragma once

#include "stored_table.h"

namespace rsim::tables {

// Keys present; on add and modify also required members, formats and the order of a range.
std::optional<Refusal> checkValues(const Table& table, const Batch& batch, Write write);
// A key (or a unique member) given twice in the batch.
std::optional<Refusal> checkBatchDuplicates(const Table& table, const Batch& batch, Write write);
// Referenced records that are not stored.
std::optional<Refusal> checkReferences(db::Driver& db, const Table& table, const Batch& batch);
// Add: keys stored already.
std::optional<Refusal> checkKeysNew(db::Driver& db, const Table& table, const Batch& batch);
// Modify and delete: keys that are not stored.
std::optional<Refusal> checkKeysStored(db::Driver& db, const Table& table, const Batch& batch, Write write);
// Unique members that another stored record holds.
std::optional<Refusal> checkUniquesFree(db::Driver& db, const Table& table, const Batch& batch);
// Delete: records that other records still reference.
std::optional<Refusal> checkNotReferenced(db::Driver& db, const Table& table, const Batch& batch);
// After the rows are written: each written range ordered, of equal-length ends, and not
// overlapping another range of the table. Runs on the stored rows, so partial modifies count.
std::optional<Refusal> checkRanges(db::Driver& db, const Table& table, const Batch& batch);

} // namespace rsim::tables
