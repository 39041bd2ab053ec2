#!/bin/sh
# A change cut short (its rollback copy beside the database): info, dump and
# check show the database as it was before the change, say that a recovery
# is pending, and leave every file as it is; the next command that writes
# turns the change back.
# Usage: qkdb_recovery_test.sh path/to/qkdb
set -u
QKDB=$1
. "$(dirname "$0")/qkdb_test_lib.sh"
F="$DIR/notes.vdb"

# Little-endian words as hex byte lists, and hex byte lists as bytes.
le32() { v=$1; echo "$(printf '%02x %02x %02x %02x' $((v & 255)) $(((v >> 8) & 255)) $(((v >> 16) & 255)) $(((v >> 24) & 255)))"; }
bytes() { for b in "$@"; do printf "\\$(printf '%03o' "0x$b")"; done; }
# FNV-1a, the copy's entry checksum, over hex bytes.
fnv() { h=2166136261; for b in "$@"; do h=$((((h ^ 0x$b) * 16777619) & 0xFFFFFFFF)); done; echo "$h"; }
# One entry: kind, file 0 (the database), position, then its bytes.
entry() {
  kind=$1 pos=$2; shift 2
  head="$(le32 "$kind") $(le32 0) $(le32 "$pos") $(le32 0) $(le32 $#)"
  # shellcheck disable=SC2086
  bytes $head $(le32 "$(fnv $head "$@")") "$@"
}

expect_rc 0 "$QKDB" create "$F" name:10:8 n:3
expect_rc 0 "$QKDB" add "$F" one 1
expect_rc 0 "$QKDB" add "$F" two 2
# The count and next-serial words of two records, and the file's length.
old_counts=$(od -An -tx1 -j16 -N8 "$F")
old_length=$(wc -c <"$F")
expect_rc 0 "$QKDB" add "$F" three 3
# As a change cut short after adding the third record would leave it: the
# copy holds the file's old length and its old count words.
{
  bytes 51 4b 52 42 $(le32 1) 00 00 00 00 00 00 00 00
  entry 1 "$old_length"
  # shellcheck disable=SC2086
  entry 2 16 $old_counts
} >"$F-rollback"
cp "$F" "$DIR/before-recovery"

expect_rc 0 "$QKDB" info "$F"
expect_out '"records":2'
expect_err 'was cut short'
expect_rc 0 "$QKDB" dump "$F"
[ "$(wc -l <"$DIR/out")" = 2 ] || fail "dump lines: $(cat "$DIR/out")"
expect_err 'was cut short'
expect_rc 0 "$QKDB" check "$F"
expect_out 'ok'
expect_err 'was cut short'
cmp -s "$F" "$DIR/before-recovery" || fail "a reading command changed the database"
[ -f "$F-rollback" ] || fail "a reading command removed the rollback copy"

# A writing command turns the change back first.
expect_rc 0 "$QKDB" add "$F" four 4
[ -f "$F-rollback" ] && fail "the rollback copy is still there after a writable open"
expect_rc 0 "$QKDB" dump "$F"
[ "$(wc -l <"$DIR/out")" = 3 ] || fail "dump lines after recovery: $(cat "$DIR/out")"
expect_out '"name":"four"'
grep -q -F 'cut short' "$DIR/err" && fail "the note is still given after the recovery"

[ "$failures" = 0 ] && echo "all passed"
exit "$failures"
