#!/bin/sh
# qkdb's password options end to end: passwd with both kinds of secret,
# opening enciphered files, refusals, and removing the protection again.
# Usage: qkdb_password_test.sh path/to/qkdb
set -u
QKDB=$1
. "$(dirname "$0")/qkdb_test_lib.sh"
F="$DIR/notes.vdb"
magic() { head -c 4 "$F"; }

"$QKDB" create "$F" name:10:20 note:12 || fail create
"$QKDB" add "$F" 第一 备注一 || fail add

printf '\nsecret\n' | expect_rc 0 "$QKDB" --key-stdin passwd "$F"
[ "$(magic)" = QCDB ] || fail "magic after passwd: $(magic)"
grep -q "$(printf '\xb5\xda\xd2\xbb')" "$F" "$DIR/notes.VDT" && fail "plain text left in the files"

expect_rc 1 "$QKDB" dump "$F"
grep -q -- --key-stdin "$DIR/err" || fail "no hint about --key-stdin: $(cat "$DIR/err")"
echo wrong | expect_rc 1 "$QKDB" --key-stdin dump "$F"
echo secret | expect_rc 0 "$QKDB" --key-stdin dump "$F"
grep -q '"note":"备注一"' "$DIR/out" || fail "dump through the key: $(cat "$DIR/out")"
echo secret | expect_rc 0 "$QKDB" --key-stdin check "$F"
echo secret | expect_rc 0 "$QKDB" add "$F" 第二 备注二 --key-stdin

# A wrong old password changes nothing.
BEFORE=$(cksum <"$F")
printf 'nope\nother\n' | expect_rc 1 "$QKDB" --key-stdin passwd "$F"
[ "$(cksum <"$F")" = "$BEFORE" ] || fail "a refused passwd changed the file"
# Only one line given.
printf 'secret\n' | expect_rc 1 "$QKDB" --key-stdin passwd "$F"
# No option and no terminal.
expect_rc 1 "$QKDB" passwd "$F" </dev/null
expect_rc 2 "$QKDB" --key-stdin --password-stdin info "$F" </dev/null

# Off, then a notebook password (an empty old line: the file is plain).
printf 'secret\n\n' | expect_rc 0 "$QKDB" --key-stdin passwd "$F"
[ "$(magic)" = QVDB ] || fail "magic after removing the key: $(magic)"
printf '\n我的密码\n' | expect_rc 0 "$QKDB" --password-stdin passwd "$F"
[ "$(magic)" = QCDB ] || fail "magic after setting a notebook password: $(magic)"
echo 我的密码 | expect_rc 1 "$QKDB" --key-stdin info "$F"
echo " 我的密码 " | expect_rc 0 "$QKDB" --password-stdin dump "$F"
grep -q '"name":"第二"' "$DIR/out" || fail "dump through the notebook password: $(cat "$DIR/out")"
# An empty new notebook password gives the key of the empty password, so the
# notebook still opens the file; --password-stdin never removes the protection.
printf '我的密码\n\n' | expect_rc 0 "$QKDB" --password-stdin passwd "$F"
[ "$(magic)" = QCDB ] || fail "magic after the empty notebook password: $(magic)"
expect_rc 1 "$QKDB" dump "$F" </dev/null
printf '\n' | expect_rc 0 "$QKDB" --password-stdin dump "$F"
grep -q '"name":"第二"' "$DIR/out" || fail "dump through the empty notebook password: $(cat "$DIR/out")"
# Only --key-stdin removes it, with a warning.
printf 'd41d8cd98f00b204e9800998ecf8427e\n\n' | expect_rc 0 "$QKDB" --key-stdin passwd "$F"
[ "$(magic)" = QVDB ] || fail "magic after removing the protection: $(magic)"
grep -q "can no longer open" "$DIR/err" || fail "no warning about the notebook: $(cat "$DIR/err")"
expect_rc 0 "$QKDB" dump "$F"
grep -q '"name":"第二"' "$DIR/out" || fail "records after removing the password: $(cat "$DIR/out")"
expect_rc 0 "$QKDB" check "$F"
printf '\n新密码\n' | expect_rc 0 "$QKDB" --password-stdin passwd "$F"
echo 新密码 | expect_rc 0 "$QKDB" --password-stdin dump "$F"

[ "$failures" = 0 ] && echo "all passed"
exit "$failures"
