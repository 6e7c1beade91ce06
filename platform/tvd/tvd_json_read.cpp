// readRequest and readAnswer: a request or an answer read event by event (SAX, rapidjson's
// reader, or for an answer the walk of simdjson's document) into its parameter object.
#include "tvd_json.h"
#include "tvd_json_checks.h"
#include "tvd_json_stream.h"

#include <rapidjson/memorystream.h>
#include <rapidjson/reader.h>
#include <simdjson.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <limits>
#include <optional>
#include <streambuf>
#include <type_traits>

namespace tvd::wire {
namespace {

// Iterative, so that nesting costs heap, not stack. Strings are checked as UTF-8 by
// detail::CheckedHandler.
constexpr unsigned kParseFlags = rapidjson::kParseIterativeFlag;

// The kinds of value that an answer's result and error fields tell apart.
enum class Value { Null, Boolean, Integer, Float, OutOfRange, String, Object, Array };

bool carriesObject(int kind)
{
    return kind == TVD_RECORD || kind == TVD_LIST;
}

const char* integerName(int kind)
{
    return kind == TVD_INT16 ? "int16" : kind == TVD_INT32 ? "int32" : "int64";
}

// The bytes of a stream's buffer as rapidjson reads them, '\0' at their end.
class BufferInput {
public:
    using Ch = char;
    explicit BufferInput(std::streambuf& buffer) : buffer_(buffer) {}
    Ch Peek() const { return asChar(buffer_.sgetc()); }
    Ch Take()
    {
        ++read_;
        return asChar(buffer_.sbumpc());
    }
    std::size_t Tell() const { return read_; }
    // Writing in place, which the reader compiles but calls only with kParseInsituFlag.
    Ch* PutBegin() { return nullptr; }
    void Put(Ch) {}
    std::size_t PutEnd(Ch*) { return 0; }

private:
    static Ch asChar(std::streambuf::int_type c)
    {
        return std::streambuf::traits_type::eq_int_type(c, std::streambuf::traits_type::eof())
                   ? '\0'
                   : std::streambuf::traits_type::to_char_type(c);
    }
    std::streambuf& buffer_;
    std::size_t read_ = 0;
};

// What an answer carries beside its out-object: the result and the error record, which is one
// only with all four of its fields, each of its type (other members are ignored).
class AnswerParts {
public:
    bool sawResult = false;
    std::optional<int> result; // nullopt: not a number
    bool sawError = false;
    std::optional<std::string> session; // a login answer's

    // The value of the top member "error" is not an object.
    void errorNotAnObject() { errorBad_ = true; }
    void errorField(std::string_view name)
    {
        const auto found = std::find(kFields.begin(), kFields.end(), name);
        field_ = found == kFields.end() ? -1 : static_cast<int>(found - kFields.begin());
    }
    void errorInteger(std::int64_t value)
    {
        if (field_ == kCode || field_ == kMinCode)
            return store(field_ == kCode ? error_.code : error_.minCode,
                         static_cast<std::int32_t>(value));
        errorWrongType();
    }
    void errorText(std::string value)
    {
        if (field_ == kMessage || field_ == kHint)
            return store(field_ == kMessage ? error_.message : error_.hint, std::move(value));
        errorWrongType();
    }
    // A value of another kind: the record is refused when it is one of the four fields.
    void errorWrongType()
    {
        if (field_ >= 0)
            seen_[static_cast<std::size_t>(field_)] = false;
    }
    // The error record read, or nullopt when it is not one.
    std::optional<CBSErrorMsg> error() const
    {
        for (std::size_t i = 0; i < kFields.size(); ++i)
            if (errorBad_ || !seen_[i])
                return std::nullopt;
        return error_;
    }

private:
    enum { kCode, kMinCode, kMessage, kHint };
    static constexpr std::array<std::string_view, 4> kFields{"code", "minCode", "message", "hint"};

    template <class T, class V>
    void store(T& target, V&& value)
    {
        target = std::forward<V>(value);
        seen_[static_cast<std::size_t>(field_)] = true;
    }

