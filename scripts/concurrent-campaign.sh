#!/usr/bin/env bash
# Robustness campaign: two or three companions edit one archive at once (add,
# delete, rename, replace, import). Every edit reported done must be in the
# archive afterwards, the archive must verify, and nothing may be left beside it.
#   scripts/concurrent-campaign.sh CLI WORKDIR [ROUNDS]
set -uo pipefail
cli=$(realpath "$1"); work=$2; rounds=${3:-50}
mkdir -p "$work"; cd "$work" || exit 2
faults=0; done_edits=0
fail() { echo "FAULT: $* (ran: ${names[*]})"; faults=$((faults + 1)); }
if [ ! -f ref.arc ]; then
  mkdir -p src/d
  for i in $(seq 1 40); do { head -c 262144 /dev/urandom; yes "text $i" | head -c 262144; } > "src/d/e$i.20"; done
  "$cli" create ref.arc src >/dev/null
  rm -rf exported; "$cli" extract ref.arc exported >/dev/null
  printf 'imported' > exported/d/e40.txt
fi
printf 'replacement' > repl.src; printf 'added' > add.src
# Read once every companion has ended: a listing taken while one still holds
# the archive's lock is refused ("in use"), which is no proof of a lost edit.
has() { grep -qF -- "$1" listing; }
for round in $(seq 1 "$rounds"); do
  rm -f a.arc .a.arc.tessarin-*; cp ref.arc a.arc
  ops=(add delete rename replace import); n=$((2 + RANDOM % 2)); pids=(); names=()
  for k in $(seq 1 "$n"); do
    op=${ops[$((RANDOM % 5))]}; names+=("$op"); i=$k
    case $op in
      add) "$cli" add a.arc "new\\n$i.20" add.src ;;
      delete) "$cli" delete a.arc "d\\e$i.20" ;;
      rename) "$cli" rename a.arc "d\\e$((i + 10)).20" "moved\\e$((i + 10)).20" ;;
      replace) "$cli" replace a.arc "d\\e$((i + 20)).20" repl.src ;;
      import) "$cli" import a.arc exported ;;
    esac >/dev/null 2>"err$k" &
    pids+=($!)
  done
  rcs=()
  for k in $(seq 1 "$n"); do wait "${pids[$((k - 1))]}"; rcs+=($?); done
  "$cli" list a.arc >listing 2>&1 || fail "round $round: list fails: $(cat listing)"
  for k in $(seq 1 "$n"); do
    i=$k; op=${names[$((k - 1))]}
    [ "${rcs[$((k - 1))]}" -eq 0 ] || continue
    done_edits=$((done_edits + 1))
    case $op in
      add) has "new\\n$i.20" || fail "round $round: add $i reported done, entry missing" ;;
      delete) has "d\\e$i.20" && fail "round $round: delete $i reported done, entry still there" ;;
      rename) has "moved\\e$((i + 10)).20" || fail "round $round: rename $i reported done, new name missing" ;;
      replace) [ "$("$cli" cat a.arc "d\\e$((i + 20)).20")" = replacement ] || fail "round $round: replace $i lost" ;;
      import) [ "$("$cli" cat a.arc 'd\e40.20')" = imported ] || fail "round $round: import lost" ;;
    esac
  done
  "$cli" verify a.arc >/dev/null 2>&1 || fail "round $round: verify fails"
  left=$(ls -A | grep -v -x -e a.arc -e ref.arc -e src -e exported -e 'err[0-9]' -e repl.src -e add.src -e listing)
  [ -z "$left" ] || fail "round $round: left behind: $left"
done
echo "campaign: $rounds rounds, $done_edits edits reported done, $faults faults"
[ "$faults" -eq 0 ]
