#!/bin/sh
# Fails unless the library exports exactly the nineteen Ucan entry points of the
# serial driver, and nothing else.
set -eu
expected="UcanDeinitCan UcanDeinitHardware UcanDeinitHwConnectControl UcanGetHardwareInfo
UcanGetHardwareInfoEx UcanGetStatus UcanGetVersion UcanInitCan UcanInitHardware UcanInitHwConnectControl
UcanReadCanMsg UcanReadEeprom UcanResetCan UcanSetAcceptance UcanSetBaudrate UcanSetProcessMode
UcanTriggerProcess UcanWriteCanMsg UcanWriteEeprom"
actual=$(nm -D --defined-only "$1" | awk '{print $3}' | sort)
wanted=$(printf '%s\n' $expected | sort)
if [ "$actual" != "$wanted" ]; then
  echo "exported symbols differ:"
  printf '%s\n' "$wanted" > /tmp/corvane-wanted.$$
  printf '%s\n' "$actual" | diff /tmp/corvane-wanted.$$ - || true
  rm -f /tmp/corvane-wanted.$$
  exit 1
fi
echo "exactly the $(printf '%s\n' "$actual" | wc -l) entry points are exported"
