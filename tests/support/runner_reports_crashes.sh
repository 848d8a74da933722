#!/bin/sh
# The Wine runner must count every crash as a failure, however Wine ends the program: a plain
# program and a GoogleTest program that write through a null pointer run several times each and
# must never come back with status 0, while a GoogleTest run that passes must.
set -u
runner=$1 plain=$2 gtest=$3
failed=0
for round in 1 2 3 4 5; do
  if "$runner" "$plain" >/dev/null 2>&1; then
    echo "round $round: the crashed plain program was reported as passed"
    failed=1
  fi
  if "$runner" "$gtest" --gtest_filter=Crash.OnPurpose >/dev/null 2>&1; then
    echo "round $round: the crashed GoogleTest program was reported as passed"
    failed=1
  fi
done
if ! "$runner" "$gtest" --gtest_filter=Crash.NotAtAll >/dev/null 2>&1; then
  echo "a GoogleTest program that passed was reported as failed"
  failed=1
fi
[ $failed -eq 0 ] && echo "every crash was reported as a failure"
exit $failed
