#!/usr/bin/env bash
# Measures every test of the debug build with CTest and writes the ones that took over a second
# (by default) to tests/slow-tests.txt, which gives them the "slow" label at the next configure.
# Usage: tools/slow-tests.sh [seconds]
set -euo pipefail
cd "$(dirname "$0")/.."
limit=${1:-1}
junit=$(mktemp --suffix=.xml)
trap 'rm -f "$junit"' EXIT
ctest --test-dir build/debug -j 3 --output-junit "$junit" >/dev/null || true
python3 - "$junit" "$limit" tests/slow-tests.txt <<'PY'
import sys, xml.etree.ElementTree as ET
junit, limit, out = sys.argv[1], float(sys.argv[2]), sys.argv[3]
slow = sorted((c.get('name') for c in ET.parse(junit).iter('testcase') if float(c.get('time', 0)) > limit))
with open(out, 'w') as f:
    f.write('# Tests that took over %g s in the debug build, as tools/slow-tests.sh measured them; they carry\n'
            '# the label "slow". Threading tests have their subsystem as prefix ("system:Name").\n' % limit)
    f.writelines(name + '\n' for name in slow)
print('%d slow tests written to %s' % (len(slow), out))
PY
