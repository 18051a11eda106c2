#pragma once

#include <QList>
#include <ibase.h>

// The numbers of a client's status vector, up to its warnings: the error codes
// (gds codes of <ibase.h>), their number arguments and the error numbers of the
// server's system. Its strings are left out: they point into the client and the
// client's text carries them. Kept with the error, whose first code alone does
// not tell a wrong password from a server that accepts none of the client's
// ways of logging in.
class FirebirdStatus {
public:
    struct Item {
        ISC_STATUS kind; // isc_arg_gds, isc_arg_number, isc_arg_unix, isc_arg_win32
        ISC_STATUS value;
        bool operator==(const Item&) const = default;
    };

    FirebirdStatus() = default;
    explicit FirebirdStatus(const ISC_STATUS* status);
    explicit FirebirdStatus(QList<Item> items) : m_items(std::move(items)) {}

    const QList<Item>& items() const { return m_items; }
    bool has(ISC_STATUS code) const;
    // The number arguments that follow `code`, up to the next code.
    QList<ISC_STATUS> numbersOf(ISC_STATUS code) const;
    // The first error number of the server's system (isc_arg_unix or
    // isc_arg_win32); {isc_arg_end, 0} when there is none.
    Item systemError() const;

private:
    QList<Item> m_items;
};
