// rsimd's schema: every migration, oldest first.
//
// To change the schema, append one entry with the next version and a short description; never
// edit an entry once it has been released, since databases out there have applied it. Versions
// 1 and 100 are the schema as first released; 100 stays the baseline of the remote-SIM tables.
#include "schema.h"

namespace rsim::db {

const std::vector<Migration>& schemaMigrations()
{
    static const std::vector<Migration> migrations{
        {1,
         "system tables: places, operators, rights, parameters, code lists, sessions, audit",
         {"CREATE TABLE sys_region (REGION_CODE BIGINT PRIMARY KEY, REGION_NAME TEXT NOT NULL)",
          "CREATE TABLE sys_county (COUNTY_CODE BIGINT PRIMARY KEY, COUNTY_NAME TEXT NOT NULL, "
          "REGION_CODE BIGINT NOT NULL REFERENCES sys_region(REGION_CODE), "
          "SEQ_NO BIGINT NOT NULL DEFAULT 0)",
          "CREATE TABLE sys_org (ORG_ID BIGINT PRIMARY KEY, ORG_NAME TEXT NOT NULL, "
          "COUNTY_CODE BIGINT NOT NULL, REGION_CODE BIGINT NOT NULL, "
          "STS BIGINT NOT NULL DEFAULT 1)",
          "CREATE TABLE sys_operator (OP_ID BIGINT PRIMARY KEY, OP_NAME TEXT NOT NULL, "
          "LOGIN_NAME TEXT NOT NULL UNIQUE, ORG_ID BIGINT NOT NULL, COUNTY_CODE BIGINT NOT NULL, "
          "REGION_CODE BIGINT NOT NULL, OP_STATUS BIGINT NOT NULL DEFAULT 1, "
          "LOCK_STATUS BIGINT NOT NULL DEFAULT 0, PHONE TEXT, CREATE_DATE TEXT, "
          "PASSWORD_HASH TEXT NOT NULL)",
          "CREATE TABLE sys_oper_right (OP_ID BIGINT NOT NULL, ENT_ID BIGINT NOT NULL, "
          "PRIV_ID BIGINT NOT NULL, PRIMARY KEY (OP_ID, ENT_ID, PRIV_ID))",
          "CREATE TABLE sys_param (PARAM_CODE TEXT NOT NULL, "
          "REGION_CODE BIGINT NOT NULL DEFAULT 0, COUNTY_CODE BIGINT NOT NULL DEFAULT 0, "
          "PARAM_NAME TEXT, PARAM_CLASS BIGINT NOT NULL DEFAULT 0, PARAM_DATA_TYPE TEXT, "
          "PARAM_VALUE TEXT, PARAM_DESC TEXT, PRIMARY KEY (PARAM_CODE, REGION_CODE, COUNTY_CODE))",
          "CREATE TABLE sys_code (CATEGORY BIGINT NOT NULL, CODE BIGINT NOT NULL, "
          "NAME TEXT NOT NULL, SORT_ORDER BIGINT NOT NULL DEFAULT 0, PRIMARY KEY (CATEGORY, CODE))",
          "CREATE TABLE sys_session (TOKEN TEXT PRIMARY KEY, OP_ID BIGINT NOT NULL, "
          "EXPIRES TEXT NOT NULL)",
          "CREATE TABLE sys_audit (AUDIT_TIME TEXT NOT NULL, OP_ID BIGINT NOT NULL, "
          "INTERFACE TEXT NOT NULL, CODE TEXT NOT NULL, OPERATION TEXT NOT NULL, "
          "RECORD_KEY TEXT NOT NULL)",
          "CREATE INDEX sys_audit_time ON sys_audit (AUDIT_TIME)"}},
        {100,
         "remote-SIM tables",
         {"CREATE TABLE rsim_province (PROVINCE_CODE TEXT, PROVINCE_NAME TEXT, "
          "PRIMARY KEY (PROVINCE_CODE))",
          "CREATE TABLE rsim_card_type (CARD_TYPE TEXT, CARD_NAME TEXT, "
          "STS BIGINT NOT NULL DEFAULT 0, STS_DATE TEXT, IS_DOUBLE BIGINT NOT NULL DEFAULT 0, "
          "PRIMARY KEY (CARD_TYPE))",
          "CREATE TABLE rsim_vendor (VENDOR_CODE TEXT, VENDOR_NAME TEXT, "
          "IS_KI BIGINT NOT NULL DEFAULT 0, PRIMARY KEY (VENDOR_CODE))",
          "CREATE TABLE rsim_msisdn_group (MSISDN_GROUP TEXT, MSISDN_NAME TEXT, "
          "REGION_CODE BIGINT NOT NULL DEFAULT 0, ALART_SET BIGINT NOT NULL DEFAULT 0, "
          "PROVINCE_CODE TEXT, COUNTY_CODE BIGINT NOT NULL DEFAULT 0, "
          "ORG_ID BIGINT NOT NULL DEFAULT 0, PRIMARY KEY (MSISDN_GROUP))",
          "CREATE INDEX rsim_msisdn_group_PROVINCE_CODE ON rsim_msisdn_group (PROVINCE_CODE)",
          "CREATE TABLE rsim_imsi_range (MSISDN_GROUP TEXT, FIRST_IMSI TEXT, LAST_IMSI TEXT, "
          "REGION_CODE BIGINT NOT NULL DEFAULT 0, PROVINCE_CODE TEXT, "
          "COUNTY_CODE BIGINT NOT NULL DEFAULT 0, ORG_ID BIGINT NOT NULL DEFAULT 0, "
          "PRIMARY KEY (FIRST_IMSI))",
          "CREATE INDEX rsim_imsi_range_MSISDN_GROUP ON rsim_imsi_range (MSISDN_GROUP)",
          "CREATE INDEX rsim_imsi_range_PROVINCE_CODE ON rsim_imsi_range (PROVINCE_CODE)",
          "CREATE TABLE rsim_msisdn_range (MSISDN_GROUP TEXT, FIRST_MSISDN TEXT, "
          "LAST_MSISDN TEXT, REGION_CODE BIGINT NOT NULL DEFAULT 0, PROVINCE_CODE TEXT, "
          "COUNTY_CODE BIGINT NOT NULL DEFAULT 0, ORG_ID BIGINT NOT NULL DEFAULT 0, "
          "PRIMARY KEY (FIRST_MSISDN))",
          "CREATE INDEX rsim_msisdn_range_MSISDN_GROUP ON rsim_msisdn_range (MSISDN_GROUP)",
          "CREATE INDEX rsim_msisdn_range_PROVINCE_CODE ON rsim_msisdn_range (PROVINCE_CODE)",
          "CREATE TABLE rsim_sim (IMSI TEXT, SIM_ID TEXT, MSISDN_SEG TEXT, "
          "BRAND BIGINT NOT NULL DEFAULT 0, RES_CODE TEXT, HLR_CODE BIGINT NOT NULL DEFAULT 0, "
          "REGION_CODE BIGINT NOT NULL DEFAULT 0, COUNTY_CODE BIGINT NOT NULL DEFAULT 0, "
          "ORG_ID BIGINT NOT NULL DEFAULT 0, AGENT_ID BIGINT NOT NULL DEFAULT 0, PUK1 TEXT, "
          "PUK2 TEXT, PIN1 TEXT, PIN2 TEXT, PURPOSE BIGINT NOT NULL DEFAULT 0, "
          "MAIN_FLAG BIGINT NOT NULL DEFAULT 0, MAIN_SIM_ID TEXT, STS BIGINT NOT NULL DEFAULT 0, "
          "STS_DATE TEXT, RES_STS BIGINT NOT NULL DEFAULT 0, RES_OP_ID BIGINT NOT NULL DEFAULT 0, "
          "RES_DATE TEXT, HLR_STS BIGINT NOT NULL DEFAULT 0, HLR_DATE TEXT, "
          "RECEIVER BIGINT NOT NULL DEFAULT 0, IS_CONFIRM BIGINT NOT NULL DEFAULT 0, "
          "BATCH_ID BIGINT NOT NULL DEFAULT 0, KI_CODE TEXT, SIM_TYPE BIGINT NOT NULL DEFAULT 0, "
          "BIND_STS BIGINT NOT NULL DEFAULT 0, REMARK TEXT, CREATE_DATE TEXT, SALE_DATE TEXT, "
          "WHOLESALE_DATE TEXT, OREGION_CODE BIGINT NOT NULL DEFAULT 0, "
          "AGENT_MODE BIGINT NOT NULL DEFAULT 0, OPERATION_ID BIGINT NOT NULL DEFAULT 0, "
          "KI_STS BIGINT NOT NULL DEFAULT 0, KIND BIGINT NOT NULL DEFAULT 0, SIM_SEQUENCE TEXT, "
          "VERSION_ID TEXT, SMSP TEXT, VENDOR_CODE TEXT, KI_KEY TEXT, PRIMARY KEY (IMSI))",
          "CREATE UNIQUE INDEX rsim_sim_SIM_ID ON rsim_sim (SIM_ID)",
          "CREATE INDEX rsim_sim_RES_CODE ON rsim_sim (RES_CODE)",
          "CREATE INDEX rsim_sim_VENDOR_CODE ON rsim_sim (VENDOR_CODE)",
          "CREATE TABLE rsim_vendor_dll (PROVINCE_CODE TEXT, VENDOR_CODE TEXT, CARD_TYPE TEXT, "
          "DLL_NAME TEXT, REG_CODE TEXT, VERSION_ID TEXT, CREATE_DATE TEXT, "
          "PRIMARY KEY (PROVINCE_CODE, VENDOR_CODE, CARD_TYPE, DLL_NAME))",
          "CREATE INDEX rsim_vendor_dll_PROVINCE_CODE ON rsim_vendor_dll (PROVINCE_CODE)",
          "CREATE INDEX rsim_vendor_dll_VENDOR_CODE ON rsim_vendor_dll (VENDOR_CODE)",
          "CREATE INDEX rsim_vendor_dll_CARD_TYPE ON rsim_vendor_dll (CARD_TYPE)",
          "CREATE TABLE rsim_dll_error (VENDOR_CODE TEXT, CARD_TYPE TEXT, DLL_NAME TEXT, "
          "ERR_CODE TEXT, ERR_MESSAGE TEXT, PRIMARY KEY (VENDOR_CODE, CARD_TYPE, DLL_NAME, "
          "ERR_CODE))",
          "CREATE INDEX rsim_dll_error_VENDOR_CODE ON rsim_dll_error (VENDOR_CODE)",
          "CREATE INDEX rsim_dll_error_CARD_TYPE ON rsim_dll_error (CARD_TYPE)",
          "CREATE TABLE rsim_auc_info (PROVINCE_CODE TEXT, VENDOR_CODE TEXT, CARD_TYPE TEXT, "
          "SIM_SEQUENCE TEXT, PWD TEXT, REGION_CODE BIGINT NOT NULL DEFAULT 0, "
          "COUNTY_CODE BIGINT NOT NULL DEFAULT 0, ORG_ID BIGINT NOT NULL DEFAULT 0, "
          "FUNCTION_CODE TEXT, OP_ID BIGINT NOT NULL DEFAULT 0, STS BIGINT NOT NULL DEFAULT 0, "
          "OPER_DATE TEXT, EXT_HOLD1 TEXT, EXT_HOLD2 TEXT, PRIMARY KEY (PROVINCE_CODE, "
          "VENDOR_CODE, CARD_TYPE, SIM_SEQUENCE))",
          "CREATE INDEX rsim_auc_info_PROVINCE_CODE ON rsim_auc_info (PROVINCE_CODE)",
          "CREATE INDEX rsim_auc_info_VENDOR_CODE ON rsim_auc_info (VENDOR_CODE)",
          "CREATE INDEX rsim_auc_info_CARD_TYPE ON rsim_auc_info (CARD_TYPE)",
          "CREATE TABLE rsim_auc_right (SIM_SEQUENCE TEXT, ENT_TYPE BIGINT NOT NULL DEFAULT 0, "
          "ENT_CODE TEXT, ENT_NAME TEXT, PRIMARY KEY (ENT_TYPE, ENT_CODE, SIM_SEQUENCE))",
          "CREATE TABLE rsim_ps_number (NUMBER_SEGMENT TEXT, "
          "PS_SERVICE_TYPE BIGINT NOT NULL DEFAULT 0, PS_NET_CODE TEXT, GROUP_CODE TEXT, "
          "REGION_CODE TEXT, STATUS BIGINT NOT NULL DEFAULT 0, OPER_ID BIGINT NOT NULL DEFAULT 0, "
          "ORG_ID BIGINT NOT NULL DEFAULT 0, DONE_DATE TEXT, DONE_CODE BIGINT NOT NULL DEFAULT 0, "
          "SMP_REGION_CODE TEXT, REMARK TEXT, BAK_PS_NET_CODE TEXT, PRIMARY KEY (NUMBER_SEGMENT))",
          "CREATE TABLE rsim_ps_imsi (START_IMSI TEXT, END_IMSI TEXT, PS_NET_CODE TEXT, "
          "GROUP_CODE TEXT, REGION_CODE TEXT, REMARK TEXT, BAK_PS_NET_CODE TEXT, "
          "PRIMARY KEY (START_IMSI))",
          "CREATE TABLE rsim_write_log (SO_NBR BIGINT NOT NULL DEFAULT 0, SIM_ID TEXT, IMSI TEXT, "
          "OP_ID BIGINT NOT NULL DEFAULT 0, OP_TYPE BIGINT NOT NULL DEFAULT 0, OP_TIME TEXT, "
          "OP_STR TEXT, CARD_FLAG TEXT, OP_RESULT BIGINT NOT NULL DEFAULT 0, PHONE1 TEXT, "
          "PHONE2 TEXT, REGION_CODE BIGINT NOT NULL DEFAULT 0, REMARK TEXT, PRIMARY KEY (SO_NBR))",
          "CREATE TABLE rsim_res_code (RES_CODE BIGINT NOT NULL DEFAULT 0, RES_NAME TEXT, "
          "RES_TYPE BIGINT NOT NULL DEFAULT 0, USER_TYPE BIGINT NOT NULL DEFAULT 0, "
          "RES_DESC TEXT, FEATURE_DES TEXT, VALID_DATE TEXT, EXPIRE_DATE TEXT, "
          "IS_DETAIL BIGINT NOT NULL DEFAULT 0, VALID_DAYS BIGINT NOT NULL DEFAULT 0, "
          "FEE_ITEM BIGINT NOT NULL DEFAULT 0, OPERATION_ID BIGINT NOT NULL DEFAULT 0, "
          "RES_ADSCRIPTION BIGINT NOT NULL DEFAULT 0, EXT_HOLDS BIGINT NOT NULL DEFAULT 0, "
          "EXT_HOLDS1 TEXT, EXT_HOLDS2 TEXT, EXT_HOLDS3 TEXT, PRIMARY KEY (RES_CODE))"}},
        // The write log grows by every card written. The inquiry window asks by the operator's
        // region and id within a span of days, newest first; other callers by a span alone or by
        // a number. Each number index leads with the number and carries the window's scope after
        // it, so that the planner prefers it to the scope index when both apply.
        {101,
         "write-log indexes",
         {"CREATE INDEX rsim_write_log_time ON rsim_write_log (OP_TIME)",
          "CREATE INDEX rsim_write_log_scope ON rsim_write_log (REGION_CODE, OP_ID, OP_TIME)",
          "CREATE INDEX rsim_write_log_imsi ON rsim_write_log (IMSI, REGION_CODE, OP_ID, OP_TIME)",
          "CREATE INDEX rsim_write_log_sim ON rsim_write_log (SIM_ID, REGION_CODE, OP_ID, OP_TIME)",
          "CREATE INDEX rsim_write_log_phone1 ON rsim_write_log (PHONE1, REGION_CODE, OP_ID, "
          "OP_TIME)",
          "CREATE INDEX rsim_write_log_phone2 ON rsim_write_log (PHONE2, REGION_CODE, OP_ID, "
          "OP_TIME)"}},
        // Sessions are kept as digests of their tokens from here on: the tokens stored before
        // were live sessions in every copy of the database.
        {102,
         "failed logins per login name; sessions kept as token digests",
         {"CREATE TABLE sys_login_failure (LOGIN_NAME TEXT PRIMARY KEY, FAILURES BIGINT NOT NULL, "
          "LAST_FAILURE BIGINT NOT NULL)",
          "DELETE FROM sys_session"}},
        // SIM numbers of 19 and 20 characters are compared as numbers by this key: the number
        // left-padded with zeros to 20 characters (the query states the same expression).
        {103,
         "SIM numbers ordered as numbers",
         {"CREATE INDEX rsim_sim_SIM_ID_number ON rsim_sim "
          "(SUBSTR('00000000000000000000' || SIM_ID, LENGTH(SIM_ID) + 1))"}},
        // Sessions end at an absolute time as well as after idling; times are seconds since the
        // epoch. Failed logins are counted per login name and source address, and per source
        // address (under an empty login name). Sessions and counts stored before are dropped.
        {104,
         "sessions with idle and absolute expiries; failed logins per name and address",
         {"DROP TABLE sys_session",
          "CREATE TABLE sys_session (TOKEN TEXT PRIMARY KEY, OP_ID BIGINT NOT NULL, "
          "IDLE_UNTIL BIGINT NOT NULL, ENDS BIGINT NOT NULL)",
          "DROP TABLE sys_login_failure",
          "CREATE TABLE sys_login_failure (LOGIN_NAME TEXT NOT NULL, SOURCE TEXT NOT NULL, "
          "FAILURES BIGINT NOT NULL, LAST_FAILURE BIGINT NOT NULL, "
          "PREVIOUS_FAILURE BIGINT NOT NULL, PRIMARY KEY (LOGIN_NAME, SOURCE))"}},
        // Reads of secrets, logins and logouts are audited apart from writes, one row per answer
        // naming the keys it revealed. The reads audited before, one row per record, move there
        // as they are (an SQLite service then moves them on into its audit file).
        {105,
         "access audit apart from writes",
         {"CREATE TABLE sys_access_audit (AUDIT_TIME TEXT NOT NULL, OP_ID BIGINT NOT NULL, "
          "LOGIN_NAME TEXT NOT NULL, SOURCE TEXT NOT NULL, EVENT TEXT NOT NULL, "
          "OPERATION TEXT NOT NULL, RECORD_KEYS TEXT NOT NULL)",
          "CREATE INDEX sys_access_audit_time ON sys_access_audit (AUDIT_TIME)",
          "INSERT INTO sys_access_audit (AUDIT_TIME, OP_ID, LOGIN_NAME, SOURCE, EVENT, OPERATION, "
          "RECORD_KEYS) SELECT AUDIT_TIME, OP_ID, '', '', 'read', INTERFACE || '/' || CODE || ' ' "
          "|| OPERATION, RECORD_KEY FROM sys_audit WHERE OPERATION LIKE 'qry%'",
          "DELETE FROM sys_audit WHERE OPERATION LIKE 'qry%'"}},
        // The FTP address of the vendor libraries carries a password; rsimd seals the values of
        // secret parameters at start.
        {106,
         "secret system parameters",
         {"ALTER TABLE sys_param ADD COLUMN PARAM_SECRET BIGINT NOT NULL DEFAULT 0",
          "UPDATE sys_param SET PARAM_SECRET = 1 WHERE PARAM_CODE = 'GuiWriteCardFTP'"}},
        // A write's answer is kept by the id its client gave it, so that a repeat of the write is
        // answered without being applied again. STATUS is 0 until the answer is known, in the
        // write's own transaction.
        {107,
         "answers of writes by request id",
         {"CREATE TABLE sys_request (OP_ID BIGINT NOT NULL, REQUEST_ID TEXT NOT NULL, "
          "CREATED BIGINT NOT NULL, STATUS BIGINT NOT NULL, ANSWER TEXT NOT NULL, "
          "PRIMARY KEY (OP_ID, REQUEST_ID))",
          "CREATE INDEX sys_request_created ON sys_request (CREATED)"}},
        // The sealed columns whose values rsimd has sealed in place; a start scans only the
        // others.
        {108,
         "sealed columns scanned once",
         {"CREATE TABLE sys_sealed_column (TABLE_NAME TEXT NOT NULL, COLUMN_NAME TEXT NOT NULL, "
          "PRIMARY KEY (TABLE_NAME, COLUMN_NAME))"}},
        // A login's failure is counted once its password was checked, and a waiting attempt is
        // timed from the last failure alone.
        {109,
         "failed logins timed from the last failure",
         {"ALTER TABLE sys_login_failure DROP COLUMN PREVIOUS_FAILURE"}},
        // Logins told to wait are audited summed up, one row per login name and source a minute
        // with their number.
        {110,
         "logins told to wait summed up in the access audit",
         {"ALTER TABLE sys_access_audit ADD COLUMN ATTEMPTS BIGINT NOT NULL DEFAULT 1"}},
        // A request id is bound to the operation and body it was first given for; ids kept
        // before have no digest and are not compared.
        {111,
         "request ids bound to their request",
         {"ALTER TABLE sys_request ADD COLUMN DIGEST TEXT NOT NULL DEFAULT ''"}},
        // The addresses each login name logged in from, and when last: guesses at a name from
        // many addresses never make those wait.
        {112,
         "addresses each login name logged in from",
         {"CREATE TABLE sys_login_source (LOGIN_NAME TEXT NOT NULL, SOURCE TEXT NOT NULL, "
          "LAST_LOGIN BIGINT NOT NULL, PRIMARY KEY (LOGIN_NAME, SOURCE))"}},
        // The key version every transaction that seals reads before it seals (0: the newest of
        // the key file); rekey raises it, waiting for the transactions that read it before.
        {113,
         "the key version values are sealed under",
         {"CREATE TABLE sys_key_version (ID BIGINT PRIMARY KEY CHECK (ID = 1), "
          "VERSION BIGINT NOT NULL)",
          "INSERT INTO sys_key_version (ID, VERSION) VALUES (1, 0)"}},
    };
    return migrations;
}

} // namespace rsim::db
