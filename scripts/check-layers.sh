#!/usr/bin/env bash
# Fails when a source file includes from a folder above its own layer.
# Layers, bottom to top (a folder may include from its own folder and the
# ranks below it):
#   platform < config < ui < tables < comms < editors, viewer < app
# editors/ and viewer/ share a rank but never include each other; cli/ and
# sim/ stand beside app: they use every layer below it, never app or each
# other.
# Tests follow the folder they test: tests/X includes from X's layer and
# below (a header of another test folder counts as that folder's layer),
# plus tests/support, which itself stays below app. tests/e2e and
# tests/fuzz, like fuzz/ and bench/, drive whole programs and may include
# every layer. Every #include line counts, indented or not.
# Usage: check-layers.sh [PROJECT_ROOT]
set -euo pipefail
cd "${1:-$(dirname "${BASH_SOURCE[0]}")/..}"

find src cli sim tests fuzz bench \( -name '*.h' -o -name '*.cpp' \) -print0 | sort -z |
  xargs -0 grep -H -n -E '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' |
  awk '
function rank(f) {
  if (f == "platform") return 0; if (f == "config") return 1; if (f == "ui") return 2
  if (f == "tables") return 3; if (f == "comms") return 4
  if (f == "editors" || f == "viewer" || f == "support") return 5
  if (f == "app" || f == "cli" || f == "sim") return 6
  if (f == "top") return 7
  return -1
}
# The folder whose layer a file is in.
function folder(file,   parts) {
  split(file, parts, "/")
  if (parts[1] == "src" || parts[1] == "tests") {
    if (parts[1] == "tests" && (parts[2] == "e2e" || parts[2] == "fuzz")) return "top"
    return parts[2]
  }
  if (parts[1] == "cli" || parts[1] == "sim") return parts[1]
  if (parts[1] == "fuzz" || parts[1] == "bench") return "top"
  return "?"
}
function allowed(own, target) {
  if (own == target) return 1
  if (rank(target) > rank(own)) return 0
  # Folders of one rank are neighbours, not layers: they keep apart.
  if (rank(target) == rank(own) && rank(own) < 7) return 0
  return 1
}
{
  # file:line:text
  file = $0; sub(/:.*/, "", file)
  rest = substr($0, length(file) + 2); number = rest; sub(/:.*/, "", number)
  path = rest; sub(/^[^"]*"/, "", path); sub(/".*/, "", path)
  own = folder(file)
  if (rank(own) < 0) { print file ": folder \"" own "\" has no layer"; bad = 1; next }
  isTest = (file ~ /^tests\//)
  if (path ~ /^\.\.\//) {
    if (!isTest) { print file ":" number ": includes \"" path "\" by a relative path"; bad = 1; next }
    # ../X/header.h from tests/Y/ names the test folder X.
    split(path, parts, "/"); target = parts[2]
    if (target == "e2e" || target == "fuzz") target = "top"
  } else if (path ~ /\//) {
    target = path; sub(/\/.*/, "", target)
    if (target == "support" && isTest) next
  } else {
    next  # a header of the file'"'"'s own folder
  }
  if (rank(target) < 0) next
  if (!allowed(own, target)) { print file ":" number ": " own " includes from " target; bad = 1 }
}
END { exit bad }
' || { echo "Includes must point down the layers."; exit 1; }
echo "Includes point down the layers."
