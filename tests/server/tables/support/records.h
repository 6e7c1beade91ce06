// Records for the tables tests: valid cards and one-line lists of the reference records.
#pragma once

#include "ResRemoteSimMgnt_def_tvd_c.h"

#include <initializer_list>
#include <string>

namespace tablestest {

// A card that passes every check: IMSI 4600090000nnnnn in no demo range, ICCID 20 digits,
// demo card type C64 and vendor V01, region 10 / county 1001 / hall 100101.
MResRemoteMgntDef::SRemoteSimInfo card(int n);
MResRemoteMgntDef::SRemoteSimInfoList cards(int first, int count);

// Sets a string member by index (to put a bad value in a record without its setter's name).
void setText(CTvdBasicStructObject& record, int member, const std::string& value);

MResRemoteMgntDef::SResRemoteProvCodeList provinces(std::initializer_list<std::pair<const char*, const char*>> rows);
// A group of province 44 in region 10.
MResRemoteMgntDef::SResRemoteMsisdnGroup group(const std::string& code, std::int16_t region = 10);
MResRemoteMgntDef::SResRemoteImsiMsisdnGrp imsiRange(const std::string& group, const std::string& first,
                                                      const std::string& last, std::int16_t region = 10);

} // namespace tablestest
