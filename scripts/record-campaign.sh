#!/usr/bin/env bash
# Robustness campaign: forged or damaged export records. Each try exports a
# small archive, changes one file's content while keeping its size and times
# (its change time still moves), forges the record one way and imports the
# folder (plain, --add, --dry-run). Import must not crash, must leave every file
# outside its folder and archive as it was, must never take data through a link,
# and must not skip the changed file: the record's stamp for it no longer holds.
#   scripts/record-campaign.sh CLI WORKDIR
set -uo pipefail
cli=$(realpath "$1"); work=$2
rm -rf "$work"; mkdir -p "$work"; cd "$work" || exit 2
tries=0; faults=0
fail() { echo "FAULT: $*"; faults=$((faults + 1)); }

mkdir -p src/d src/e outside
for i in 1 2 3 4; do yes "text $i" | head -c 20000 > "src/d/e$i.20"; done
yes "other" | head -c 5000 > src/e/o.20
"$cli" create base.arc src >/dev/null
"$cli" create other.arc src/e >/dev/null
rm -rf oexp; "$cli" extract other.arc oexp >/dev/null
printf 'SENTINEL-OUTSIDE-%.0s' $(seq 1 1250) > outside/sentinel.txt  # 20000 bytes, as big as an entry's file
changed=$(yes "TEXT 1" | head -c 20000)
outside_sum() { find outside base.arc other.arc oexp -printf '%p %s %T@ %C@\n' | sort; sha256sum outside/* base.arc other.arc; }
before_outside=$(outside_sum)

# Forgeries, each applied to the record of a fresh export in exp/.
rec=exp/.tessarin-export
forge() {
  case $1 in
    intact) ;;
    truncated) head -c "$(($(wc -c < $rec) / 2))" $rec > t && mv t $rec ;;
    garbage) head -c 4096 /dev/urandom > $rec ;;
    empty) : > $rec ;;
    huge-count) sed -i 's/^end .*/end 99999999999999999999/' $rec ;;
    huge-size) sed -i -E 's/^(file [^ ]+) [0-9]+/\1 9223372036854775807/' $rec ;;
    negative) sed -i -E 's/^(file [^ ]+) [0-9]+ [0-9]+/\1 -1 -1/' $rec ;;
    dot-dot-key) sed -i -E 's/^file d\\e1\.20 /file ..\\..\\outside\\sentinel.txt /' $rec ;;
    escaped-sep) sed -i -E 's/^file d\\e1\.20 /file d%5Ce1.20 /; s/^file d\\e2\.20 /file d%2Fe2.20 /' $rec ;;
    nul-key) sed -i -E 's/^file d\\e1\.20 /file d\\e1.20%00 /' $rec ;;
    duplicate) grep '^file d\\e1\.20 ' $rec | sed -E 's/ [0-9]+ [0-9]+ [0-9]+ [0-9]+ [0-9]+$/ 1 2 3 4 5/' > t
               { head -n 2 $rec; cat t; tail -n +3 $rec; } > t2 && mv t2 $rec; rm -f t ;;
    other-archive) cp oexp/.tessarin-export $rec ;;
    other-path) sed -i -E 's|^archive [^ ]+ |archive '"$PWD"'/other.arc |' $rec ;;
    crlf) sed -i 's/$/\r/' $rec ;;
    sparse-1g) truncate -s 1G $rec ;;
    link-out) rm $rec; ln -s ../outside/sentinel.txt $rec ;;
    folder) rm $rec; mkdir $rec ;;
    fifo) rm $rec; mkfifo $rec ;;
    entry-link) rm exp/d/e2.txt; ln -s ../../outside/sentinel.txt exp/d/e2.txt ;;
    stray-link) ln -s ../../outside/sentinel.txt exp/d/s.txt; ln -s ../outside exp/o ;;
    folder-link) mv exp/d exp/d.real; ln -s d.real exp/d ;;
    future-record) touch -d "+1 year" $rec ;;
  esac
}
kinds=(intact truncated garbage empty huge-count huge-size negative dot-dot-key escaped-sep nul-key duplicate
       other-archive other-path crlf sparse-1g link-out folder fifo entry-link stray-link folder-link future-record)

for kind in "${kinds[@]}"; do
  for mode in plain --add --dry-run; do
    tries=$((tries + 1)); what="$kind $mode"
    rm -rf exp a.arc out chk .a.arc.tessarin-*; cp base.arc a.arc
    "$cli" extract a.arc exp >/dev/null 2>&1 || { fail "$what: export fails"; continue; }
    # Same size, same modification time, other content: only the change time tells.
    touch -r exp/d/e1.txt ref; printf '%s' "$changed" > exp/d/e1.txt; touch -r ref exp/d/e1.txt
    forge "$kind"
    before_arc=$(sha256sum < a.arc)
    args=(); [ "$mode" = plain ] || args=("$mode")
    timeout 60 "$cli" import "${args[@]}" a.arc exp > out 2>&1; rc=$?
    [ $rc -le 1 ] || fail "$what: exit $rc: $(tail -n 3 out)"
    [ "$(outside_sum)" = "$before_outside" ] || fail "$what: something outside changed"
    left=$(ls -A | grep -v -x -e a.arc -e base.arc -e other.arc -e src -e oexp -e outside -e exp -e out -e ref)
    [ -z "$left" ] || fail "$what: left behind: $left"
    "$cli" verify a.arc >/dev/null 2>&1 || fail "$what: verify fails"
    "$cli" extract a.arc chk >/dev/null 2>&1 || fail "$what: extract of the result fails"
    grep -rqs SENTINEL-OUTSIDE chk && fail "$what: data from outside the folder in the archive"
    [ "$mode" != --dry-run ] || [ "$(sha256sum < a.arc)" = "$before_arc" ] || fail "$what: dry run changed the archive"
    # A folder reached through a link is not followed; nothing else stops the
    # changed file from being taken.
    [ "$kind" != folder-link ] || continue
    if [ "$mode" = --dry-run ]; then
      grep -qxF 'd\e1.20' out || fail "$what: dry run does not name the changed file: $(tail -n 3 out)"
    else
      [ "$("$cli" cat a.arc 'd\e1.20' 2>/dev/null)" = "$changed" ] || fail "$what: changed file skipped (rc $rc: $(tail -n 2 out))"
    fi
  done
done
echo "record campaign: $tries tries, $faults faults"
[ "$faults" -eq 0 ]