    CBSErrorMsg error_;
    int field_ = -1;
    std::array<bool, 4> seen_{};
    bool errorBad_ = false;
};

// Reads the member top of the text's object into its target: the parameter object ("in" or
// "out"), or a record (a login answer's "operator"), or nothing. Other members are skipped, but
// for an answer's "result", "error" and "session", which go to answer.
class ParamsReader {
public:
    ParamsReader(CTvdBasicParamObject* params, CTvdBasicStructObject* record, std::string top,
                 AnswerParts* answer, const ListChunks* chunks = nullptr)
        : params_(params), record_(record), top_(std::move(top)), answer_(answer), chunks_(chunks)
    {}
    // The target was read, or its reading was stopped by the taker of its chunks.
    bool sawTarget() const { return sawTarget_ || stopped_; }

    bool Null() { return takenByAnswer(Value::Null, 0, nullptr) || scalar(); }
    bool Bool(bool value) { return takenByAnswer(Value::Boolean, value, nullptr) || scalar(); }
    bool Double(double value)
    {
        const bool fits =
            value >= std::numeric_limits<int>::min() && value <= std::numeric_limits<int>::max();
        return takenByAnswer(fits ? Value::Float : Value::OutOfRange,
                             fits ? static_cast<std::int64_t>(value) : 0, nullptr) ||
               scalar();
    }
    bool Int(int value) { return Int64(value); }
    bool Uint(unsigned value) { return Int64(value); }
    bool Int64(std::int64_t value)
    {
        if (!readingRecord())
            return takenByAnswer(Value::Integer, value, nullptr) || scalar();
        return memberInteger(value, value >= 0 ? static_cast<std::uint64_t>(value) : 0, value < 0);
    }
    bool Uint64(std::uint64_t value)
    {
        if (!readingRecord())
            return takenByAnswer(Value::Integer, static_cast<std::int64_t>(value), nullptr) ||
                   scalar();
        return memberInteger(0, value, false);
    }
    // Numbers as text, which the reader compiles but calls only with kParseNumbersAsStringsFlag.
    bool RawNumber(const char*, rapidjson::SizeType, bool) { return scalar(); }
    bool String(const char* text, rapidjson::SizeType length, bool)
    {
        const std::string_view value(text, length);
        if (!readingRecord())
            return takenByAnswer(Value::String, 0, &value) || scalar();
        return memberText(value);
    }
    // The record just started is read from object, a record's fields one after the other, each
    // stored in place without an event per name and value; the record's end is left to the
    // caller. Refused as the events would refuse it.
    bool readingRecordFields() const { return readingRecord(); }
    void recordFields(simdjson::dom::object object)
    {
        using Type = simdjson::dom::element_type;
        for (const auto field : object) {
            memberIndex_ = memberIndexOf(frames_.back(), field.key);
            if (memberIndex_ < 0)
                noSuchMember(field.key);
            const simdjson::dom::element value = field.value;
            switch (value.type()) {
            case Type::STRING: memberText(value.get_string().value_unsafe()); break;
            case Type::INT64: {
                const std::int64_t integer = value.get_int64().value_unsafe();
                memberInteger(integer, integer >= 0 ? static_cast<std::uint64_t>(integer) : 0,
                              integer < 0);
                break;
            }
            case Type::UINT64: memberInteger(0, value.get_uint64().value_unsafe(), false); break;
            default: scalar(); // throws: a record's members are strings, dates and integers
            }
        }
    }

