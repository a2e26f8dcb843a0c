#!/usr/bin/env bash
# Mutation check: applies each fault of faults.txt alone to the working tree,
# rebuilds the plain build tree incrementally, runs the suite and reports
# whether a test failed. The file is restored after every fault, also when the
# run is interrupted.
#
#   tests/mutation/run.sh [BUILD_DIR] [NAME...]     (default build dir: build)
#   tests/mutation/run.sh --check                   only check that every fault applies
#
# MUTATION_TESTS=REGEX runs only the tests whose names match (ctest -R), for a
# quick look at a few faults; the verdict that counts runs them all.
#
# faults.txt: one fault a line, tab-separated: name, file, scope (the function,
# class or struct the original text lies in, as its definition names it, or -
# for the whole file), original text, faulty text ("\n" stands for a line
# break). The original must occur exactly once in the scope; whitespace does
# not matter (tests/mutation/apply_fault.py). A fault that does not apply fails
# the run.
set -uo pipefail
cd "$(dirname "$0")/../.."
ROOT=$PWD
BUILD=${1:-build}
shift || true
ONLY=("$@")
FAULTS=tests/mutation/faults.txt
APPLY=tests/mutation/apply_fault.py
JOBS=${JOBS:-2}
SELECT=()
[ -z "${MUTATION_TESTS:-}" ] || SELECT=(-R "$MUTATION_TESTS")

if [ "$BUILD" = --check ]; then
  exec python3 "$APPLY" --check-all "$FAULTS"
fi
[ -f "$BUILD/build.ninja" ] || { echo "no build tree in $BUILD (run cmake first)" >&2; exit 2; }

backup=""
target=""
restore() {
  if [ -n "$backup" ] && [ -f "$backup" ]; then
    # A plain copy: the new time stamp makes the next build see the restored file.
    cp "$backup" "$target" && rm -f "$backup"
    backup=""
  fi
}
trap 'restore; exit 130' INT TERM
trap restore EXIT

# Baseline: the suite must pass untouched.
cmake --build "$BUILD" -j "$JOBS" >/dev/null || { echo "the unchanged tree does not build" >&2; exit 2; }

results=()
caught=0
total=0
while IFS=$'\t' read -r name file scope original faulty; do
  [ -z "$name" ] || [ "${name:0:1}" = "#" ] && continue
  if [ ${#ONLY[@]} -gt 0 ] && [[ ! " ${ONLY[*]} " =~ " $name " ]]; then continue; fi
  total=$((total + 1))
  target=$file
  backup=$(mktemp)
  cp "$file" "$backup"
  if ! python3 "$APPLY" "$file" "$scope" "$original" "$faulty"; then
    results+=("$name|NOT APPLIED|the original text was not found once in $scope of $file")
    restore
    continue
  fi
  log=$(mktemp)
  if ! cmake --build "$BUILD" -j "$JOBS" >"$log" 2>&1; then
    results+=("$name|build failed|(a fault must compile; fix the fault)")
  else
    ctest --test-dir "$BUILD" -j "$JOBS" "${SELECT[@]}" --stop-on-failure --timeout 300 >"$log" 2>&1
    # The tests listed as failed (not those left unrun by --stop-on-failure).
    failed=$(sed -n '/^The following tests FAILED:/,/^Errors while running/p' "$log" |
      grep -E '^\s+[0-9]+ - ' | sed -E 's/^\s+[0-9]+ - (.*) \([^()]*\)$/\1/; s/ .*//' | head -3 | paste -sd ' ')
    if [ -n "$failed" ] && ! ctest --test-dir "$BUILD" --rerun-failed --timeout 300 >/dev/null 2>&1; then
      caught=$((caught + 1))
      results+=("$name|caught|$failed")
    elif [ -n "$failed" ]; then
      # Failed once, passed when run again: a flaky test, not a caught fault.
      results+=("$name|FLAKY|$failed")
    else
      results+=("$name|MISSED|")
    fi
  fi
  rm -f "$log"
  restore
done <"$FAULTS"

# Leave the build tree matching the restored sources.
cmake --build "$BUILD" -j "$JOBS" >/dev/null

printf '\n%-28s %-8s %s\n' "fault" "result" "failing tests (first)"
for r in "${results[@]}"; do
  IFS='|' read -r n s t <<<"$r"
  printf '%-28s %-8s %s\n' "$n" "$s" "$t"
done
echo "caught $caught of $total"
[ "$caught" -eq "$total" ]
