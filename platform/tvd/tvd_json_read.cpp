// readRequest: a request read event by event (SAX) into its parameter object.
#include "tvd_json.h"
#include "tvd_json_stream.h"

#include <limits>

namespace tvd::wire {
namespace {

using nlohmann::json;

bool carriesObject(int kind) { return kind == TVD_RECORD || kind == TVD_LIST; }

const char* integerName(int kind)
{
    return kind == TVD_INT16 ? "int16" : kind == TVD_INT32 ? "int32" : "int64";
}

class RequestReader : public nlohmann::json_sax<json> {
public:
    explicit RequestReader(CTvdBasicParamObject& in) : in_(in) {}
    bool sawIn() const { return sawIn_; }

    bool null() override { return scalar(); }
    bool boolean(bool) override { return scalar(); }
    bool number_float(double, const string_t&) override { return scalar(); }
    bool binary(binary_t&) override { return scalar(); }
    bool number_integer(number_integer_t value) override
    {
        if (skipping() || !inRecordMember() || !isInteger(member().kind))
            return scalar();
        return storeInteger(value, value >= 0 ? static_cast<std::uint64_t>(value) : 0, value < 0);
    }
    bool number_unsigned(number_unsigned_t value) override
    {
        if (skipping() || !inRecordMember() || !isInteger(member().kind))
            return scalar();
        return storeInteger(0, value, false);
    }
    bool string(string_t& value) override
    {
        if (skipping() || !inRecordMember())
            return scalar();
        void* address = frames_.back().addresses[memberIndex_];
        if (member().kind == TVD_STRING)
            *static_cast<std::string*>(address) = std::move(value);
        else if (member().kind != TVD_DATETIME || !CBSDateTime::fromWire(value, *static_cast<CBSDateTime*>(address)))
            return scalar();
        return stored();
    }

    bool start_object(std::size_t) override
    {
        if (skip_ > 0 || (frames_.size() == 1 && key_ != "in")) {
            ++skip_;
            return true;
        }
        if (frames_.empty())
            return push({Frame::Top, nullptr, "", {}});
        if (frames_.back().kind == Frame::Top)
            return push({Frame::Params, nullptr, "in", {}});
        if (frames_.back().kind == Frame::Params && param().kind == TVD_RECORD)
            return enterRecord(*in_.object(paramIndex_), paramPath());
        if (frames_.back().kind == Frame::List) {
            auto& list = static_cast<CTvdBasicListObject&>(*frames_.back().object);
            CTvdBasicStructObject& element = *list.append();
            return enterRecord(element, frames_.back().path + "[" + std::to_string(list.count() - 1) + "]");
        }
        return scalar();
    }
    bool end_object() override
    {
        if (skip_ > 0) {
            --skip_;
            return true;
        }
        sawIn_ |= frames_.back().kind == Frame::Params;
        frames_.pop_back();
        return true;
    }
    bool start_array(std::size_t) override
    {
        if (skip_ > 0 || frames_.empty() || (frames_.size() == 1 && key_ != "in")) {
            ++skip_;
            return true;
        }
        if (!frames_.empty() && frames_.back().kind == Frame::Params && param().kind == TVD_LIST) {
            auto& list = static_cast<CTvdBasicListObject&>(*in_.object(paramIndex_));
            list.resize(0);
            return push({Frame::List, &list, paramPath(), {}});
        }
        return scalar();
    }
    bool end_array() override
    {
        if (skip_ > 0)
            --skip_;
        else
            frames_.pop_back();
        return true;
    }
    bool key(string_t& name) override
    {
        if (skip_ > 0)
            return true;
        Frame& frame = frames_.back();
        if (frame.kind == Frame::Top) {
            key_ = name;
        } else if (frame.kind == Frame::Params) {
            paramIndex_ = in_.typeInfo()->memberIndex(name);
            if (paramIndex_ < 0 || !carriesObject(in_.member(paramIndex_).kind))
                throw DecodeError("in." + name, "no such parameter of " + in_.typeInfo()->name());
        } else {
            auto& record = static_cast<CTvdBasicStructObject&>(*frame.object);
            memberIndex_ = record.get_typeInfo()->memberIndex(name);
            if (memberIndex_ < 0)
                throw DecodeError(frame.path + "." + name,
                                  std::string("no such member in ") + record.get_typeDesc()->typeName);
        }
        return true;
    }
    bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception& e) override
    {
        // As the tree's parser throws: a syntax error, or a number out of range (406).
        if (e.id == 406)
            throw static_cast<const json::out_of_range&>(e);
        throw static_cast<const json::parse_error&>(e);
    }

private:
    struct Frame {
        enum Kind { Top, Params, List, Record } kind;
        CTvdBasicObject* object;
        std::string path;
        void* addresses[CTvdBasicStructObject::kMaxMembers];
    };