    bool StartObject()
    {
        if (atAnswerMember("error")) {
            answer_->sawError = true;
            return push({Frame::Error, nullptr, "error", -1, {}});
        }
        if (takenByAnswer(Value::Object, 0, nullptr)) { // a result or error field that is no scalar
            ++skip_;
            return true;
        }
        if (skip_ > 0 || outsideTarget()) {
            ++skip_;
            return true;
        }
        if (frames_.empty())
            return push({Frame::Top, nullptr, "", -1, {}});
        if (frames_.back().kind == Frame::Top)
            return record_ ? enterRecord(*record_, -1)
                           : push({Frame::Params, nullptr, top_, -1, {}});
        if (frames_.back().kind == Frame::Params && param().kind == TVD_RECORD)
            return enterRecord(*params_->object(paramIndex_), -1);
        if (frames_.back().kind == Frame::List) {
            auto& list = static_cast<CTvdBasicListObject&>(*frames_.back().object);
            CTvdBasicStructObject& element = *list.append();
            return enterRecord(element, frames_.back().element + list.count() - 1);
        }
        return scalar();
    }
    bool EndObject(rapidjson::SizeType)
    {
        if (skip_ > 0) {
            --skip_;
            return true;
        }
        sawTarget_ |= frames_.size() == 2 && frames_.back().kind != Frame::Error;
        frames_.pop_back();
        return frames_.empty() || frames_.back().kind != Frame::List || giveChunk(false);
    }
    bool StartArray()
    {
        if (skip_ > 0 || frames_.empty() || takenByAnswer(Value::Array, 0, nullptr) ||
            outsideTarget()) {
            ++skip_;
            return true;
        }
        if (frames_.back().kind == Frame::Params && param().kind == TVD_LIST) {
            auto& list = static_cast<CTvdBasicListObject&>(*params_->object(paramIndex_));
            list.resize(0);
            return push({Frame::List, &list, paramPath(), 0, {}});
        }
        return scalar();
    }
    bool EndArray(rapidjson::SizeType)
    {
        if (skip_ > 0) {
            --skip_;
            return true;
        }
        const bool taken = giveChunk(true);
        frames_.pop_back();
        return taken;
    }
    // The array just started holds count elements: a list read whole makes room for them at once.
    void elementsAhead(std::size_t count)
    {
        if (skip_ == 0 && frames_.back().kind == Frame::List && chunks_ == nullptr)
            static_cast<CTvdBasicListObject&>(*frames_.back().object)
                .reserve(static_cast<int>(count));
    }
    bool Key(const char* text, rapidjson::SizeType length, bool)
    {
        const std::string_view name(text, length);
        if (skip_ > 0)
            return true;
        Frame& frame = frames_.back();
        if (frame.kind == Frame::Record) {
            memberIndex_ = memberIndexOf(frame, name);
            if (memberIndex_ < 0)
                noSuchMember(name);
        } else if (frame.kind == Frame::Top) {
            key_ = name;
        } else if (frame.kind == Frame::Error) {
            answer_->errorField(name);
        } else {
            paramIndex_ = params_->typeInfo()->memberIndex(name);
            if (paramIndex_ < 0 || !carriesObject(params_->member(paramIndex_).kind))
                throw DecodeError(top_ + "." + std::string(name),
                                  "no such parameter of " + params_->typeInfo()->name());
        }
        return true;
    }
    // Stopped by the taker of the chunks, not by a fault.
    bool stopped() const { return stopped_; }

private:
    struct Frame {
        enum Kind { Top, Params, List, Record, Error } kind;
        CTvdBasicObject* object;
        std::string path; // of a list; of a record, see recordPath
        int element = -1; // of a record in a list, its index; of a list, the records given away
        const STvdTypeDesc* type = nullptr; // of a record
    };

