// Records as text: a header of the record type's member names, then one line per record, as
// tab-separated text or as CSV.
#pragma once

#include "tvd_object.h"

#include <QString>
#include <QStringList>

#include <string>
#include <vector>

// Members a record leaves unset print as empty cells; the members named in leftOut are not
// printed at all.
QString TableText(const CTvdBasicListObject& list, const CTvdTypeInfo& recordType, bool csv,
                  const std::vector<std::string>& leftOut = {});

template <class List>
QString TableText(const List& list, bool csv, const std::vector<std::string>& leftOut = {})
{
    return TableText(list, List::value_type::typeInfo(), csv, leftOut);
}
