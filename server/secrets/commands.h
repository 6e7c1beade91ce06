// rsimd's maintenance commands on keys and SQLite backups: "rsimd rekey …" and "rsimd backup …".
#pragma once

#include "sealed_columns.h"

#include <ostream>
#include <string>
#include <vector>

namespace rsim::secrets {

// Each takes the arguments after its name, prints its progress to out and its refusals to err,
// and returns the process's exit status: 0 done, 2 refused (bad option, database, key file).
int rekeyCommand(const std::vector<std::string>& arguments,
                 const std::vector<SealedColumn>& columns, std::ostream& out, std::ostream& err);
int backupCommand(const std::vector<std::string>& arguments,
                  const std::vector<SealedColumn>& columns, std::ostream& out, std::ostream& err);

} // namespace rsim::secrets