    bool push(Frame frame)
    {
        frames_.push_back(std::move(frame));
        return true;
    }
    // With chunks, gives the records of the list being read to chunks_->take once they are a
    // chunk, or at the list's end whatever their number, and empties the list for the next ones.
    // False when take stops the reading.
    bool giveChunk(bool listEnds)
    {
        auto& list = static_cast<CTvdBasicListObject&>(*frames_.back().object);
        const auto count = static_cast<std::size_t>(list.count());
        if (chunks_ == nullptr || count == 0 || (!listEnds && count < chunks_->size))
            return true;
        if (!chunks_->take(list)) {
            stopped_ = true;
            return false;
        }
        frames_.back().element += list.count();
        list.resize(0);
        return true;
    }
    // element: the record's index in the list being read; -1, a record parameter.
    bool enterRecord(CTvdBasicObject& object, int element)
    {
        auto& record = static_cast<CTvdBasicStructObject&>(object);
        const STvdTypeDesc* type = record.get_typeDesc();
        push({Frame::Record, &record, {}, element, type});
        if (type != guessedType_) {
            guessedType_ = type;
            guesses_.clear();
        }
        keyPosition_ = 0;
        return true;
    }
    // A value of the top object outside the member read, or any when there is no target.
    bool outsideTarget() const
    {
        return frames_.size() == 1 && (key_ != top_ || (params_ == nullptr && record_ == nullptr));
    }
    // The value of an answer's top member name is starting.
    bool atAnswerMember(const char* name) const
    {
        return answer_ != nullptr && skip_ == 0 && frames_.size() == 1 && key_ == name;
    }
    bool inError() const
    {
        return skip_ == 0 && !frames_.empty() && frames_.back().kind == Frame::Error;
    }
    // A value of an answer's "result" or "error", or inside its error record: given to the
    // answer; false when it is none of these. A number stands in integer, a string in text.
    bool takenByAnswer(Value kind, std::int64_t integer, const std::string_view* text)
    {
        if (frames_.size() > 1 && frames_.back().kind != Frame::Error) // deep in the target
            return false;
        const bool number =
            kind == Value::Integer || kind == Value::Float || kind == Value::Boolean;
        if (atAnswerMember("result")) {
            answer_->sawResult = true;
            answer_->result = number ? std::optional<int>(static_cast<int>(integer)) : std::nullopt;
        } else if (atAnswerMember("error")) {
            answer_->sawError = true;
            answer_->errorNotAnObject(); // an object starts an error frame instead
        } else if (atAnswerMember("session") && text != nullptr) {
            answer_->session = std::string(*text);
        } else if (inError()) {
            if (kind == Value::Integer)
                answer_->errorInteger(integer);
            else if (kind == Value::String)
                answer_->errorText(std::string(*text));
            else
                answer_->errorWrongType();
        } else {
            return false;
        }
        return true;
    }
    // A value of a record's member is read (not skipped).
    bool readingRecord() const
    {
        return skip_ == 0 && !frames_.empty() && frames_.back().kind == Frame::Record;
    }
    static bool isInteger(int kind)
    {
        return kind == TVD_INT16 || kind == TVD_INT32 || kind == TVD_INT64;
    }
    const STvdMemberTypeInfo& param() const { return params_->member(paramIndex_); }
    std::string paramPath() const { return top_ + "." + param().name; }
    const STvdMemberTypeInfo& member() const { return frames_.back().type->members[memberIndex_]; }
    CTvdBasicStructObject& record() const
    {
        return static_cast<CTvdBasicStructObject&>(*frames_.back().object);
    }
    // Where the member being read lies in its record.
    void* memberAddress() const { return reinterpret_cast<char*>(&record()) + member().offset; }
    // The records of a list name their members in one order: the k-th name of a record is first
    // compared with the member the k-th name of the record before was, then searched.
    int memberIndexOf(const Frame& frame, std::string_view name)
    {
        const std::size_t position = keyPosition_++;
        if (position < guesses_.size()) {
            const auto& [guess, guessedName] = guesses_[position];
            if (guess >= 0 && name == guessedName)
                return guess;
        } else {
            guesses_.resize(position + 1, {-1, {}});
        }
        const int found = frame.object->get_typeInfo()->memberIndex(name);
        guesses_[position] = {found, found >= 0 ? guessedType_->members[found].name : ""};
        return found;
    }
    // Out of the way of the names found, which are most.
    [[noreturn, gnu::cold]] void noSuchMember(std::string_view name) const
    {
        throw DecodeError(recordPath() + "." + std::string(name),
                          std::string("no such member in ") + frames_.back().type->typeName);
    }
    // The path of the record being read, made only for a message: most records have none.
    std::string recordPath() const
    {
        const int element = frames_.back().element;
        if (element < 0)
            return record_ != nullptr ? top_ : paramPath();
        return frames_[frames_.size() - 2].path + "[" + std::to_string(element) + "]";
    }
    std::string memberPath() const { return recordPath() + "." + member().name; }

    // A record's member is most often still empty: appending to it skips what replacing checks.
    static void assign(std::string& member, std::string_view value)
    {
        if (member.empty())
            member.append(value);
        else
            member.assign(value);
    }
    bool memberText(std::string_view value)
    {
        void* address = memberAddress();
        if (member().kind == TVD_STRING)
            assign(*static_cast<std::string*>(address), value);
        else if (member().kind != TVD_DATETIME ||
                 !CBSDateTime::fromWire(value, *static_cast<CBSDateTime*>(address)))
            return scalar();
        return stored();
    }
    bool memberInteger(std::int64_t value, std::uint64_t magnitude, bool negative)
    {
        if (!isInteger(member().kind))
            return scalar();
        return storeInteger(value, magnitude, negative);
    }
    bool stored()
    {
        record().markSet(memberIndex_);
        return true;
    }

