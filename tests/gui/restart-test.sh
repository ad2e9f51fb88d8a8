#!/usr/bin/env bash
# Answers Yes to the closing question and checks that the machine restarts.
# Under Wine a restart runs wineboot, which asks every window of the prefix
# to end its session (a forced one would end every process, the GUI driver
# included), so the verdict comes from here:
#   1. the driver runs Optimize and, just before clicking Yes, writes
#      restart-answered-yes.txt; had the program lived on for a minute after
#      the Yes, it would have written restart-survived.txt;
#   2. the restart runs the RunOnce probe the driver registered, which writes
#      restart-runonce.txt (an EWX_SHUTDOWN or EWX_LOGOFF request would not);
#   3. a new driver checks the program is gone and its run was complete.
# Usage: restart-test.sh WINE_RUN DRIVER_EXE WORK_DIR
set -u
wine_run=$1 driver=$2 work=$3

fail() {
  echo "restart-test: $*" >&2
  exit 1
}

mkdir -p "$work"
rm -f "$work"/restart-answered-yes.txt "$work"/restart-survived.txt "$work"/restart-runonce.txt

"$wine_run" "$driver" --gtest_also_run_disabled_tests \
  --gtest_filter=GuiRestart.DISABLED_AnsweringYesRestartsTheMachine
status=$?
echo "restart-test: driver ended with status $status"

[[ -f $work/restart-answered-yes.txt ]] || fail "the driver never got to answer Yes"
[[ ! -f $work/restart-survived.txt ]] || fail "no restart: $(cat "$work/restart-survived.txt")"
for _ in $(seq 1 300); do
  [[ -f $work/restart-runonce.txt ]] && break
  sleep 0.2
done
[[ -f $work/restart-runonce.txt ]] || fail "the restart never ran the RunOnce probe"

"$wine_run" "$driver" --gtest_also_run_disabled_tests \
  --gtest_filter=GuiRestartAfter.DISABLED_ProgramGoneAndRunComplete \
  || fail "the state after the restart is wrong"
echo "restart-test: restart requested and performed"
