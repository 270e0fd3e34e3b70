#!/usr/bin/env bash
# The layer check on small trees: each case is one file with one include,
# and whether the check must refuse it.
set -uo pipefail
check=$(cd "$(dirname "${BASH_SOURCE[0]}")/../../scripts" && pwd)/check-layers.sh
passed=0
failed=0
# file | include line | expected (ok or refused)
while IFS='|' read -r file include expected; do
  [ -n "$file" ] || continue
  tree=$(mktemp -d)
  mkdir -p "$tree"/{src,cli,sim,tests,fuzz,bench} "$tree/$(dirname "$file")"
  printf '%s\n' "$include" > "$tree/$file"
  if bash "$check" "$tree" >"$tree.out" 2>&1; then got=ok; else got=refused; fi
  if [ "$got" = "$expected" ]; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    echo "FAILED: $file with '$include': expected $expected, got $got"
    cat "$tree.out"
  fi
  rm -rf "$tree" "$tree.out"
done <<'CASES'
src/config/a.cpp|#include "platform/x.h"|ok
src/config/a.cpp|#include "comms/x.h"|refused
src/config/a.cpp|  #  include "comms/x.h"|refused
src/editors/a.cpp|#include "viewer/x.h"|refused
src/viewer/a.cpp|#include "editors/x.h"|refused
src/app/a.cpp|#include "viewer/x.h"|ok
cli/a.cpp|#include "app/x.h"|refused
sim/a.cpp|#include "cli/x.h"|refused
src/ui/a.cpp|#include "../app/x.h"|refused
src/ui/a.cpp|#include "local.h"|ok
tests/comms/a.cpp|#include "comms/x.h"|ok
tests/comms/a.cpp|#include "app/x.h"|refused
tests/comms/a.cpp|#include "../editors/x.h"|refused
tests/comms/a.cpp|#include "support/x.h"|ok
tests/app/a.cpp|#include "../editors/x.h"|ok
tests/viewer/a.cpp|#include "../editors/x.h"|refused
tests/platform/a.cpp|#include "config/x.h"|refused
tests/support/a.h|#include "app/x.h"|refused
tests/support/a.h|#include "config/x.h"|ok
tests/cli/a.cpp|#include "app/x.h"|refused
tests/e2e/a.cpp|#include "app/x.h"|ok
tests/e2e/a.cpp|#include "../app/x.h"|ok
fuzz/a.cpp|#include "viewer/x.h"|ok
CASES
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