    [[noreturn, gnu::cold]] void outOfRange() const
    {
        throw DecodeError(memberPath(),
                          std::string("value out of range for ") + integerName(member().kind));
    }
    template <class Int>
    bool store(void* address, std::int64_t value, std::uint64_t magnitude, bool negative)
    {
        const bool fits =
            negative ? value >= std::numeric_limits<Int>::min()
                     : magnitude <= static_cast<std::uint64_t>(std::numeric_limits<Int>::max());
        if (!fits)
            outOfRange();
        *static_cast<Int*>(address) =
            negative ? static_cast<Int>(value) : static_cast<Int>(magnitude);
        return stored();
    }
    bool storeInteger(std::int64_t value, std::uint64_t magnitude, bool negative)
    {
        void* address = memberAddress();
        switch (member().kind) {
        case TVD_INT16: return store<std::int16_t>(address, value, magnitude, negative);
        case TVD_INT32: return store<std::int32_t>(address, value, magnitude, negative);
        default: return store<std::int64_t>(address, value, magnitude, negative);
        }
    }

    // A value where it does not belong (or of the wrong kind): refused as the decoder refuses it;
    // under a skipped top-level member, ignored.
    bool scalar()
    {
        if (skip_ > 0 || frames_.empty() || outsideTarget())
            return true;
        switch (frames_.back().kind) {
        case Frame::Top:
            if (record_ != nullptr)
                throw DecodeError(top_, std::string("expected a record ") +
                                            record_->get_typeDesc()->typeName);
            throw DecodeError(top_, "expected an object of parameters");
        case Frame::Params: {
            const CTvdTypeInfo& type = *params_->object(paramIndex_)->get_typeInfo();
            if (param().kind == TVD_LIST)
                throw DecodeError(paramPath(), "expected a list (array) of " + type.name());
            throw DecodeError(paramPath(),
                              std::string("expected a record ") +
                                  static_cast<CTvdBasicStructObject&>(*params_->object(paramIndex_))
                                      .get_typeDesc()
                                      ->typeName);
        }
        case Frame::List: {
            auto& list = static_cast<CTvdBasicListObject&>(*frames_.back().object);
            auto* element = list.append();
            const std::string path = frames_.back().path + "[" +
                                     std::to_string(frames_.back().element + list.count() - 1) +
                                     "]";
            throw DecodeError(path, std::string("expected a record ") +
                                        element->get_typeDesc()->typeName);
        }
        case Frame::Record:
        case Frame::Error: break;
        }
        switch (member().kind) {
        case TVD_STRING: throw DecodeError(memberPath(), "expected a string");
        case TVD_DATETIME:
            throw DecodeError(memberPath(), "expected a date \"YYYY-MM-DD HH:MM:SS\"");
        default:
            throw DecodeError(memberPath(), std::string("expected an integer (") +
                                                integerName(member().kind) + ")");
        }
    }

    CTvdBasicParamObject* params_;
    CTvdBasicStructObject* record_;
    const std::string top_;
    AnswerParts* answer_;
    const ListChunks* chunks_;
    bool stopped_ = false; // by chunks_->take
    std::vector<Frame> frames_;
    std::string key_; // the member of the top object being read
    int paramIndex_ = -1;
    int memberIndex_ = -1;
    int skip_ = 0; // depth inside a skipped value
    const STvdTypeDesc* guessedType_ = nullptr;
    // By the position of a name in its record, the member it was and its name.
    std::vector<std::pair<int, std::string_view>> guesses_;
    std::size_t keyPosition_ = 0;
    bool sawTarget_ = false;
};

// Collects the string members named of the top object; everything else is skipped. Names are
// unique in an object (the checks refuse a name twice), so each is set at most once.
class TopStrings {
public:
    explicit TopStrings(const std::vector<std::string_view>& names)
        : names_(names), values_(names.size())
    {}
    std::vector<std::optional<std::string>>& values() { return values_; }
    bool stopped() const { return false; }

