// Copies of a live SQLite database.
#pragma once

#include <functional>
#include <string>

namespace rsim::db {

// Copies the SQLite database at path to target while others go on writing to it: one read
// transaction holds the snapshot the copy is made of (in WAL mode writers do not wait for it),
// and SQLite's online backup copies its pages pagesPerStep at a time. The copy is written to
// "target.partial" (mode 0600), synced, and renamed to target only when complete, so that target
// is never a half copy. progress gets the pages copied and the pages in all after each step;
// check is given the address of the complete copy before it is renamed, and throws to refuse it.
// Throws Error naming the file that failed.
void backupSqlite(const std::string& path, const std::string& target, int pagesPerStep,
                  const std::function<void(int copied, int total)>& progress,
                  const std::function<void(const std::string& copy)>& check);

} // namespace rsim::db
