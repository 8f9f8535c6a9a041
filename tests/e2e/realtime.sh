# Real-time mode against a real module simulator: the demo site opened, a "ВЕКТ-8Р" added, two of
# its loops bound to a new partition, a user added, the keypad deleted, the clock set. The
# simulator's saved configuration then differs from the demo site by exactly those changes.
port=$(free_port)
sim module "$port" --save "$work/module.cfg"
# The catalogue lists a file with this module's password, so real-time mode logs in by itself.
"$app/lorim-cli" read "$work/known.cfg" --udp "127.0.0.2:$port" --password 8522 \
  --ini "$work/cli.ini" >/dev/null
printf '[Link]\nType=1\nIP=127.0.0.2\nPort=%s\n\n[Config]\nCount=1\nPath1=%s\nName1=known\n' \
  "$port" "$work/known.cfg" > "$app/lorim-config.ini"
"$app/lorim-config" > "$work/app.out" 2>&1 &
pids+=($!)
/usr/bin/python3 "$here/realtime.py"
grep -q '^clock: ' "$work/module.out" || { echo "the clock was not set" >&2; exit 1; }
"$app/lorim-cli" dump "$work/known.cfg" > "$work/before.txt"
"$app/lorim-cli" dump "$work/module.cfg" > "$work/after.txt"
/usr/bin/python3 "$here/dumpdiff.py" "$work/before.txt" "$work/after.txt" "$here/realtime.expected"
