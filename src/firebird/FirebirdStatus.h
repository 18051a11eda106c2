#pragma once

#include <QList>
#include <ibase.h>

// The numbers of a client's status vector, up to its warnings: the error codes
// (gds codes of <ibase.h>) and their number arguments. Kept with the error, whose
// first code alone does not tell a wrong password from a server that accepts none
// of the client's ways of logging in. The strings are left out: they point into
// the client, and the client's text carries them. (A server's system error reaches
// a remote client as text only, in the server's language.)
class FirebirdStatus {
public:
    struct Item {
        ISC_STATUS kind; // isc_arg_gds or isc_arg_number
        ISC_STATUS value;
        bool operator==(const Item&) const = default;
    };

    FirebirdStatus() = default;
    explicit FirebirdStatus(const ISC_STATUS* status);

    bool has(ISC_STATUS code) const;
    // The number arguments that follow `code`, up to the next code.
    QList<ISC_STATUS> numbersOf(ISC_STATUS code) const;

private:
    QList<Item> m_items;
};
