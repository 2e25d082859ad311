#!/usr/bin/env bash
# The hostile corpus through the engine: quorel-inspect loads every page of it from websim on
# loopback, each followed by an ordinary page, all through one engine and so one parse helper.
# Every hostile page must end (complete or a navigation error) without taking the inspector
# down, and the ordinary page after it must load: a helper that dies costs only its page.
# Usage: parse_corpus.sh BUILD_DIR SOURCE_DIR
# shellcheck source-path=SCRIPTDIR
set -euo pipefail
# shellcheck source=lib.sh
source "$(dirname "$0")/lib.sh"
e2e_init parse_corpus "$@"
e2e_need quorel-inspect quorel-parse convert

python3 "$source_dir/scripts/make-hostile-corpus" "$work/corpus"
lib_start_websim --hostile "$work/corpus"

addresses=()
for page in "$work"/corpus/*.html "$work"/corpus/*.html.gz "$work"/corpus/*.png "$work"/corpus/*.jpg; do
  addresses+=("http://$websim/hostile/$(basename "$page")" "http://$websim/")
done
rc=0
timeout 600 "$build/quorel-inspect" --allow-private "${addresses[@]}" >"$work/out.json" \
  2>"$work/inspect.err" || rc=$?
((rc == 0 || rc == 2)) || lib_fail "quorel-inspect ended with $rc: $(tail -n 5 "$work/inspect.err")"

python3 - "$work/out.json" "${addresses[@]}" <<'PY' || exit 1
import json, sys
results, asked = json.load(open(sys.argv[1])), sys.argv[2:]
failures = []
if len(results) != len(asked):
    failures.append("%d results for %d addresses" % (len(results), len(asked)))
for address, result in zip(asked, results):
    events = result["events"]
    ended = [e for e in events if e["url"] == result["url"] or e["type"] == "NavigateError"]
    outcome = ", ".join("%s %s" % (e["type"], e.get("status", "")) for e in events[-1:])
    print("%-60s %s" % (address.split("/", 3)[3] or "(ordinary page)", outcome))
    if not ended:
        failures.append("%s did not end: %s" % (address, events))
    if address.endswith("/") and not (events and events[-1]["type"] == "DocumentComplete"
                                      and "websim" in result["innerText"]):
        failures.append("the ordinary page after a hostile one did not load: %s" % events)
for failure in failures:
    print("parse_corpus: FAIL:", failure, file=sys.stderr)
sys.exit(1 if failures else 0)
PY
grep -h "parse helper" "$work/inspect.err" | sort | uniq -c || true
e2e_finish
