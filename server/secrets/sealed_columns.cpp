#include "sealed_columns.h"

#include <filesystem>
#include <optional>

namespace rsim::secrets {
namespace {

using db::Row;
using db::Value;

std::string name(const SealedColumn& c)
{
    return c.table + "." + c.column;
}

std::string keyList(const SealedColumn& c)
{
    std::string list;
    for (const auto& k : c.key)
        list += (list.empty() ? "" : ", ") + k;
    return list;
}

// "WHERE <column> <> '' AND <rows> AND <more>"
std::string storedWhere(const SealedColumn& c, const std::string& more = {})
{
    std::string where = " WHERE " + c.column + " <> ''";
    if (!c.rows.empty())
        where += " AND (" + c.rows + ")";
    if (!more.empty())
        where += " AND " + more;
    return where;
}

Place placeOf(const SealedColumn& c, const Row& row)
{
    Place place{c.table, c.column, {}};
    for (std::size_t i = 1; i < row.size(); ++i)
        place.key.push_back(db::asText(row[i]));
    return place;
}

std::string keyText(const SealedColumn& c, const Place& place)
{
    std::string text;
    for (std::size_t i = 0; i < c.key.size(); ++i)
        text += (i ? " " : "") + c.key[i] + "=" + place.key[i];
    return text;
}

std::string opened(const SecretBox& box, const std::string& stored, const Place& place)
{
    return SecretBox::isPlaced(stored) ? box.decrypt(stored, place) : box.decryptUnplaced(stored);
}

// One sealed value of the column (the value, then its key), if it holds any.
std::optional<Row> sample(db::Driver& db, const SealedColumn& c)
{
    std::optional<Row> found;
    db.query("SELECT " + c.column + ", " + keyList(c) + " FROM " + c.table + storedWhere(c) +
                 " LIMIT 50",
             {}, [&](const Row& row) {
                 if (!found && SecretBox::looksSealed(db::asText(row[0])))
                     found = row;
             });
    return found;
}

// Runs through the rows of the column that match condition, batchSize at a time in the order of
// the key, from after the key of the batch before: a value left as it is does not come back.
// onBatch gets each batch's rows (value, then key).
void inBatches(db::Driver& db, const SealedColumn& c, const std::string& condition,
               const Row& conditionParams, std::size_t batchSize,
               const std::function<bool(const std::vector<Row>&)>& onBatch)
{
    std::string marks;
    for (std::size_t i = 0; i < c.key.size(); ++i)
        marks += i ? ", ?" : "?";
    const std::string select = "SELECT " + c.column + ", " + keyList(c) + " FROM " + c.table;
    const std::string order = " ORDER BY " + keyList(c) + " LIMIT " + std::to_string(batchSize);
    std::optional<Row> after;
    for (;;) {
        Row params = conditionParams;
        std::string more = condition;
        if (after) {
            more += " AND (" + keyList(c) + ") > (" + marks + ")";
            params.insert(params.end(), after->begin(), after->end());
        }
        std::vector<Row> rows;
        db.query(select + storedWhere(c, more) + order, params,
                 [&](const Row& row) { rows.push_back(row); });
        if (rows.empty() || !onBatch(rows) || rows.size() < batchSize)
            return;
        after = Row(rows.back().begin() + 1, rows.back().end());
    }
}

// The value of the row (value, then key) replaced, unless a writer changed it since it was read;
// whether it was.
bool update(db::Driver& db, const SealedColumn& c, const std::string& sealed, const Row& row)
{
    std::string where;
    for (const auto& k : c.key)
        where += (where.empty() ? " WHERE " : " AND ") + k + " = ?";
    Row params{sealed};
    params.insert(params.end(), row.begin() + 1, row.end());
    params.push_back(row[0]);
    return db.execCount("UPDATE " + c.table + " SET " + c.column + " = ?" + where + " AND " +
                            c.column + " = ?",
                        params) == 1;
}

// Values not sealed under the newest key: "s<newest>:" does not begin them.
std::string notUnderNewest(const SealedColumn& c, const SecretBox& box, Row& params)
{
    const std::string prefix = "s" + std::to_string(box.newestVersion()) + ":";
    params.push_back(prefix);
    return "SUBSTR(" + c.column + ", 1, " + std::to_string(prefix.size()) + ") <> ?";
}

// Values that do not have the form "s<digit>…:…" of a placed value (compared case-sensitively on
// both databases).
std::string notPlaced(const SealedColumn& c)
{
    return "(SUBSTR(" + c.column + ", 1, 1) <> 's' OR SUBSTR(" + c.column +
           ", 2, 1) NOT BETWEEN '1' AND '9' OR " + c.column + " NOT LIKE '%:%')";
}

constexpr std::size_t kStartBatch = 1000;

bool scannedBefore(db::Driver& db, const SealedColumn& c)
{
    return !c.sealedAtEveryStart &&
           !std::holds_alternative<std::monostate>(
               db.scalar("SELECT 1 FROM sys_sealed_column WHERE TABLE_NAME = ? AND COLUMN_NAME = ?",
                         {c.table, c.column}));
}

} // namespace

// The columns are sampled one at a time, and the first value that opens ends the check: a
// column that holds no value at all (a KI key nobody uses) is read whole to find that out, so it
// is read only when no column before it settled the check.
SecretBox openKeyFile(db::Driver& db, const std::vector<SealedColumn>& columns,
                      const std::string& path, bool createIfMissing)
{
    std::optional<SecretBox> box;
    std::string refusal;
    for (const auto& c : columns) {
        const auto row = sample(db, c);
        if (!row)
            continue;
        if (!box) {
            std::error_code unknown;
            if (!std::filesystem::exists(path, unknown))
                throw SecretError("the database holds sealed values, but the key file '" + path +
                                  "' does not exist: restore it from where its copies are kept (a "
                                  "new key would open none of them)");
            box = SecretBox::fromKeyFile(path, false);
        }
        const std::string stored = db::asText((*row)[0]);
        const Place place = placeOf(c, *row);
        if (!box->holdsVersion(SecretBox::versionOf(stored)))
            throw SecretError("the database holds values of " + name(c) +
                              " sealed under key version v" +
                              std::to_string(SecretBox::versionOf(stored)) +
                              ", which the key file '" + path + "' does not hold");
        try {
            opened(*box, stored, place);
            return std::move(*box);
        } catch (const SecretError& e) {
            refusal = name(c) + " of " + keyText(c, place) + ": " + e.what();
        }
    }
    if (!box)
        return SecretBox::fromKeyFile(path, createIfMissing);
    throw SecretError("the key file '" + path +
                      "' opens none of the sealed values of the database (" + refusal +
                      "): it is not this database's key file");
}

void takeUpKeyVersion(db::Driver& db, const SecretBox& box)
{
    const auto version = db::asInt(
        db.scalar("SELECT VERSION FROM sys_key_version WHERE ID = 1" + std::string(db.forShare())));
    if (version > 0)
        box.takeUp(static_cast<int>(version));
}

void raiseKeyVersion(db::Driver& db, const SecretBox& box)
{
    const std::int64_t version = box.newestVersion();
    db::Transaction transaction(db);
    db.exec("UPDATE sys_key_version SET VERSION = ? WHERE ID = 1 AND VERSION < ?",
            {version, version});
    transaction.commit();
}

std::int64_t sealInPlace(db::Driver& db, const std::vector<SealedColumn>& columns,
                         const SecretBox& box)
{
    std::int64_t sealed = 0;
    db::Transaction transaction(db);
    takeUpKeyVersion(db, box);
    for (const auto& c : columns) {
        if (scannedBefore(db, c))
            continue;
        const bool placedAlready = !std::holds_alternative<std::monostate>(db.scalar(
            "SELECT 1 FROM " + c.table + storedWhere(c, "NOT " + notPlaced(c)) + " LIMIT 1"));
        inBatches(db, c, notPlaced(c), {}, kStartBatch, [&](const std::vector<Row>& rows) {
            for (const auto& row : rows) {
                const std::string stored = db::asText(row[0]);
                const bool unplaced = SecretBox::looksSealed(stored);
                if (unplaced && placedAlready)
                    continue;
                const Place place = placeOf(c, row);
                try {
                    const std::string plain = unplaced ? box.decryptUnplaced(stored) : stored;
                    sealed += update(db, c, box.encrypt(plain, place), row);
                } catch (const SecretError&) {
                    // Left as it is: it reads as unreadable, as it would now.
                }
            }
            return true;
        });
        if (!c.sealedAtEveryStart)
            db.exec(db.insertIgnoring("sys_sealed_column", {"TABLE_NAME", "COLUMN_NAME"}),
                    {c.table, c.column});
    }
    transaction.commit();
    return sealed;
}

bool resealUnderNewestKey(db::Driver& db, const std::vector<SealedColumn>& columns,
                          const SecretBox& box, std::size_t batchSize,
                          const std::function<bool(const ResealCount&)>& progress)
{
    bool going = true;
    for (const auto& c : columns) {
        ResealCount count{name(c), 0, 0, {}};
        Row params;
        const std::string condition = notUnderNewest(c, box, params);
        inBatches(db, c, condition, params, batchSize, [&](const std::vector<Row>& rows) {
            db::Transaction transaction(db);
            takeUpKeyVersion(db, box);
            count.unreadableInBatch.clear();
            for (const auto& row : rows) {
                const Place place = placeOf(c, row);
                try {
                    count.resealed += update(
                        db, c, box.encrypt(opened(box, db::asText(row[0]), place), place), row);
                } catch (const SecretError& e) {
                    ++count.unreadable;
                    count.unreadableInBatch.push_back(keyText(c, place) + ": " + e.what());
                }
            }
            transaction.commit();
            return going = progress(count);
        });
        if (!going)
            return false;
    }
    return true;
}

KeyUse countByKey(db::Driver& db, const std::vector<SealedColumn>& columns, const SecretBox& box)
{
    KeyUse use;
    for (const auto& c : columns) {
        Row params;
        const std::string condition = notUnderNewest(c, box, params);
        use.older += db::asInt(
            db.scalar("SELECT COUNT(*) FROM " + c.table + storedWhere(c, condition), params));
        use.newest += db::asInt(db.scalar("SELECT COUNT(*) FROM " + c.table + storedWhere(c)));
    }
    use.newest -= use.older;
    return use;
}

} // namespace rsim::secrets