    bool push(Frame frame)
    {
        frames_.push_back(std::move(frame));
        return true;
    }
    bool enterRecord(CTvdBasicObject& object, const std::string& path)
    {
        auto& record = static_cast<CTvdBasicStructObject&>(object);
        push({Frame::Record, &record, path, {}});
        record.get_members(frames_.back().addresses);
        return true;
    }
    bool skipping() const { return skip_ > 0 || frames_.size() <= 1; }
    bool inRecordMember() const { return !frames_.empty() && frames_.back().kind == Frame::Record; }
    static bool isInteger(int kind) { return kind == TVD_INT16 || kind == TVD_INT32 || kind == TVD_INT64; }
    const STvdMemberTypeInfo& param() const { return in_.member(paramIndex_); }
    std::string paramPath() const { return std::string("in.") + param().name; }
    const STvdMemberTypeInfo& member() const
    {
        return static_cast<CTvdBasicStructObject&>(*frames_.back().object).get_typeDesc()->members[memberIndex_];
    }
    std::string memberPath() const { return frames_.back().path + "." + member().name; }

    bool stored()
    {
        static_cast<CTvdBasicStructObject&>(*frames_.back().object).markSet(memberIndex_);
        return true;
    }

    template <class Int>
    bool store(void* address, std::int64_t value, std::uint64_t magnitude, bool negative)
    {
        const bool fits = negative ? value >= std::numeric_limits<Int>::min()
                                   : magnitude <= static_cast<std::uint64_t>(std::numeric_limits<Int>::max());
        if (!fits)
            throw DecodeError(memberPath(), std::string("value out of range for ") + integerName(member().kind));
        *static_cast<Int*>(address) = negative ? static_cast<Int>(value) : static_cast<Int>(magnitude);
        return stored();
    }
    bool storeInteger(std::int64_t value, std::uint64_t magnitude, bool negative)
    {
        void* address = frames_.back().addresses[memberIndex_];
        switch (member().kind) {
        case TVD_INT16: return store<std::int16_t>(address, value, magnitude, negative);
        case TVD_INT32: return store<std::int32_t>(address, value, magnitude, negative);
        default: return store<std::int64_t>(address, value, magnitude, negative);
        }
    }

    // A value where it does not belong (or of the wrong kind): refused as the decoder refuses it;
    // under a skipped or top-level member other than "in", ignored.
    bool scalar()
    {
        if (skip_ > 0 || frames_.empty() || (frames_.size() == 1 && key_ != "in"))
            return true;
        switch (frames_.back().kind) {
        case Frame::Top: throw DecodeError("in", "expected an object of parameters");
        case Frame::Params: {
            const CTvdTypeInfo& type = *in_.object(paramIndex_)->get_typeInfo();
            if (param().kind == TVD_LIST)
                throw DecodeError(paramPath(), "expected a list (array) of " + type.name());
            throw DecodeError(paramPath(), std::string("expected a record ") +
                                               static_cast<CTvdBasicStructObject&>(*in_.object(paramIndex_)).get_typeDesc()->typeName);
        }
        case Frame::List: {
            auto& list = static_cast<CTvdBasicListObject&>(*frames_.back().object);
            auto* element = list.append();
            const std::string path = frames_.back().path + "[" + std::to_string(list.count() - 1) + "]";
            throw DecodeError(path, std::string("expected a record ") + element->get_typeDesc()->typeName);
        }
        case Frame::Record: break;
        }
        switch (member().kind) {
        case TVD_STRING: throw DecodeError(memberPath(), "expected a string");
        case TVD_DATETIME: throw DecodeError(memberPath(), "expected a date \"YYYY-MM-DD HH:MM:SS\"");
        default:
            throw DecodeError(memberPath(), std::string("expected an integer (") + integerName(member().kind) + ")");
        }
    }

    CTvdBasicParamObject& in_;
    std::vector<Frame> frames_;
    std::string key_;   // the member of the top object being read
    int paramIndex_ = -1;
    int memberIndex_ = -1;
    int skip_ = 0;      // depth inside a skipped value
    bool sawIn_ = false;
};

} // namespace

bool readRequest(std::string_view text, CTvdBasicParamObject& in)
{
    RequestReader reader(in);
    json::sax_parse(text, &reader);
    return reader.sawIn();
}

} // namespace tvd::wire
