#!/usr/bin/env bash
# Builds the benchmarks in their own Release build folder and runs them: the
# rank-query benchmark, the result-extraction benchmark, the harvest benchmark,
# the dashboard build benchmark and the chart windows' benchmark (BENCH=charts).
# Arguments are passed to the rank-query program, e.g.
#   bench/run.sh --verbose
#   bench/run.sh --clock cpu --reps 31
# BENCH chooses what runs: all (default), queries, extraction, harvest,
# dashboard, cascade, wizard (and the others listed below); with BENCH=extraction or BENCH=dashboard the arguments go to that
# program, e.g.
#   BENCH=extraction bench/run.sh --clock cpu
#   BENCH=dashboard bench/run.sh --reps 31
# BUILD_DIR overrides the build folder (default: build-bench beside src/).
# The exit status is 0 when every benchmark that ran met its targets.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${BUILD_DIR:-$root/build-bench}"
which="${BENCH:-all}"

case "$which" in
  all) targets=(bench_rank_queries bench_extraction bench_harvest bench_dashboard bench_project_cascade bench_wizard_open bench_chart_views bench_query_grid bench_backup bench_discovery bench_day_views) ;;
  queries) targets=(bench_rank_queries) ;;
  extraction) targets=(bench_extraction) ;;
  harvest) targets=(bench_harvest) ;;
  dashboard) targets=(bench_dashboard) ;;
  cascade) targets=(bench_project_cascade) ;;
  wizard) targets=(bench_wizard_open) ;;
  charts) targets=(bench_chart_views) ;;
  query) targets=(bench_query_grid) ;;
  backup) targets=(bench_backup) ;;
  discovery) targets=(bench_discovery) ;;
  dayviews) targets=(bench_day_views) ;;
  *) echo "run.sh: BENCH must be all, queries, extraction, harvest, dashboard, cascade, wizard, charts, query, backup, discovery or dayviews" >&2; exit 2 ;;
esac

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target "${targets[@]}"

case "$which" in
  queries) exec "$build/bin/bench_rank_queries" "$@" ;;
  extraction) exec "$build/bin/bench_extraction" "$@" ;;
  harvest) exec "$build/bin/bench_harvest" ;;
  dashboard) exec "$build/bin/bench_dashboard" "$@" ;;
  cascade) exec "$build/bin/bench_project_cascade" "$@" ;;
  wizard) exec "$build/bin/bench_wizard_open" "$@" ;;
  charts) exec "$build/bin/bench_chart_views" "$@" ;;
  query) exec "$build/bin/bench_query_grid" "$@" ;;
  backup) exec "$build/bin/bench_backup" "$@" ;;
  discovery) exec "$build/bin/bench_discovery" ;;
  dayviews) exec "$build/bin/bench_day_views" "$@" ;;
esac

status=0
"$build/bin/bench_rank_queries" "$@" || status=$?
echo
echo "== bench_extraction =="
"$build/bin/bench_extraction" || { rc=$?; [ "$status" -ne 0 ] || status=$rc; }
echo
echo "== bench_harvest =="
"$build/bin/bench_harvest" || { rc=$?; [ "$status" -ne 0 ] || status=$rc; }
echo
echo "== bench_dashboard =="
"$build/bin/bench_dashboard" || { rc=$?; [ "$status" -ne 0 ] || status=$rc; }
echo
echo "== bench_project_cascade =="
"$build/bin/bench_project_cascade" || { rc=$?; [ "$status" -ne 0 ] || status=$rc; }
echo
echo "== bench_wizard_open =="
"$build/bin/bench_wizard_open" || { rc=$?; [ "$status" -ne 0 ] || status=$rc; }
echo
echo "== bench_chart_views =="
"$build/bin/bench_chart_views" || { rc=$?; [ "$status" -ne 0 ] || status=$rc; }
echo
echo "== bench_query_grid =="
"$build/bin/bench_query_grid" || { rc=$?; [ "$status" -ne 0 ] || status=$rc; }
echo
echo "== bench_backup =="
"$build/bin/bench_backup" || { rc=$?; [ "$status" -ne 0 ] || status=$rc; }
echo
echo "== bench_discovery =="
"$build/bin/bench_discovery" || { rc=$?; [ "$status" -ne 0 ] || status=$rc; }
echo
echo "== bench_day_views =="
"$build/bin/bench_day_views" || { rc=$?; [ "$status" -ne 0 ] || status=$rc; }
exit "$status"
