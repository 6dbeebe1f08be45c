#!/usr/bin/env bash
# Keeps the product code in small pieces: fails when a source file has more
# than 500 lines, a folder more than 30 source files, or a function more than
# 80 lines. Usage: check-sizes.sh [source folder] (default: this repository).
#
# Function lengths come from counting braces outside comments, strings and
# character literals: a brace opened where a function may start (not inside
# another function, not after "=" as an initializer, not a namespace, class,
# struct, union, enum or extern block) opens a function body, counted from the
# line where its declaration began to its closing brace.
set -u
root=${1:-$(cd "$(dirname "$0")/.." && pwd)}
folders=(core tree state extract replace edit app cli ui)
max_lines=500 max_files=30 max_function=80
failed=0

files=()
for folder in "${folders[@]}"; do
  [ -d "$root/$folder" ] || continue
  while IFS= read -r -d '' f; do files+=("$f"); done \
    < <(find "$root/$folder" -type f \( -name '*.cpp' -o -name '*.h' \) -print0 | sort -z)
done

# Files per folder.
while read -r count dir; do
  if [ "$count" -gt "$max_files" ]; then
    echo "${dir#"$root"/}: $count source files (at most $max_files)"
    failed=1
  fi
done < <(for f in "${files[@]}"; do dirname "$f"; done | sort | uniq -c)

# Lines per file.
for f in "${files[@]}"; do
  n=$(wc -l < "$f")
  if [ "$n" -gt "$max_lines" ]; then
    echo "${f#"$root"/}: $n lines (at most $max_lines)"
    failed=1
  fi
done

# Lines per function.
if ! awk -v max="$max_function" -v root="$root/" '
  function flush_statement() { stmt = ""; start = 0 }
  # What a brace opens, judged by the statement before it.
  function kind_of(s) {
    if (s ~ /(^|[^A-Za-z0-9_])(namespace|class|struct|union|enum)([^A-Za-z0-9_]|$)/ && s !~ /\)[^()]*$/) return "scope"
    if (s ~ /extern[ \t]*"C"/) return "scope"
    if (s ~ /=[^=]*$/ && s !~ /operator[ \t]*[=!<>+*\/-]*=/) return "data"
    if (s ~ /\)/) return "function"
    return "data"
  }
  FNR == 1 { depth = 0; in_block = 0; flush_statement(); fn_depth = -1 }
  {
    line = $0
    if (line ~ /^[ \t]*#/) next
    n = length(line); i = 1
    while (i <= n) {
      c = substr(line, i, 1); two = substr(line, i, 2)
      if (in_block) {
        if (two == "*/") { in_block = 0; i += 2 } else i++
        continue
      }
      if (two == "//") break
      if (two == "/*") { in_block = 1; i += 2; continue }
      if (c == "\"" || c == "\047") {  # skip a string or character literal
        q = c; i++
        while (i <= n && substr(line, i, 1) != q) i += (substr(line, i, 1) == "\\") ? 2 : 1
        i++; stmt = stmt "x"; continue
      }
      if (start == 0 && c !~ /[ \t]/) start = FNR
      if (c == "{") {
        k = (fn_depth >= 0) ? "inner" : kind_of(stmt)
        stack[depth++] = k
        if (k == "function") { fn_depth = depth; fn_start = start ? start : FNR }
        flush_statement()
      } else if (c == "}") {
        if (depth > 0) depth--
        if (fn_depth >= 0 && depth == fn_depth - 1) {
          len = FNR - fn_start + 1
          if (len > max) {
            name = FILENAME; sub(root, "", name)
            printf "%s:%d: function of %d lines (at most %d)\n", name, fn_start, len, max
            bad = 1
          }
          fn_depth = -1
        }
        flush_statement()
      } else if (c == ";") {
        flush_statement()
      } else {
        stmt = stmt c
      }
      i++
    }
    stmt = stmt " "
  }
  END { exit bad }
' "${files[@]}"; then
  failed=1
fi

exit $failed
