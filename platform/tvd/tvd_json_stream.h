// The records and lists of a parameter object written as JSON text piece by piece, without the
// JSON tree: an object of its members in name order, each as encode() writes it. A list of a
// million records then costs one piece of text at a time, not a tree of many times its size.
#pragma once

#include "tvd_object.h"

#include <cstddef>
#include <functional>
#include <istream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tvd::wire {

// Records written as JSON objects of their set members in name order, each as encode() writes
// it; how a record type is written is worked out once per type and kept.
class RecordWriter {
public:
    void write(std::string& out, const CTvdBasicStructObject& record);

private:
    // A member's key text and the writer of its kind.
    struct Field {
        int member;
        std::string key; // "\"NAME\":"
        int offset;
        void (*write)(std::string& out, const CTvdBasicStructObject& record, int offset);
    };
    const std::vector<Field>& fieldsOf(const STvdTypeDesc* desc);

    std::vector<std::pair<const STvdTypeDesc*, std::vector<Field>>> plans_;
};

class ParamsWriter {
public:
    explicit ParamsWriter(const CTvdBasicParamObject& params);

    // Appends the next piece to out, at least about minBytes unless the text ends there; false
    // once the whole text has been written. A string that is not UTF-8 throws TextFault.
    bool next(std::string& out, std::size_t minBytes = 256 * 1024);
    // The whole text at once.
    std::string all();

    // For a list whose records the caller writes itself, each appended to out as the object
    // encode() makes of it: appends what comes before the list's next record, its name or the
    // comma after the record before. next() goes on after the records written so, which the list
    // never holds.
    void startRecord(std::string& out, const CTvdBasicListObject& list);

    // Records in all the lists of the parameter object together.
    static long long recordCount(const CTvdBasicParamObject& params);

private:
    struct Member {
        std::string name;
        const CTvdBasicObject* object;
    };

    // Opens the current member, unless it is open already.
    void startMember(std::string& out, bool list);
    // Writes the current member on, while out has grown less than minBytes since start; true
    // once it is written whole.
    bool writeCurrent(std::string& out, std::size_t start, std::size_t minBytes);

    RecordWriter records_;
    std::vector<Member> members_;
    std::size_t member_ = 0;
    int record_ = -1; // in the current list; -1: its name is not written yet
    int taken_ = 0;   // records of the current list written by the caller
    bool started_ = false;
    bool finished_ = false;
};

} // namespace tvd::wire

namespace tvd::wire {

// What a writer does with text that is not UTF-8: refuse it (TextFault of kind Encoding, at its
// first faulty byte), or replace each of its faulty sequences by U+FFFD, so that any text, such
// as a message that quotes a client's bytes, can be sent.
enum class BadText { Refuse, Replace };

// Appends text as a JSON string: UTF-8 as it is, escaping only what JSON must (the quote, the
// backslash and control characters, in their short forms where they have one).
void appendText(std::string& out, std::string_view text, BadText bad = BadText::Refuse);
// Appends the error record as encodeError(error).dump() writes it, without building the tree.
void appendError(std::string& out, const CBSErrorMsg& error, BadText bad = BadText::Refuse);

// Takes the records of a request's list as they are read, `size` at a time (the rest at the end
// of the list); the list is emptied after each take, so a list of any length is held a chunk at
// a time. take returns false to stop the reading there.
struct ListChunks {
    std::size_t size;
    std::function<bool(const CTvdBasicListObject& records)> take;
};

// What a request may be, whoever sends it: objects and arrays nested at most maxDepth deep,
// string values of at most maxText bytes, no name twice in one object, and no U+0000 in a string
// or a name (a database would cut the text there).
struct ReadLimits {
    std::size_t maxDepth;
    std::size_t maxText;
};

// Reads a request text {"in": {…}, …} straight into the parameter object, without the JSON
// tree, with the decoder's checks and messages: a batch of a million records is then held once,
// as records, or a chunk at a time with chunks. Other members of the request are skipped. False
// when the text holds no "in" object. A text that is malformed JSON or beyond limits throws
// TextFault, a wrong value DecodeError (its path counts the records of the list taken before).
// The text is read to its end even after a wrong value or a stop of chunks: a TextFault
// anywhere in it wins over both, as if the text had been checked whole before it was read.
bool readRequest(std::string_view text, CTvdBasicParamObject& in, const ReadLimits& limits,
                 const ListChunks* chunks = nullptr);
// The same from a stream, read as far as the request goes: a request of any size is read
// through the stream's buffer.
bool readRequest(std::istream& text, CTvdBasicParamObject& in, const ReadLimits& limits,
                 const ListChunks* chunks = nullptr);

// The string members named of a request object such as a login's {"login": …, "password": …},
// in the order of names: nullopt for one missing or not a string, all when the text is no
// object. Other members are skipped; faults of the text throw TextFault as readRequest does.
std::vector<std::optional<std::string>> readStrings(std::string_view text,
                                                    const std::vector<std::string_view>& names,
                                                    const ReadLimits& limits);

// Reads an answer text {"result": n, "error": {…}, "out": {…}} the same way: the out-object's
// records and lists as they come, the error record when there is one (code, minCode, message and
// hint, each of its type).
// Returns the result. An answer without a numeric result, or whose error is not an error record,
// throws DecodeError; a wrong value in "out" throws it with the value's path ("out.list[3].IMSI").
// The service sends "out" only with result 0.
int readAnswer(std::string_view text, CTvdBasicParamObject& out, CBSErrorMsg& error);
// Reads a login answer {"result": 0, "session": "…", "operator": {…}} the same way, or the error
// record of a refused login (which a refusal must carry). Returns the result; with result 0,
// a missing session or operator record throws DecodeError, as a wrong value does.
int readLoginAnswer(std::string_view text, CTvdBasicStructObject& operatorRecord,
                    std::string& session, CBSErrorMsg& error);
// The error record of an answer of any status; nullopt when the text is not JSON or has none.
std::optional<CBSErrorMsg> readAnswerError(std::string_view text);

} // namespace tvd::wire
