#!/bin/sh
# qkdb's record commands end to end: create, add of every field type, info,
# dump, delete, purge, check, usage errors, and damaged files that must give
# an error (exit 1) and never a crash.
# Usage: qkdb_basic_test.sh path/to/qkdb
set -u
QKDB=$1
. "$(dirname "$0")/qkdb_test_lib.sh"
F="$DIR/all.vdb"

# Every field type: byte short int int64 float double bool datetime subptr text bytes memo.
expect_rc 0 "$QKDB" create "$F" b:1 s:2 i:3 l:4 f:5 d:6 ok:7 when:8 sub:9 名字:10:8 raw:11 memo:12
expect_rc 0 "$QKDB" add "$F" 255 -2 -70000 9000000000 1.5 -0.25 true "2024-03-01 09:30:05" 7 "张三" 00ff10 "长的备注"
expect_rc 0 "$QKDB" add "$F" 1
# A text longer than its field is refused; --truncate cuts it to whole characters.
expect_rc 1 "$QKDB" add "$F" 3 4 5 6 7 8 false 2000-01-01 0 "太长的名字超过八个字节" "" ""
grep -q "field 名字: the text is 22 bytes" "$DIR/err" || fail "no word about the long text: $(cat "$DIR/err")"
expect_rc 0 "$QKDB" add "$F" 3 4 5 6 7 8 false 2000-01-01 0 "太长的名字超过八个字节" "" "" --truncate

expect_rc 0 "$QKDB" info "$F"
expect_out '"records":3'
expect_out '"magic":"QVDB"'
expect_out '"auxiliary":true'
expect_out '"name":"名字"'

expect_rc 0 "$QKDB" dump "$F"
[ "$(wc -l <"$DIR/out")" = 3 ] || fail "dump lines: $(cat "$DIR/out")"
expect_out '"b":255,"s":-2,"i":-70000,"l":9000000000,"f":1.5,"d":-0.25,"ok":true'
expect_out '"when":"2024-03-01 09:30:05"'
expect_out '"名字":"张三","raw":"00ff10","memo":"长的备注"'
expect_out '"名字":"太长的名"'
expect_out '"when":"2000-01-01 00:00:00"'

expect_rc 0 "$QKDB" delete "$F" 2
expect_rc 0 "$QKDB" dump "$F"
expect_out '"record":2,"serial":2,"deleted":true'
expect_rc 1 "$QKDB" delete "$F" 9
expect_rc 0 "$QKDB" purge "$F"
expect_rc 0 "$QKDB" info "$F"
expect_out '"records":2'
expect_rc 0 "$QKDB" dump "$F"
expect_out '"record":2,"serial":3'
expect_rc 0 "$QKDB" check "$F"

# Usage errors exit 2; a value the field cannot hold and engine errors exit 1.
expect_rc 2 "$QKDB"
expect_rc 2 "$QKDB" frobnicate "$F"
expect_rc 2 "$QKDB" create "$DIR/x.vdb"
expect_rc 1 "$QKDB" create "$DIR/x.vdb" a:99   # the engine refuses the type
expect_rc 1 "$QKDB" add "$F" notanumber
expect_rc 1 "$QKDB" info "$DIR/missing.vdb"

# Damaged copies: cut short, garbage in the header and in the definitions,
# an auxiliary file cut off. Each gives an answer, never a crash (a signal
# would show as an exit status above 128).
size=$(wc -c <"$F")
for cut in 0 3 10 40 100 200 $((size - 1)); do
  head -c "$cut" "$F" >"$DIR/cut.vdb"
  cp "$DIR/all.VDT" "$DIR/cut.VDT" 2>/dev/null || cp "$DIR/all.vdt" "$DIR/cut.vdt" 2>/dev/null
  for cmd in info dump check; do
    "$QKDB" "$cmd" "$DIR/cut.vdb" >/dev/null 2>&1
    rc=$?
    [ "$rc" -le 2 ] || fail "$cmd on a file cut at $cut bytes: exit $rc"
  done
done
for offset in 4 8 16 24 32 48 64 96 128; do
  cp "$F" "$DIR/bad.vdb"
  cp "$DIR/all.VDT" "$DIR/bad.VDT" 2>/dev/null || cp "$DIR/all.vdt" "$DIR/bad.vdt" 2>/dev/null
  printf '\377\377\377\177' | dd of="$DIR/bad.vdb" bs=1 seek="$offset" conv=notrunc 2>/dev/null
  for cmd in info dump check purge; do
    "$QKDB" "$cmd" "$DIR/bad.vdb" >/dev/null 2>&1
    rc=$?
    [ "$rc" -le 2 ] || fail "$cmd on a file damaged at $offset: exit $rc"
  done
done
ls "$DIR"/all.* | grep -q -i '\.vdt$' || fail "no auxiliary file beside the database"
aux=$(ls "$DIR"/all.* | grep -i '\.vdt$')
cp "$F" "$DIR/short.vdb"
head -c 20 "$aux" >"$DIR/short.$(echo "$aux" | sed 's/.*\.//')"
"$QKDB" dump "$DIR/short.vdb" >/dev/null 2>&1; rc=$?
[ "$rc" -le 2 ] || fail "dump with a cut auxiliary file: exit $rc"
expect_rc 1 "$QKDB" check "$DIR/short.vdb"

[ "$failures" = 0 ] && echo "all passed"
exit "$failures"
