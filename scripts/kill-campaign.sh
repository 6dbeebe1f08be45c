#!/usr/bin/env bash
# Robustness campaign: kills the companion (SIGKILL) at random moments during
# create, add, delete, rename and import --add on a large archive, and checks
# after each kill that the archive is byte for byte the old one or the expected
# new one, that it verifies, and that the next run of the same command sweeps
# what the killed one left and gives the expected archive.
#   scripts/kill-campaign.sh CLI WORKDIR [TRIES_PER_VERB] [MEGABYTES]
set -uo pipefail
cli=$(realpath "$1"); work=$2; tries=${3:-10}; megabytes=${4:-300}
mkdir -p "$work"; cd "$work" || exit 2
faults=0; total=0
fail() { echo "FAULT: $*"; faults=$((faults + 1)); }

# Sources: files of 4 MiB, half noise (slow to deflate) and half text.
if [ ! -d src ]; then
  mkdir -p src/data src/ui
  for i in $(seq 1 $((megabytes / 4))); do
    { head -c 2097152 /dev/urandom; yes "line $i of the campaign's text" | head -c 2097152; } > "src/data/f$i.20"
  done
  printf 'small' > src/ui/logo.1A
fi
head -c 8388608 /dev/urandom > big.src

timed() { local s; s=$(date +%s.%N); "$@" >/dev/null 2>&1; echo "$(date +%s.%N) - $s" | bc; }

rm -f ref.arc; t_create=$(timed "$cli" create ref.arc src)
"$cli" verify ref.arc >/dev/null 2>&1 || { echo "reference does not verify"; exit 2; }
rm -rf exported; "$cli" extract ref.arc exported >/dev/null 2>&1
printf "changed" > exported/ui/logo.png; printf "new file" > exported/ui/added.png

# verb name -> the companion's arguments on a.arc
verb_args() {
  case $1 in
    create) args=(create a.arc src) ;;
    add) args=(add a.arc 'ui\new.1A' big.src) ;;
    delete) args=(delete a.arc 'data\f1.20' 'data\f2.20') ;;
    rename) args=(rename a.arc 'data\f3.20' 'moved\f3.20') ;;
    import) args=(import a.arc exported --add) ;;
  esac
}
run_verb() { verb_args "$1"; "$cli" "${args[@]}"; }
leftovers() { ls -A | grep -v -x -e a.arc -e ref.arc -e src -e exported -e big.src -e 'new-.*\.arc' -e campaign.log; }

for verb in create add delete rename import; do
  rm -f a.arc; [ "$verb" = create ] || cp ref.arc a.arc
  t=$(timed run_verb "$verb"); cp a.arc "new-$verb.arc"
  for try in $(seq 1 "$tries"); do
    total=$((total + 1))
    rm -f a.arc .a.arc.tessarin-*; [ "$verb" = create ] || cp ref.arc a.arc
    verb_args "$verb"
    "$cli" "${args[@]}" >/dev/null 2>&1 &
    pid=$!  # the companion itself, not a subshell
    sleep "$(echo "scale=3; $t * 1.1 * $RANDOM / 32768" | bc)"
    kill -9 "$pid" 2>/dev/null; wait "$pid" 2>/dev/null
    state=torn
    if [ ! -e a.arc ]; then [ "$verb" = create ] && state=old
    elif cmp -s a.arc "new-$verb.arc"; then state=new
    elif [ "$verb" != create ] && cmp -s a.arc ref.arc; then state=old
    fi
    [ "$state" = torn ] && { fail "$verb try $try: the archive is neither the old nor the new one"; continue; }
    if [ -e a.arc ] && ! "$cli" verify a.arc >/dev/null 2>&1; then fail "$verb try $try: verify fails"; fi
    if [ "$state" = old ]; then
      run_verb "$verb" >/dev/null 2>&1 || fail "$verb try $try: the next run failed"
      cmp -s a.arc "new-$verb.arc" || fail "$verb try $try: the next run gave another archive"
      [ -z "$(leftovers)" ] || fail "$verb try $try: left behind after the next run: $(leftovers | tr '\n' ' ')"
    fi
    echo "$verb try $try: $state"
  done
done
echo "campaign: $total kills, $faults faults"
[ "$faults" -eq 0 ]
