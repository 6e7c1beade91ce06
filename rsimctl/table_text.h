// Records as text: a header of the record type's member names, then one line per record, as
// tab-separated text or as CSV.
#pragma once

#include "tvd_object.h"

#include <QString>
#include <QStringList>

// Members a record leaves unset print as empty cells.
QString TableText(const CTvdBasicListObject& list, const CTvdTypeInfo& recordType, bool csv);

template <class List>
QString TableText(const List& list, bool csv)
{
    return TableText(list, List::value_type::typeInfo(), csv);
}
