#!/bin/bash
# The Wine "instsvc.exe" of the server installation stops and starts its private
# server, as a Local save has the real tool do: each command returns once carried
# out, so the port is closed right after "stop" and answers right after "start";
# any other command is refused and touches nothing. Prints each check; exit code 0
# when all passed.
#
#   rig_service.sh EMULATOR INSTSVC_EXE ROOT PORT
set -u
emulator=$1 tool=$2 root=$3 port=$4
log="$root/bin/instsvc.log"
failures=0

check() { # description command...
    local what=$1
    shift
    if "$@"; then
        echo "ok: $what"
    else
        echo "FAIL: $what"
        failures=$((failures + 1))
    fi
}
answers() { (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null; }
closed() { ! answers; }
last_logged() { [[ $(tail -n1 "$log") == "$1" ]]; }
service() { "$emulator" "$tool" "$@"; }

check "the server answers before the test" answers

service stop
check "\"stop\" returns 0" [ $? -eq 0 ]
check "the port is closed once \"stop\" returned" closed
check "the installation's tool logged \"stop 0\"" last_logged "stop 0"

service start
check "\"start\" returns 0" [ $? -eq 0 ]
check "the port answers once \"start\" returned" answers
check "the installation's tool logged \"start 0\"" last_logged "start 0"

lines=$(wc -l <"$log")
service restart
check "another command is refused with 2" [ $? -eq 2 ]
check "a refused command runs nothing" [ "$(wc -l <"$log")" -eq "$lines" ]
check "the server still answers after a refused command" answers

exit $((failures > 0))
