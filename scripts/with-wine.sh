#!/usr/bin/env bash
# Runs a command (ctest, the emulator) with one persistent wineserver and the
# prefix's background processes already started, then stops the server.
#
# Wine starts its service processes with the first program it runs; started
# from inside a test they would inherit the test's output pipe and CTest
# would wait on them forever. A warm-up run with its output discarded starts
# them here instead.
set -uo pipefail
wineserver -p
wine cmd /c exit </dev/null >/dev/null 2>&1 || true
"$@"
rc=$?
wineserver -k >/dev/null 2>&1 || true
exit $rc
