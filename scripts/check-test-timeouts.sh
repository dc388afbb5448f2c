#!/usr/bin/env bash
# Fails when a test of the build in $1 has no time-out of its own: CTest's default
# would let a hang run for 25 minutes.
set -euo pipefail
ctest --test-dir "$1" --show-only=json-v1 | python3 -c '
import json, sys
tests = json.load(sys.stdin)["tests"]
bare = [t["name"] for t in tests
        if not any(p["name"] == "TIMEOUT" and float(p["value"]) > 0 for p in t.get("properties", []))]
for name in bare:
    print("no time-out:", name)
print(len(tests) - len(bare), "of", len(tests), "tests have a time-out")
sys.exit(1 if bare else 0)
'
