#!/usr/bin/env bash
# Lists the machine's own "/" with the Express rules through the core, once
# with protection off and once on, and asks the package manager whether any
# file still listed belongs to a package (a sample of at most 500 paths when
# there are more). Reads only; changes nothing.
#
#   bench/check_root_protection.sh [BENCH_PROTECTION]
set -euo pipefail
. "$(dirname "$0")/ratio_lib.sh"

program=$(bench_program bench_protection "${1:-}")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$program" / --list-express --off >"$work/off" 2>"$work/off.log"
"$program" / --list-express >"$work/on" 2>"$work/on.log"
cat "$work/off.log" "$work/on.log"

system_count() { grep -acE '^/(usr|etc|var/lib)/' "$1" || true; }
echo "listed with protection off: $(wc -l <"$work/off") files, $(system_count "$work/off") below /usr, /etc, /var/lib"
echo "listed with protection on:  $(wc -l <"$work/on") files, $(system_count "$work/on") below /usr, /etc, /var/lib"

if ! command -v dpkg >/dev/null; then
    echo "dpkg not found: ownership not checked"
    exit 0
fi

# Sample: paths dpkg can take literally (no pattern characters), those
# outside the temporary folders first, where packages could have put files.
grep -av '[][*?\\]' "$work/on" >"$work/literal" || true
{
    grep -avE '^/(tmp|var/tmp)/' "$work/literal" | shuf -n 500 --random-source=<(yes) || true
    grep -aE '^/(tmp|var/tmp)/' "$work/literal" | shuf -n 500 --random-source=<(yes) || true
} | head -n 500 >"$work/sample" || true
sampled=$(wc -l <"$work/sample")
owned=0
if [[ $sampled -gt 0 ]]; then
    # Owned paths come back as "package: path"; the rest are reported missing.
    xargs -d '\n' -n 100 dpkg -S <"$work/sample" 2>/dev/null | grep -v '^diversion ' \
        | sed -E 's@^[^/]*: /@/@' | sort -u >"$work/owned" || true
    owned=$(grep -acxFf "$work/sample" "$work/owned" || true)
fi
echo "sampled $sampled listed files ($(grep -acvE '^/(tmp|var/tmp)/' "$work/sample") outside /tmp and /var/tmp): $owned owned by a package"
if [[ $owned -gt 0 ]]; then
    grep -axFf "$work/sample" "$work/owned" | head -n 20
    exit 1
fi

# The same check on the unprotected listing, to show what it would have offered.
grep -aE '^/(usr|etc|var/lib)/' "$work/off" | grep -av '[][*?\\]' | head -n 400 >"$work/before" || true
if [[ -s "$work/before" ]]; then
    xargs -d '\n' -n 100 dpkg -S <"$work/before" 2>/dev/null | grep -v '^diversion ' \
        | sed -E 's@^[^/]*: /@/@' | sort -u >"$work/before.owned" || true
    echo "without protection: of the first $(wc -l <"$work/before") system files listed, $(grep -acxFf "$work/before" "$work/before.owned" || true) belong to packages"
fi
