#include "tvd_json_stream.h"
#include "tvd_json_checks.h"
#include "tvd_member.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <stdexcept>

namespace tvd::wire {
namespace {

bool carriesObject(int kind)
{
    return kind == TVD_RECORD || kind == TVD_LIST;
}

// The escape of one ASCII character that JSON text cannot hold as it is, as dump() writes it.
void appendEscape(std::string& out, unsigned char c)
{
    switch (c) {
    case '"': out += "\\\""; break;
    case '\\': out += "\\\\"; break;
    case '\b': out += "\\b"; break;
    case '\f': out += "\\f"; break;
    case '\n': out += "\\n"; break;
    case '\r': out += "\\r"; break;
    case '\t': out += "\\t"; break;
    default: {
        static const char hex[] = "0123456789abcdef";
        out += "\\u00";
        out += hex[c >> 4];
        out += hex[c & 0xF];
    }
    }
}

// Of eight bytes, the high bit of each that JSON text must escape: below 0x20, the quote and the
// backslash (each test below is nonzero exactly where a byte matches); a byte of a multi-byte
// sequence never matches.
std::uint64_t escapedBytes(std::uint64_t block)
{
    constexpr std::uint64_t kOnes = 0x0101010101010101u, kHighs = 0x8080808080808080u;
    const auto below = [&](std::uint64_t bytes, unsigned char n) {
        return (bytes - kOnes * n) & ~bytes & kHighs;
    };
    return below(block, 0x20) | below(block ^ (kOnes * '"'), 1) | below(block ^ (kOnes * '\\'), 1);
}

// What a value holds, read eight bytes at a time: the last eight (overlapping the ones before)
// for its tail, and a short value padded with blanks.
struct Scan {
    bool escapes = false;   // a byte JSON text must escape
    bool multiByte = false; // a byte of a multi-byte sequence (or not UTF-8 at all)
};

Scan scan(std::string_view value)
{
    constexpr std::uint64_t kHighs = 0x8080808080808080u;
    std::uint64_t escaped = 0, highs = 0, block = 0x2020202020202020u;
    if (value.size() < 8) {
        for (std::size_t i = 0; i < value.size(); ++i)
            reinterpret_cast<unsigned char*>(&block)[i] = static_cast<unsigned char>(value[i]);
        return {escapedBytes(block) != 0, (block & kHighs) != 0};
    }
    for (std::size_t at = 0; at + 8 < value.size(); at += 8) {
        std::memcpy(&block, value.data() + at, 8);
        escaped |= escapedBytes(block);
        highs |= block & kHighs;
    }
    std::memcpy(&block, value.data() + value.size() - 8, 8);
    return {(escaped | escapedBytes(block)) != 0, ((highs | block) & kHighs) != 0};
}

} // namespace

namespace {

// The text with each sequence that is not UTF-8, from bad on, replaced by U+FFFD: the bytes up
// to the first one that cannot be where it is, or that one byte when it cannot start a character.
std::string replaced(std::string_view value, std::size_t bad)
{
    std::string text(value.substr(0, bad));
    while (bad < value.size()) {
        text += "\xEF\xBF\xBD";
        const std::size_t next =
            bad +
            std::max<std::size_t>(detail::faultyByteOf(value.data() + bad, value.size() - bad), 1);
        bad = next + detail::invalidUtf8At(value.data() + next, value.size() - next);
        text.append(value, next, bad - next);
    }
    return text;
}

} // namespace

// UTF-8 text as it is, in runs between escapes. Text without an escape, most of what is written,
// is copied in one piece after one capacity check.
void appendText(std::string& out, std::string_view value, BadText badText)
{
    const Scan found = scan(value);
    if (found.multiByte) {
        const std::size_t bad = detail::invalidUtf8At(value.data(), value.size());
        if (bad != value.size() && badText == BadText::Refuse)
            throw TextFault(TextFault::Encoding, "", 0, bad);
        if (bad != value.size()) {
            appendText(out, replaced(value, bad));
            return;
        }
    }
    if (!found.escapes) {
        const std::size_t at = out.size();
        out.append(value.size() + 2, '"');
        value.copy(out.data() + at + 1, value.size());
        return;
    }
    out += '"';
    std::size_t run = 0;
    for (std::size_t i = 0; i < value.size(); ++i) {
        const auto c = static_cast<unsigned char>(value[i]);
        if (c >= 0x20 && c != '"' && c != '\\')
            continue;
        out.append(value, run, i - run);
        appendEscape(out, c);
        run = i + 1;
    }
    out.append(value.substr(run));
    out += '"';
}

// Its members in name order, as the tree dumps them.
void appendError(std::string& out, const CBSErrorMsg& error, BadText bad)
{
    char digits[12];
    out += R"({"code":)";
    out.append(digits, std::to_chars(digits, digits + sizeof digits, error.code).ptr);
    out += R"(,"hint":)";
    appendText(out, error.hint, bad);
    out += R"(,"message":)";
    appendText(out, error.message, bad);
    out += R"(,"minCode":)";
    out.append(digits, std::to_chars(digits, digits + sizeof digits, error.minCode).ptr);
    out += '}';
}

namespace {

template <class Int>
void writeInteger(std::string& out, Int value)
{
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    out.append(digits, end);
}

void writeValue(std::string& out, const std::string& text)
{
    appendText(out, text);
}

void writeValue(std::string& out, const CBSDateTime& date)
{
    appendText(out, date.toWire());
}

template <class Int>
void writeValue(std::string& out, Int value)
{
    writeInteger(out, value);
}

template <class T>
void writeField(std::string& out, const CTvdBasicStructObject& record, int offset)
{
    writeValue(out, tvd_memberAt<T>(record, offset));
}

} // namespace

std::string encodeFault(int result, const CBSErrorMsg& error)
{
    std::string text = R"({"error":)";
    appendError(text, error, BadText::Replace);
    text += R"(,"result":)";
    writeInteger(text, result);
    text += '}';
    return text;
}

ParamsWriter::ParamsWriter(const CTvdBasicParamObject& params)
{
    for (int i = 0; i < params.memberCount(); ++i)
        if (carriesObject(params.member(i).kind))
            members_.push_back({params.member(i).name, params.object(i)});
    std::sort(members_.begin(), members_.end(),
              [](const Member& a, const Member& b) { return a.name < b.name; });
}

long long ParamsWriter::recordCount(const CTvdBasicParamObject& params)
{
    long long records = 0;
    for (int i = 0; i < params.memberCount(); ++i) {
        if (!carriesObject(params.member(i).kind))
            continue;
        const auto* list = dynamic_cast<const CTvdBasicListObject*>(params.object(i));
        records += list != nullptr ? list->count() : 1;
    }
    return records;
}

const std::vector<RecordWriter::Field>& RecordWriter::fieldsOf(const STvdTypeDesc* desc)
{
    for (const auto& [type, fields] : plans_)
        if (type == desc)
            return fields;
    std::vector<Field> fields;
    for (int i = 0; i < desc->memberCount; ++i) {
        const STvdMemberTypeInfo& member = desc->members[i];
        if (member.offset < 0)
            throw std::logic_error(std::string("member table of ") + member.name +
                                   " is not completed");
        std::string key;
        appendText(key, member.name);
        key += ':';
        fields.push_back(
            {i, std::move(key), member.offset, tvd_withKind(member.kind, [](auto type) {
                 return &writeField<typename decltype(type)::type>;
             })});
    }
    std::sort(fields.begin(), fields.end(), [desc](const Field& a, const Field& b) {
        return std::strcmp(desc->members[a.member].name, desc->members[b.member].name) < 0;
    });
    return plans_.emplace_back(desc, std::move(fields)).second;
}

void RecordWriter::write(std::string& out, const CTvdBasicStructObject& record)
{
    char separator = '{';
    for (const Field& field : fieldsOf(record.get_typeDesc())) {
        if (!record.isSet(field.member))
            continue;
        out += separator;
        separator = ',';
        out += field.key;
        field.write(out, record, field.offset);
    }
    out += separator == '{' ? "{}" : "}";
}

void ParamsWriter::startMember(std::string& out, bool list)
{
    if (!started_) {
        out += '{';
        started_ = true;
    }
    if (record_ >= 0)
        return;
    if (member_ > 0)
        out += ',';
    appendText(out, members_[member_].name);
    out += list ? ":[" : ":";
    record_ = 0;
    taken_ = 0;
}

bool ParamsWriter::writeCurrent(std::string& out, std::size_t start, std::size_t minBytes)
{
    const Member& member = members_[member_];
    const auto* list = dynamic_cast<const CTvdBasicListObject*>(member.object);
    startMember(out, list != nullptr);
    if (list == nullptr) {
        records_.write(out, dynamic_cast<const CTvdBasicStructObject&>(*member.object));
    } else {
        for (; record_ - taken_ < list->count() && out.size() - start < minBytes; ++record_) {
            if (record_ > 0)
                out += ',';
            records_.write(out, list->element(record_ - taken_));
        }
        if (record_ - taken_ < list->count())
            return false;
        out += ']';
    }
    ++member_;
    record_ = -1;
    return true;
}

void ParamsWriter::startRecord(std::string& out, const CTvdBasicListObject& list)
{
    while (members_[member_].object != &list)
        writeCurrent(out, out.size(), static_cast<std::size_t>(-1));
    startMember(out, true);
    if (record_ > 0)
        out += ',';
    ++record_;
    ++taken_;
}

bool ParamsWriter::next(std::string& out, std::size_t minBytes)
{
    if (finished_)
        return false;
    const std::size_t start = out.size();
    if (!started_) {
        out += '{';
        started_ = true;
    }
    while (member_ < members_.size() && out.size() - start < minBytes)
        if (!writeCurrent(out, start, minBytes))
            break;
    if (member_ == members_.size()) {
        out += '}';
        finished_ = true;
    }
    return true;
}

std::string ParamsWriter::all()
{
    std::string text;
    while (next(text, static_cast<std::size_t>(-1))) {
    }
    return text;
}

} // namespace tvd::wire
