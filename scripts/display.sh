# Sourced by test.sh and run.sh: gives the Windows programs a display. Where there is none, an Xvfb
# of our own is started and stopped again when the script ends.
if [ -z "${DISPLAY:-}" ] || ! xdpyinfo >/dev/null 2>&1; then
  for n in $(seq 90 120); do
    [ -e "/tmp/.X$n-lock" ] && continue
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    xvfb_pid=$!
    export DISPLAY=":$n"
    for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
    trap 'kill $xvfb_pid 2>/dev/null' EXIT
    break
  done
fi
export LANG=zh_CN.UTF-8
