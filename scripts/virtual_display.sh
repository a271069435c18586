# Sourced by the scripts that run Wine on a virtual display (end-to-end tests, benchmark,
# pictures, demo): one way to start Xvfb.
#
# start_virtual_display FIRST LOG
#   Starts Xvfb with a 1024 x 768 screen on the first free display number from FIRST on, in a
#   session of its own and with no inherited output, so that the caller may end while it runs.
#   Sets virtual_display (":N") and virtual_display_pid (set as soon as Xvfb was started, so that
#   a caller's clean-up can stop it even when it did not come up). Returns 1, with a message on
#   standard error, when no number is free or the display is not there within 10 seconds.
start_virtual_display() {
    local first=$1 log=$2 n
    virtual_display=""
    virtual_display_pid=""
    for n in $(seq "$first" $((first + 41))); do
        if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then
            virtual_display=":$n"
            break
        fi
    done
    [ -n "$virtual_display" ] || { echo "no free X display number" >&2; return 1; }
    setsid Xvfb "$virtual_display" -screen 0 1024x768x24 -nolisten tcp </dev/null >"$log" 2>&1 &
    virtual_display_pid=$!
    for _ in $(seq 1 100); do
        [ -e "/tmp/.X11-unix/X${virtual_display#:}" ] && return 0
        sleep 0.1
    done
    echo "Xvfb did not start on $virtual_display; see $log" >&2
    return 1
}
