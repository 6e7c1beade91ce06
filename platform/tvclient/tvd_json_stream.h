// The records and lists of a parameter object written as JSON text piece by piece, without the
// JSON tree: the same text as encodeParams(params).dump(), members in name order as the tree
// keeps them. A list of a million records then costs one piece of text at a time, not a tree
// of many times its size.
#pragma once

#include "tvd_object.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace tvd::wire {

class ParamsWriter {
public:
    explicit ParamsWriter(const CTvdBasicParamObject& params);

    // Appends the next piece to out, at least about minBytes unless the text ends there; false
    // once the whole text has been written. A string that is not UTF-8 throws what dump() throws.
    bool next(std::string& out, std::size_t minBytes = 256 * 1024);
    // The whole text at once.
    std::string all();

    // Records in all the lists of the parameter object together.
    static long long recordCount(const CTvdBasicParamObject& params);

private:
    struct Member {
        std::string name;
        const CTvdBasicObject* object;
    };

    void writeRecord(std::string& out, const CTvdBasicStructObject& record);
    const std::vector<int>& membersByName(const STvdTypeDesc* desc);

    std::vector<Member> members_;
    std::size_t member_ = 0;
    int record_ = -1; // in the current list; -1: its name is not written yet
    bool started_ = false;
    bool finished_ = false;
    std::vector<std::pair<const STvdTypeDesc*, std::vector<int>>> orders_;
};

} // namespace tvd::wire

namespace tvd::wire {

// Reads a request text {"in": {…}, …} straight into the parameter object, without the JSON
// tree, with the decoder's checks and messages: a batch of a million records is then held once,
// as records. Other members of the request are skipped. False when the text holds no "in"
// object; malformed JSON throws nlohmann::json::parse_error, a wrong value DecodeError.
bool readRequest(std::string_view text, CTvdBasicParamObject& in);

// Reads an answer text {"result": n, "error": {…}, "out": {…}} the same way: the out-object's
// records and lists as they come, the error record when there is one (as decodeError reads it).
// Returns the result. An answer without a numeric result, or whose error is not an error record,
// throws DecodeError; a wrong value in "out" throws it with the value's path ("out.list[3].IMSI").
// The service sends "out" only with result 0.
int readAnswer(std::string_view text, CTvdBasicParamObject& out, CBSErrorMsg& error);

} // namespace tvd::wire
