#!/usr/bin/env bash
# Runs Express on this machine's "/" through the core, as root and as an
# unprivileged user (65534 unless CHECK_USER names another), each with every
# rule and without the rules for locks, backups, desktop sessions,
# removability and live work, and prints per rule how many files were
# offered, left unchecked and left out, and why. Reads only; changes nothing.
#
#   bench/check_express_rules.sh [BENCH_PROTECTION] [ROOT]
set -euo pipefail
. "$(dirname "$0")/ratio_lib.sh"

program=$(bench_program bench_protection "${1:-}")
root=${2:-/}
user=${CHECK_USER:-65534}

run_as() {
    local who=$1
    shift
    if [[ $who == root ]]; then
        "$program" "$root" --express-report "$@"
    elif [[ $(id -u) == 0 ]] && command -v setpriv >/dev/null; then
        setpriv --reuid="$user" --regid="$user" --clear-groups "$program" "$root" --express-report "$@"
    else
        echo "(not root, or setpriv missing: cannot run as user $user)"
    fi
}

for who in root user; do
    [[ $who == root && $(id -u) != 0 ]] && echo "(not root: the administrator's run is this user's)"
    echo "== as $who, before (without the Linux rules)"
    run_as "$who" --plain
    echo "== as $who, after (every rule)"
    run_as "$who"
done
