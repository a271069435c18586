#!/bin/sh
# Runs a command and checks its exit code and that its output holds a text.
# usage: expect_exit.sh CODE TEXT COMMAND [ARGUMENT...]
expected=$1
text=$2
shift 2
output=$("$@" 2>&1)
code=$?
printf '%s\n' "$output"
if [ "$code" -ne "$expected" ]; then
    echo "FAIL: exit code $code, expected $expected" >&2
    exit 1
fi
case $output in
    *"$text"*) ;;
    *) echo "FAIL: the output does not hold \"$text\"" >&2; exit 1 ;;
esac
