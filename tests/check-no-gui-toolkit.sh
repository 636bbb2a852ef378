#!/usr/bin/env bash
# Fails when any of the given programs loads a GUI toolkit library.
set -euo pipefail
status=0
for program in "$@"; do
  if ldd "$program" | grep -Ei 'libQt|libgtk' ; then
    echo "$program loads a GUI toolkit" >&2
    status=1
  fi
done
exit $status
