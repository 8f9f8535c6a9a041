# Configuration mode against two real module simulators: a file created in the catalogue, the
# first module's site read into it ("Считать"), opened ("Выбрать"), a loop bound to partition 1,
# saved, and written ("Записать") to a second module that held only itself. The second module
# then holds the first one's site with that change.
first=$(free_port)
second=$(free_port)
sim first "$first"
# The second module: the same identifier, its administrator, nothing else.
/usr/bin/python3 - "$app/config.md_" "$work/empty.cfg" <<'PY'
import shutil, sqlite3, sys
shutil.copy(sys.argv[1], sys.argv[2])
db = sqlite3.connect(sys.argv[2])
db.execute("INSERT INTO [Device] VALUES (1, '0020FF78C534', '1', 'ЦМ', '', '', 0)")
db.execute("INSERT INTO [RelayDev] VALUES (1)")
db.execute("INSERT INTO [User] VALUES (111, 2, 255, 0, '8522', '9603')")
db.commit()
PY
sim second "$second" --config "$work/empty.cfg" --save "$work/second.cfg"
printf '[Link]\nType=1\nIP=127.0.0.2\nPort=%s\n' "$first" > "$app/lorim-config.ini"
"$app/lorim-cli" read "$work/first.cfg" --udp "127.0.0.2:$first" --password 8522 \
  --ini "$work/cli.ini" >/dev/null
"$app/lorim-config" > "$work/app.out" 2>&1 &
pids+=($!)
E2E_SECOND=$second /usr/bin/python3 "$here/catalogue.py"
[ -f "$work/site.cfg" ] || { echo "no site.cfg" >&2; exit 1; }
"$app/lorim-cli" dump "$work/first.cfg" > "$work/before.txt"
"$app/lorim-cli" dump "$work/second.cfg" > "$work/after.txt"
/usr/bin/python3 "$here/dumpdiff.py" "$work/before.txt" "$work/after.txt" "$here/catalogue.expected"
