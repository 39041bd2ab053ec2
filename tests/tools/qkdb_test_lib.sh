# What every qkdb shell test starts with (sourced after QKDB=$1): a scratch
# folder removed at exit, a failure count, and the checks of a command's exit
# status and output (kept in $DIR/out and $DIR/err).
# A sanitizer finding must not pass for an ordinary error exit (1).
export ASAN_OPTIONS="${ASAN_OPTIONS:-}:exitcode=99"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-}:halt_on_error=1:exitcode=99"
DIR=$(mktemp -d)
trap 'rm -rf "$DIR"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
expect_rc() { want=$1; shift; "$@" >"$DIR/out" 2>"$DIR/err"; got=$?; [ "$got" = "$want" ] || fail "exit $got (want $want): $*: $(cat "$DIR/out" "$DIR/err")"; }
expect_out() { grep -q -F -- "$1" "$DIR/out" || fail "output lacks $1: $(cat "$DIR/out")"; }
expect_err() { grep -q -F -- "$1" "$DIR/err" || fail "standard error lacks $1: $(cat "$DIR/err")"; }
