#!/bin/bash
# A server for the Windows check's tests, laid out by scripts/firebird-installation
# with the Wine stand-ins in its bin folder, and its users as a site has them: the
# RUV programs' "TOMRUV" added, and with SYSDBA_PASSWORD given, SYSDBA's built-in
# password replaced by it (a site that changed it):
#
#   check_server.sh start ROOT PORT STAND_INS [SYSDBA_PASSWORD]
#   check_server.sh stop ROOT...
set -euo pipefail
INSTALLATION="$(cd "$(dirname "${BASH_SOURCE[0]}")/../../scripts" && pwd)/firebird-installation"
BUILT_IN=brindoval

case "${1:-}" in
start)
    root="$2" port="$3" stand_ins="$4" sysdba="${5:-}"
    "$INSTALLATION" start "$root" "$port" "$stand_ins"
    service() { fbsvcmgr "127.0.0.1/$port:service_mgr" -user SYSDBA -password "$BUILT_IN" "$@"; }
    service -action_add_user -sec_username TOMRUV -sec_password pelmor
    if [[ -n $sysdba ]]; then
        service -action_modify_user -sec_username SYSDBA -sec_password "$sysdba"
        # The built-in password must now be refused, or the tests prove nothing.
        if service -action_display_user >/dev/null 2>&1; then
            echo "SYSDBA's built-in password is still accepted on port $port" >&2
            exit 1
        fi
    fi
    ;;
stop)
    shift
    status=0
    for root in "$@"; do
        "$INSTALLATION" stop "$root" || status=1
    done
    exit $status
    ;;
*)
    sed -n '2,/^set -euo/p' "$0" | sed '$d; s/^# \{0,1\}//' >&2
    exit 2
    ;;
esac
