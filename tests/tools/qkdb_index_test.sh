#!/bin/sh
# qkdb's index-file commands end to end: mkindex, --index with add, set and
# purge, index-check finding sound and stale files, refusals.
# Usage: qkdb_index_test.sh path/to/qkdb
set -u
QKDB=$1
. "$(dirname "$0")/qkdb_test_lib.sh"
F="$DIR/people.vdb"

"$QKDB" create "$F" 姓名:10:12 年龄:3 备注:12 || fail create
i=0
while [ $i -lt 60 ]; do
  "$QKDB" add "$F" "名$((i % 7))" $((i * 13 % 17)) x || fail "add $i"
  i=$((i + 1))
done

expect_rc 0 "$QKDB" mkindex "$DIR/by_age" "$F" 年龄 --page-size 512
expect_rc 0 "$QKDB" mkindex "$DIR/BY_NAME.VNX" "$F" 姓名,年龄 --collation 1 --text-flags 3
[ -f "$DIR/by_age.VNX" ] || fail "default extension: $(ls "$DIR")"
expect_rc 0 "$QKDB" index-check "$DIR/by_age" "$F"
grep -q "ok: 60 entries" "$DIR/out" || fail "index-check summary: $(cat "$DIR/out")"

# Kept up to date through --index (a bare name is taken from the database's folder).
expect_rc 0 "$QKDB" --index by_age --index BY_NAME.VNX add "$F" 新 99 y
expect_rc 0 "$QKDB" --index by_age --index BY_NAME.VNX set "$F" 3 年龄 -4
expect_rc 0 "$QKDB" --index by_age --index BY_NAME.VNX set "$F" 4 姓名 改名
expect_rc 0 "$QKDB" --index by_age --index BY_NAME.VNX set "$F" 5 2 1000
expect_rc 0 "$QKDB" delete "$F" 1
expect_rc 0 "$QKDB" delete "$F" 10
expect_rc 0 "$QKDB" --index by_age --index BY_NAME.VNX purge "$F"
expect_rc 0 "$QKDB" index-check "$DIR/by_age" "$F"
grep -q "ok: 59 entries" "$DIR/out" || fail "after purge: $(cat "$DIR/out")"
expect_rc 0 "$QKDB" index-check "$DIR/BY_NAME" "$F"

# A change made without the index leaves it stale, and the check says so.
expect_rc 0 "$QKDB" set "$F" 1 年龄 555
expect_rc 1 "$QKDB" index-check "$DIR/by_age" "$F"
grep -q "expected record" "$DIR/out" || fail "stale index not reported: $(cat "$DIR/out")"
expect_rc 0 "$QKDB" add "$F" 另 1 z
expect_rc 1 "$QKDB" index-check "$DIR/BY_NAME" "$F"

# Refusals.
expect_rc 1 "$QKDB" mkindex "$DIR/x" "$F" 没有
expect_rc 1 "$QKDB" mkindex "$DIR/x" "$F" 备注
expect_rc 2 "$QKDB" mkindex "$DIR/x" "$F" 年龄 --collation 3
expect_rc 2 "$QKDB" mkindex "$DIR/x" "$F" 年龄 --page-size 100
expect_rc 2 "$QKDB" add "$F" a 1 --index
expect_rc 1 "$QKDB" --index absent add "$F" a 1
grep -q -- "-30" "$DIR/err" || fail "missing index file: $(cat "$DIR/err")"
expect_rc 1 "$QKDB" set "$F" 1 没有 1
expect_rc 1 "$QKDB" set "$F" 999 年龄 1
expect_rc 1 "$QKDB" index-check "$DIR/absent" "$F"
head -c 100 "$DIR/by_age.VNX" >"$DIR/broken.VNX"
expect_rc 1 "$QKDB" index-check "$DIR/broken" "$F"

[ "$failures" = 0 ] && echo "qkdb index commands: all passed"
[ "$failures" = 0 ]