    bool Null() { return true; }
    bool Bool(bool) { return true; }
    bool Int(int) { return true; }
    bool Uint(unsigned) { return true; }
    bool Int64(std::int64_t) { return true; }
    bool Uint64(std::uint64_t) { return true; }
    bool Double(double) { return true; }
    bool RawNumber(const char*, rapidjson::SizeType, bool) { return true; }
    bool String(const char* text, rapidjson::SizeType length, bool)
    {
        if (depth_ == 1 && member_ >= 0)
            values_[static_cast<std::size_t>(member_)].emplace(text, length);
        return true;
    }
    bool Key(const char* text, rapidjson::SizeType length, bool)
    {
        if (depth_ == 1) {
            const auto found =
                std::find(names_.begin(), names_.end(), std::string_view(text, length));
            member_ = found == names_.end() ? -1 : static_cast<int>(found - names_.begin());
        }
        return true;
    }
    bool StartObject() { return ++depth_ > 0; }
    bool StartArray() { return ++depth_ > 0; }
    bool EndObject(rapidjson::SizeType) { return depth_-- > 0; }
    bool EndArray(rapidjson::SizeType) { return depth_-- > 0; }

private:
    const std::vector<std::string_view>& names_;
    std::vector<std::optional<std::string>> values_;
    std::size_t depth_ = 0;
    int member_ = -1; // of the top object's member being read, its index in names_
};

// Reads the text into values, checked by detail::CheckedHandler (with limits, when given). A
// UTF-8 byte-order mark before it is skipped. A fault of the text throws TextFault with where
// it was found; a fault of a value throws the reader's DecodeError.
// source: of an input read in place, the text it is a copy of.
template <unsigned flags, class Input, class Values>
void parse(Input& input, Values& values, const ReadLimits* limits, const char* source = nullptr)
{
    static constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
    for (std::size_t i = 0; i < kByteOrderMark.size() && input.Peek() == kByteOrderMark[i]; ++i)
        input.Take();
    detail::CheckedHandler<Input, Values> handler(input, values, limits, source);
    rapidjson::Reader parser;
    const rapidjson::ParseResult result = parser.Parse<flags>(input, handler);
    if (result.IsError() &&
        !(result.Code() == rapidjson::kParseErrorTermination && values.stopped())) {
        // Counted as the byte that showed the fault had been read; a number, as read whole.
        const std::size_t position =
            input.Tell() + (result.Code() == rapidjson::kParseErrorNumberTooBig ? 0 : 1);
        if (result.Code() == rapidjson::kParseErrorStringUnicodeSurrogateInvalid)
            throw TextFault(TextFault::Encoding, "", 0, position);
        throw TextFault(position == 1 ? TextFault::Empty : TextFault::Syntax, "", 0, position);
    }
    handler.finish();
}

// A text held whole is read from a copy of its own, in place: rapidjson then scans it 16 bytes
// at a time and hands over its strings where they stand instead of copying each. The copy ends
// in 16 zero bytes, as far as a scan of the last 16 reads. A text holding a zero byte, which
// would end it early there, is read as it stands.
template <class Values>
void parse(std::string_view text, Values& values, const ReadLimits* limits = nullptr)
{
    static constexpr std::size_t kScanWidth = 16;
    if (std::memchr(text.data(), '\0', text.size()) != nullptr) {
        rapidjson::MemoryStream input(text.data(), text.size());
        return parse<kParseFlags>(input, values, limits);
    }
    std::string copy(text.size() + kScanWidth, '\0');
    std::memcpy(copy.data(), text.data(), text.size());
    rapidjson::InsituStringStream input(copy.data());
    parse<kParseFlags | rapidjson::kParseInsituFlag>(input, values, limits, text.data());
}

// Gives values the events that rapidjson's reader gives for value; false when values stops.
template <class Values>
bool replay(simdjson::dom::element value, Values& values)
{
    const auto size = [](std::string_view text) {
        return static_cast<rapidjson::SizeType>(text.size());
    };
    using Type = simdjson::dom::element_type;
    switch (value.type()) {
    case Type::OBJECT: {
        if (!values.StartObject())
            return false;
        rapidjson::SizeType members = 0;
        const simdjson::dom::object object = value.get_object().value_unsafe();
        if constexpr (std::is_same_v<Values, ParamsReader>) {
            if (values.readingRecordFields()) {
                values.recordFields(object);
                return values.EndObject(static_cast<rapidjson::SizeType>(object.size()));
            }
        }
        for (const auto field : object) {
            if (!values.Key(field.key.data(), size(field.key), true) ||
                !replay(field.value, values))
                return false;
            ++members;
        }
        return values.EndObject(members);
    }
    case Type::ARRAY: {
        const simdjson::dom::array array = value.get_array().value_unsafe();
        if (!values.StartArray())
            return false;
        values.elementsAhead(array.size());
        rapidjson::SizeType elements = 0;
        for (const auto element : array) {
            if (!replay(element, values))
                return false;
            ++elements;
        }
        return values.EndArray(elements);
    }
    case Type::STRING: {
        const std::string_view text = value.get_string().value_unsafe();
        return values.String(text.data(), size(text), true);
    }
    case Type::INT64: return values.Int64(value.get_int64().value_unsafe());
    case Type::UINT64: return values.Uint64(value.get_uint64().value_unsafe());
    case Type::DOUBLE: return values.Double(value.get_double().value_unsafe());
    case Type::BOOL: return values.Bool(value.get_bool().value_unsafe());
    case Type::NULL_VALUE: return values.Null();
    }
    return false;
}

// An answer up to this size is checked whole by simdjson first. Its document takes some fifteen
// times the text's size at once, so a larger answer goes to the checked reader alone.
constexpr std::size_t kCheckedWholeUpTo = std::size_t{1} << 20;
// A thread keeps its simdjson parser, and the buffers it grew, between answers up to this size;
// a larger answer takes a parser of its own, freed after it.
constexpr std::size_t kParserKeptUpTo = std::size_t{128} << 10;

// An answer: a text that simdjson finds well-formed (JSON, UTF-8, no lone surrogate escaped,
// integers within 64 bits, nested at most 1024 deep, nothing before or after its value) is read
// from simdjson's document, in under half the instructions of rapidjson's reader with its UTF-8
// check. Such a text has no fault of its own, so a fault of a value is found at the same value
// either way. Any other text goes to the checked reader, which tells the place and kind of its
// fault.
template <class Values>
void parseAnswer(std::string_view text, Values& values)
{
    if (text.size() <= kCheckedWholeUpTo) {
        thread_local simdjson::dom::parser kept;
        std::optional<simdjson::dom::parser> own;
        simdjson::dom::parser& parser = text.size() <= kParserKeptUpTo ? kept : own.emplace();
        simdjson::dom::element document;
        if (parser.parse(text.data(), text.size()).get(document) == simdjson::SUCCESS) {
            replay(document, values);
            return;
        }
    }
    parse(text, values);
}

// The result of an answer read, its error record, when it has one, copied to error.
int resultOf(const AnswerParts& answer, CBSErrorMsg& error)
{
    if (!answer.sawResult)
        throw DecodeError("result", "no result in the answer");
    if (!answer.result)
        throw DecodeError("result", "expected a number");
    if (answer.sawError) {
        const auto read = answer.error();
        if (!read)
            throw DecodeError("error", "not an error record");
        error = *read;
    }
    return *answer.result;
}

} // namespace

bool readRequest(std::string_view text, CTvdBasicParamObject& in, const ReadLimits& limits,
                 const ListChunks* chunks)
{
    ParamsReader reader(&in, nullptr, "in", nullptr, chunks);
    parse(text, reader, &limits);
    return reader.sawTarget();
}

bool readRequest(std::istream& text, CTvdBasicParamObject& in, const ReadLimits& limits,
                 const ListChunks* chunks)
{
    ParamsReader reader(&in, nullptr, "in", nullptr, chunks);
    BufferInput input(*text.rdbuf());
    parse<kParseFlags>(input, reader, &limits);
    return reader.sawTarget();
}

std::vector<std::optional<std::string>> readStrings(std::string_view text,
                                                    const std::vector<std::string_view>& names,
                                                    const ReadLimits& limits)
{
    TopStrings reader(names);
    parse(text, reader, &limits);
    return std::move(reader.values());
}

int readAnswer(std::string_view text, CTvdBasicParamObject& out, CBSErrorMsg& error)
{
    AnswerParts answer;
    ParamsReader reader(&out, nullptr, "out", &answer);
    parseAnswer(text, reader);
    return resultOf(answer, error);
}

int readLoginAnswer(std::string_view text, CTvdBasicStructObject& operatorRecord,
                    std::string& session, CBSErrorMsg& error)
{
    AnswerParts answer;
    ParamsReader reader(nullptr, &operatorRecord, "operator", &answer);
    parseAnswer(text, reader);
    const int result = resultOf(answer, error);
    if (result != 0 && !answer.sawError)
        throw DecodeError("error", "no error record in a refusal");
    if (result == 0 && !reader.sawTarget())
        throw DecodeError("operator", "no operator record");
    if (result == 0 && !answer.session)
        throw DecodeError("session", "expected a string");
    if (result == 0)
        session = *answer.session;
    return result;
}

std::optional<CBSErrorMsg> readAnswerError(std::string_view text)
{
    AnswerParts answer;
    ParamsReader reader(nullptr, nullptr, "", &answer);
    try {
        parseAnswer(text, reader);
    } catch (const std::exception&) { // not JSON
        return std::nullopt;
    }
    return answer.sawError ? answer.error() : std::nullopt;
}

} // namespace tvd::wire
