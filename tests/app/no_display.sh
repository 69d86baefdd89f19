#!/bin/sh
# Kalvora without a display (none set, then one that does not answer): one clear
# line on stderr, a non-zero exit, and no toolkit abort.
program="$1"
for display in "" ":97"; do
  err=$(env -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM DISPLAY="$display" "$program" 2>&1 >/dev/null)
  code=$?
  lines=$(printf '%s\n' "$err" | wc -l)
  if [ "$code" -eq 0 ] || [ "$code" -gt 125 ] || [ "$lines" -ne 1 ] || ! printf '%s' "$err" | grep -q '^kalvora: .*display'; then
    echo "DISPLAY='$display': exit $code, stderr: $err"
    exit 1
  fi
done
echo "ok"
