// The checks every text read gets whatever reads its values: each string and name is UTF-8, and
// with limits, the nesting, the length of a string and the names of an object are bounded. A
// handler of rapidjson's reader that checks each event and passes it on to the reader of the
// values; internal to the wire codec.
#pragma once

#include "tvd_json.h"
#include "tvd_json_stream.h"

// rapidjson scans strings and blanks 16 bytes at a time where the target has the instructions.
#if defined(__SSE4_2__) && !defined(RAPIDJSON_SSE42)
#define RAPIDJSON_SSE42
#elif defined(__SSE2__) && !defined(RAPIDJSON_SSE2)
#define RAPIDJSON_SSE2
#endif
#include <rapidjson/reader.h>
#include <utf8.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <exception>
#include <string>
#include <string_view>
#include <type_traits>
#include <unordered_set>
#include <vector>

namespace tvd::wire::detail {

// The index of the first byte of text that is not UTF-8, or length when all are. Most text is
// ASCII, passed eight bytes at a time. Checking here rather than in rapidjson
// (kParseValidateEncodingFlag) also refuses an escaped low surrogate without its high one
// ("\udc00"), which rapidjson decodes to bytes no UTF-8 holds, and costs a fraction.
std::size_t invalidUtf8At(const char* text, std::size_t length);
// Of a sequence that is not UTF-8, the offset of its first byte that cannot be where it is; its
// length when it is cut short by the end of the text.
std::size_t faultyByteOf(const char* sequence, std::size_t length);

// The names of one open object. A batch holds many records of a few dozen members each: their
// names are compared in a list whose strings keep their storage from one record to the next;
// only a larger object takes a hash set.
class ObjectNames {
public:
    void clear()
    {
        count_ = 0;
        many_.clear();
    }
    // False when the object has the name already.
    bool add(std::string_view name);

private:
    static constexpr std::size_t kListed = 64;
    std::vector<std::string> list_;
    std::size_t count_ = 0;
    std::unordered_set<std::string> many_;
};

// Checks each event of the text read from input, then gives it to values, the reader of the
// values. With limits, a fault of a value (what values throws: a DecodeError, or a fault of
// whoever takes its chunks) or its stop (values returning false) ends the reading of values
// only: the checks go on to the end of the text, and a fault they find there wins; finish()
// then rethrows the fault of the value.
template <class Input, class Values>
class CheckedHandler {
public:
    // source: of an input read in place, the text it is a copy of.
    CheckedHandler(Input& input, Values& values, const ReadLimits* limits,
                   const char* source = nullptr)
        : input_(input), values_(values), limits_(limits), source_(source)
    {}

    bool Null()
    {
        return pass([&] { return values_.Null(); });
    }
    bool Bool(bool value)
    {
        return pass([&] { return values_.Bool(value); });
    }
    bool Int(int value)
    {
        return pass([&] { return values_.Int(value); });
    }
    bool Uint(unsigned value)
    {
        return pass([&] { return values_.Uint(value); });
    }
    bool Int64(std::int64_t value)
    {
        return pass([&] { return values_.Int64(value); });
    }
    bool Uint64(std::uint64_t value)
    {
        return pass([&] { return values_.Uint64(value); });
    }
    bool Double(double value)
    {
        return pass([&] { return values_.Double(value); });
    }
    bool RawNumber(const char* text, rapidjson::SizeType length, bool copy)
    {
        return pass([&] { return values_.RawNumber(text, length, copy); });
    }
    bool String(const char* text, rapidjson::SizeType length, bool copy)
    {
        checkUtf8(text, length);
        if (limits_ != nullptr && length > limits_->maxText)
            throw TextFault(TextFault::Length, lastName_, length);
        checkNoNul(text, length);
        return pass([&] { return values_.String(text, length, copy); });
    }
    bool Key(const char* text, rapidjson::SizeType length, bool copy)
    {
        checkUtf8(text, length);
        checkNoNul(text, length);
        if (limits_ != nullptr) {
            const std::string_view name(text, length);
            if (!names_[depth_ - 1].add(name))
                throw TextFault(TextFault::Duplicate, std::string(name));
            lastName_.assign(name);
        }
        return pass([&] { return values_.Key(text, length, copy); });
    }
    bool StartObject()
    {
        open();
        return pass([&] { return values_.StartObject(); });
    }
    bool StartArray()
    {
        open();
        return pass([&] { return values_.StartArray(); });
    }
    bool EndObject(rapidjson::SizeType members)
    {
        --depth_;
        return pass([&] { return values_.EndObject(members); });
    }
    bool EndArray(rapidjson::SizeType elements)
    {
        --depth_;
        return pass([&] { return values_.EndArray(elements); });
    }

    // After the whole text: the fault of a value, if there was one.
    void finish() const
    {
        if (valueFault_)
            std::rethrow_exception(valueFault_);
    }

private:
    template <class Event>
    bool pass(Event&& event)
    {
        if (limits_ == nullptr)
            return event();
        if (!valuesRead_)
            return true;
        try {
            valuesRead_ = event();
        } catch (...) {
            valueFault_ = std::current_exception();
            valuesRead_ = false;
        }
        return true;
    }

    void open()
    {
        if (limits_ != nullptr) {
            if (depth_ >= limits_->maxDepth)
                throw TextFault(TextFault::Depth, "", limits_->maxDepth);
            if (depth_ == names_.size())
                names_.emplace_back();
            names_[depth_].clear();
        }
        ++depth_;
    }

    void checkNoNul(const char* text, std::size_t length) const
    {
        if (limits_ != nullptr && std::memchr(text, '\0', length) != nullptr)
            throw TextFault(TextFault::Nul, lastName_);
    }

    // Where a fault is reported, as a count of the bytes read up to the one found faulty: the
    // reader stands after the closing quote of text, and the bytes of text are taken to be its
    // bytes before the quote (an escape after the fault moves the place a few bytes).
    void checkUtf8(const char* text, std::size_t length)
    {
        const std::size_t bad = invalidUtf8At(text, length);
        if (bad == length)
            return;
        const std::size_t found = bad + faultyByteOf(text + bad, length - bad);
        throw TextFault(TextFault::Encoding, "", 0, afterString(text) - length + found);
    }

    // The bytes read when the string text has been read with its closing quote. Read in place,
    // the reader moves its stream on only once it has handed the string over; the string then
    // starts where it stood in the source, and ends at the next quote that is not escaped.
    std::size_t afterString(const char* text)
    {
        if constexpr (std::is_same_v<Input, rapidjson::InsituStringStream>) {
            auto at = static_cast<std::size_t>(text - input_.head_);
            while (source_[at] != '"')
                at += source_[at] == '\\' ? 2 : 1;
            return at + 1;
        } else {
            return input_.Tell();
        }
    }

    Input& input_;
    Values& values_;
    const ReadLimits* limits_;
    const char* source_;
    std::size_t depth_ = 0;
    std::vector<ObjectNames> names_; // by depth; levels keep their storage when closed
    std::string lastName_;           // the last member name read, at any depth
    bool valuesRead_ = true;
    std::exception_ptr valueFault_;
};

} // namespace tvd::wire::detail
