// Set-based SQL over many records at once: the records' values as a VALUES list joined to a
// table by its index, in chunks, so that 100,000 records take a few hundred statements.
#pragma once

#include "stored_table.h"

#include <functional>

namespace rsim::tables {

// How many tuples of that many values go into one statement.
std::size_t chunkRows(std::size_t width);
// "(VALUES (?, CAST(? AS BIGINT)), …) AS v" for count tuples of the columns; the casts give
// PostgreSQL the types of the parameters.
std::string valuesTable(const Table& table, const std::vector<int>& columns, std::size_t count);
// "table.A = v.column1 AND table.B = v.column2" for the columns in the order of the tuples.
std::string joinCondition(const Table& table, const std::vector<int>& columns);

// Calls onRow with the answer columns of each stored row whose match columns equal a tuple.
void findStored(db::Driver& db, const Table& table, const std::vector<int>& match,
                const std::vector<int>& answer, const std::vector<db::Row>& tuples,
                const std::function<void(const db::Row&)>& onRow);

// Values as one text, to compare tuples in hash sets.
std::string tupleKey(const db::Row& values);
std::string tupleKey(const db::Row& row, const std::vector<int>& columns);
db::Row tupleOf(const db::Row& row, const std::vector<int>& columns);

} // namespace rsim::tables
