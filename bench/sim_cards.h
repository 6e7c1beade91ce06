// Cards and write-log entries for the benchmarks, and the rows the service stores for them.
#pragma once

#include "ResRemoteSimMgnt_def_tvd_c.h"
#include "driver.h"
#include "secrets.h"

#include <string>
#include <vector>

// A valid card numbered n (IMSI 46002…, ICCID 898602…).
MResRemoteMgntDef::SRemoteSimInfo card(long long n);
// All 44 columns of each card, the KI sealed with the box.
std::vector<rsim::db::Row> rowsOf(const MResRemoteMgntDef::SRemoteSimInfoList& cards,
                                  const rsim::secrets::SecretBox& box);
std::vector<std::string> simColumns();
// Runs, times over, the SQL of the IMSI range query with MAX_NUM 50 that the benchmarks compare
// against: 460020000500000 to 460020000600000, straight on the driver.
void bareRangeQuery(rsim::db::Driver& db, int times);
// Stores count cards numbered from first straight into the database, in batches.
void storeCards(rsim::db::Driver& db, const rsim::secrets::SecretBox& box, long long first,
                long long count);
// The columns of the write log, and 1,000,000 entries of a year stored straight into it: 10
// regions of 20 operators each.
std::vector<std::string> writeLogColumns();
void storeWriteLog(rsim::db::Driver& db, bool postgres);
