#!/usr/bin/env bash
# Rows copied in one running program are pasted in another, through the X clipboard of a
# virtual display that this script starts (and ends) itself.
#   cross_process_paste.sh PEER_PROGRAM
set -euo pipefail
peer="$1"
work="$(mktemp -d)"
xvfb=""
copier=""
finish() {
    [ -n "$copier" ] && kill "$copier" 2>/dev/null || true
    [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null || true
    rm -rf "$work"
}
trap finish EXIT

command -v Xvfb >/dev/null || { echo "Xvfb is missing (scripts/setup installs it)"; exit 1; }
# Xvfb picks a free display and writes its number to the pipe.
exec 3<> <(:)
Xvfb -displayfd 3 -screen 0 800x600x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb=$!
read -r -t 20 display <&3 || { echo "Xvfb did not start"; cat "$work/xvfb.log"; exit 1; }
export DISPLAY=":$display" QT_QPA_PLATFORM=xcb

mkfifo "$work/out"
"$peer" copy "$work/copy.db" >"$work/out" 2>"$work/copy.err" &
copier=$!
exec 4<"$work/out"
read -r -t 30 said <&4 || { echo "the copying program said nothing"; cat "$work/copy.err"; exit 1; }
[ "$said" = "copied 0" ] || { echo "copying program: $said"; exit 1; }

got="$("$peer" paste "$work/paste.db" 2>"$work/paste.err")" ||
    { echo "the pasting program failed:"; cat "$work/paste.err"; exit 1; }
# each row is inserted at the current row, so the second lands above the first
expected="code 0
Сидоров Олег|40|д
Ёлкина Мария||"
if [ "$got" != "$expected" ]; then
    echo "pasted:"; echo "$got"; echo "expected:"; echo "$expected"
    cat "$work/paste.err"
    exit 1
fi
echo "rows pasted from another process: ok"
