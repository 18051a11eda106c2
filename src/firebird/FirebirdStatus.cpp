#include "firebird/FirebirdStatus.h"

#include <algorithm>

FirebirdStatus::FirebirdStatus(const ISC_STATUS* status) {
    for (const ISC_STATUS* cursor = status; *cursor != isc_arg_end;) {
        const ISC_STATUS kind = *cursor++;
        switch (kind) {
        case isc_arg_warning:
            return;
        case isc_arg_gds:
        case isc_arg_number:
            m_items.append({kind, *cursor++});
            break;
        case isc_arg_cstring: // length, then the text
            cursor += 2;
            break;
        default: // a text, or a system's error number
            ++cursor;
        }
    }
}

bool FirebirdStatus::has(ISC_STATUS code) const {
    return m_items.contains(Item{isc_arg_gds, code});
}

QList<ISC_STATUS> FirebirdStatus::numbersOf(ISC_STATUS code) const {
    QList<ISC_STATUS> numbers;
    auto it = std::find(m_items.begin(), m_items.end(), Item{isc_arg_gds, code});
    if (it == m_items.end())
        return numbers;
    for (++it; it != m_items.end() && it->kind != isc_arg_gds; ++it) {
        if (it->kind == isc_arg_number)
            numbers << it->value;
    }
    return numbers;
}
