#!/usr/bin/env bash
# Runs the fault loops in full: every injection point, where the tests take every third. Needs a
# built tree (scripts/build.sh build) and starts its own database server for the link loop.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
WAGELINK_TEST_SERVER=$(scripts/db-server.sh start build/db-server 43306)
trap 'scripts/db-server.sh stop build/db-server' EXIT
export WAGELINK_TEST_SERVER WAGELINK_REQUIRE_SERVER=1 WAGELINK_FAULT_LOOPS=full
export WAGELINK_LANG=zh-CN WAGELINK_CODEPAGE=936
build/tests/wagelink_tests --gtest_filter='*FaultLoop*'
