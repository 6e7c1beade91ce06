// SQL text and checks that both drivers share.
#pragma once

#include "driver.h"

namespace rsim::db {

// "INSERT INTO table (a, b) VALUES (?, ?)", with rows groups of marks: "(?, ?), (?, ?)".
std::string insertStatement(std::string_view table, const std::vector<std::string>& columns,
                            std::size_t rows = 1);
// Refuses a batch with no columns or with a row whose width differs from the column list.
void requireRowWidths(std::string_view table, const std::vector<std::string>& columns,
                      const std::vector<Row>& rows);

} // namespace rsim::db
