#!/usr/bin/env bash
# Checks that no lower layer includes a header of the application or the tools:
# nothing under log/, scene/, texture/, render/ or audio/ may include app/ or tools/.
set -euo pipefail
cd "$(dirname "$0")/.."
if hits=$(grep -rnE '#include "(app|tools)/' log scene texture render audio); then
    echo "check-layers: a lower layer includes the application or the tools:" >&2
    echo "$hits" >&2
    exit 1
fi
echo "check-layers: ok (log, scene, texture, render, audio include nothing of app/ or tools/)"
