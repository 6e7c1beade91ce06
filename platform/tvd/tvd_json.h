// The wire form of records, lists and parameter objects (JSON).
//
// A record is an object of its set members only; a list is an array of records; integers are
// JSON numbers (int64 exact); strings UTF-8; CBSDateTime "YYYY-MM-DD HH:MM:SS". Reading
// (tvd_json_stream.h) is strict: an unknown member, a value of the wrong type or out of range,
// or a malformed date is refused with a DecodeError that names the path of the offending value.
#pragma once

#include "tvd_object.h"

#include <memory>
#include <stdexcept>
#include <vector>

namespace tvd::wire {

struct DecodeError : std::runtime_error {
    DecodeError(const std::string& path, const std::string& what);
    std::string path;
};

// Text refused as a whole, before its values are looked at: not JSON, not UTF-8, or beyond the
// limits of a request (tvd_json_stream.h).
struct TextFault : std::runtime_error {
    enum Kind {
        Empty,     // no JSON value starts the text
        Syntax,    // malformed JSON near position
        Encoding,  // a string or name that is not UTF-8 near position
        Depth,     // nested deeper than size levels
        Length,    // a string of size bytes, the value of member name (empty: none before it)
        Duplicate, // name twice in one object
        Nul, // U+0000 in a string, the value of member name (empty: none before it), or a name
    };
    TextFault(Kind kind, std::string name, std::size_t size = 0, std::size_t position = 0);
    Kind kind;
    std::string name;
    std::size_t size;
    std::size_t position; // the count of bytes read up to the faulty one
};

// The whole text of an answer that carries only its error record and result
// ({"error":{…},"result":n}): every refusal and fault of the service is written by it. Text that
// is not UTF-8 is replaced, so that any message or hint can be sent (tvd_json_stream.h).
std::string encodeFault(int result, const CBSErrorMsg& error);

// A parameter object of a registered parameter type that owns its records, lists and error
// record; the service builds its in- and out-objects with it.
class OwnedParams {
public:
    explicit OwnedParams(const CTvdTypeInfo& paramType);
    CTvdBasicParamObject& params() { return *params_; }
    CTvdBasicObject& object(int i) { return *objects_[static_cast<std::size_t>(i)]; }
    CBSErrorMsg& error() { return error_; }

private:
    std::vector<std::unique_ptr<CTvdBasicObject>> objects_;
    CBSErrorMsg error_;
    std::unique_ptr<CTvdBasicParamObject> params_;
};

} // namespace tvd::wire
