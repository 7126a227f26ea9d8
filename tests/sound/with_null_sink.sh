#!/usr/bin/env bash
# Runs the sound tests against a private sound server whose only output is a null sink, so
# the cases that need an audio device really play (and nothing is heard). The server lives
# in its own runtime folder: no other program on the machine can reach it.
#
#   with_null_sink.sh <sound_test>
set -uo pipefail
command -v pulseaudio >/dev/null || { echo "SKIP: pulseaudio is not installed"; exit 77; }

run=$(mktemp -d)
server=""
cleanup() {
    [ -n "$server" ] && kill "$server" 2>/dev/null && wait "$server" 2>/dev/null
    rm -rf "$run"
}
trap cleanup EXIT

export HOME="$run" XDG_RUNTIME_DIR="$run" PULSE_RUNTIME_PATH="$run/pulse"
export PULSE_SERVER="unix:$run/pulse/native"
pulseaudio --daemonize=no --exit-idle-time=-1 -n --disable-shm \
    --load="module-null-sink sink_name=silent" --load="module-native-protocol-unix" \
    >"$run/server.log" 2>&1 &
server=$!
for _ in $(seq 100); do
    [ -S "$run/pulse/native" ] && break
    sleep 0.05
done
[ -S "$run/pulse/native" ] || { cat "$run/server.log"; echo "FAIL: the sound server did not start"; exit 1; }

out=$("$1" 2>&1)
status=$?
echo "$out"
[ $status -eq 0 ] || exit $status
# The device case must have run, not been skipped.
if grep -q 'SKIPPED' <<<"$out"; then
    echo "FAIL: a case was skipped although a sound server was running"
    exit 1
fi
