#!/bin/sh
# One end-to-end run of diag-host.exe under Wine on the staged test machine,
# checked by its exit code and output. Runs in the build folder.
#   diag_host_run.sh WINE_RUN SOURCE_DIR SCENARIO
set -u
run=$1 source=$2 scenario=$3
sim="Z:$source/tests/data/sim"
screen="offscreen:configfile=$source/tests/data/windows/screen-1920x1080.json"
out=$(mktemp) && trap 'rm -f "$out"' EXIT

# expect CODE PATTERN... : the last run's exit code and lines (fixed strings).
expect() {
  [ "$status" -eq "$1" ] || { cat "$out"; echo "FAIL $scenario: exit code $status, expected $1"; exit 1; }
  shift
  for pattern in "$@"; do
    grep -qF -- "$pattern" "$out" || { cat "$out"; echo "FAIL $scenario: no line with: $pattern"; exit 1; }
  done
  echo "ok $scenario"
}
host() { "$run" diag-host.exe "$@" >"$out" 2>&1; status=$?; }
# The desktop's DPI (HKCU\Control Panel\Desktop\LogPixels), for one run.
dpi() {
  "$run" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1
  "$run" --server -w
}

case $scenario in
  info)
    host info
    expect 0 "Module:          FINGERPRINT (\"Fingerprint\") (short name FP)" "name:        RECOGNITION_TEST (" ;;
  list-two-readers)
    FINGERPRINT_SIM=$sim/two-readers.json host list --json
    expect 0 '"value":"Acme X1"' '"value":"Contoso Swipe 2"' '"value":"Swipe sensor"' \
      '"key":"DRIVER_VERSION"' '"value":"10.2.0.5"' '"value":"3.1.0.0"' '"deviceId":"1"' ;;
  run-passed)
    host run --platform offscreen
    expect 0 "Request(widget) -> dialog result 0" "Status: Passed (0)" ;;
  never-touched-no)
    FINGERPRINT_SIM=$sim/never-touched.json host run --platform offscreen --answer no
    expect 4 "message DID_YOU_PERFORM_THE_TEST_CORRECTLY" "AddMessage(TIMEOUT_REACHED" "Status: Aborted (4)" ;;
  stuck-abort)
    # The reader ignores the abort's cancellation: given up on after the grace period.
    FINGERPRINT_SIM=$sim/stuck-sensor.json host run --platform offscreen --abort-after-ms 2000
    expect 6 "AddMessage(CANNOT_ACCESS_DEVICE" "Status: Error (6)" ;;
  service-answers)
    # The biometric service's documented answers, through the winbio.dll
    # double: none passes for the wrong reader, none blames the reader.
    printf '[CSAT]\r\nCSAT_TEST_TIMEOUT=3\r\n' >limit-3.ini
    while read -r machine code message; do
      FINGERPRINT_SIM=$sim/$machine.json host run --platform offscreen --settings limit-3.ini
      if grep -qF POSSIBLE_DEFECTIVE_COMPONENTS "$out"; then cat "$out"; echo "FAIL $machine: the reader is blamed"; exit 1; fi
      scenario="service-answers $machine" expect "$code" "$message"
    done <<ROWS
two-readers-other-touched 4 DID_YOU_PERFORM_THE_TEST_CORRECTLY
two-readers-other-then-right 0 Status: Passed (0)
enrollment-in-progress 4 AddMessage(READER_BUSY_IN_ANOTHER_PROGRAM
device-busy 4 AddMessage(READER_BUSY_IN_ANOTHER_PROGRAM
session-busy 4 AddMessage(READER_BUSY_IN_ANOTHER_PROGRAM
biometrics-disabled 3 AddMessage(BIOMETRICS_TURNED_OFF_BY_POLICY
policy-off-listing 3 AddMessage(BIOMETRICS_TURNED_OFF_BY_POLICY
remote-session 3 AddMessage(NOT_AVAILABLE_IN_REMOTE_SESSION
ess-capable 3 AddMessage(ENHANCED_SIGN_IN_SECURITY_NOT_SUPPORTED
focus-withheld 4 DID_YOU_PERFORM_THE_TEST_CORRECTLY
ROWS
    ;;
  policy-off-list)
    # Turned off by policy: the device tree's readers, each with its own driver.
    FINGERPRINT_SIM=$sim/biometrics-disabled.json host list --json
    expect 0 '"value":"TURNED_OFF_BY_POLICY"' '"value":"Touch sensor"' '"value":"Swipe sensor"' \
      '"value":"3.1.0.0"' ;;
  unload)
    # Released and unloaded before the host's window goes: after a passed run,
    # and after a stuck one, which keeps the module pinned.
    host run --platform offscreen --unload
    expect 0 "Module released and unloaded" "Status: Passed (0)"
    FINGERPRINT_SIM=$sim/stuck-sensor.json host run --platform offscreen --abort-after-ms 2000 --unload
    expect 6 "Module released and unloaded" "Status: Error (6)" ;;
  german)
    LANG=de_DE.UTF-8 LOCPATH=$PWD/locales host run --platform "$screen" --answer yes --screenshot german.png
    expect 0 '"Berühren Sie den Sensor mit dem Finger oder streichen Sie darüber, bis der Test beendet ist."' \
      "Status: Passed (0)" ;;
  dpi-144)
    # Qt on Windows scales its logical pixels by the DPI too (here 150 %).
    dpi 144
    host run --platform "offscreen:configfile=$source/tests/data/windows/screen-1920x1080-scale150.json" \
      --screenshot dpi-144.png
    dpi 120
    expect 0 "diag-host: dialog 540x216 active" "Status: Passed (0)" ;;
  *)
    echo "unknown scenario $scenario" >&2; exit 2 ;;
esac
