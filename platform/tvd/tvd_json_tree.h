// Records, lists and error records as nlohmann JSON trees, for tests and benchmarks that
// compare a value as a tree with an expected text. The service writes its text
// with tvd_json_stream.h and never builds a tree.
#pragma once

#include "tvd_member.h"
#include "tvd_object.h"

#include <nlohmann/json.hpp>

namespace tvd::wire {

// A record as an object of its set members; a list as an array of them.
inline nlohmann::json encode(const CTvdBasicObject& object)
{
    const auto recordTree = [](const CTvdBasicStructObject& record) {
        const STvdTypeDesc* desc = record.get_typeDesc();
        nlohmann::json out = nlohmann::json::object();
        for (int i = 0; i < desc->memberCount; ++i)
            if (record.isSet(i))
                out[desc->members[i].name] = std::visit(
                    TvdOverloaded{
                        [](const CBSDateTime* date) -> nlohmann::json { return date->toWire(); },
                        [](const auto* value) -> nlohmann::json { return *value; }},
                    tvd_member(record, i));
        return out;
    };
    if (const auto* record = dynamic_cast<const CTvdBasicStructObject*>(&object))
        return recordTree(*record);
    const auto& list = dynamic_cast<const CTvdBasicListObject&>(object);
    nlohmann::json out = nlohmann::json::array();
    for (int i = 0; i < list.count(); ++i)
        out.push_back(recordTree(list.element(i)));
    return out;
}

inline nlohmann::json encodeError(const CBSErrorMsg& error)
{
    return {{"code", error.code},
            {"minCode", error.minCode},
            {"message", error.message},
            {"hint", error.hint}};
}

} // namespace tvd::wire
