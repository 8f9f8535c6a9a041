# Shared by run.sh and screenshots.sh (sourced, from the repository's top folder): the demo
# module and the INI file that points the tool at it.
bin=build/release/bin
port=${LORIM_DEMO_PORT:-10001}
ini=$bin/lorim-config.ini
demo=$PWD/build/release/demo.cfg

# Starts lorim-sim with its demo site on 127.0.0.2 and stops it when the script ends.
start_demo_module() {
  "$bin/lorim-sim" --udp "127.0.0.2:$port" > build/release/sim.out &
  sim=$!
  trap 'kill $sim 2>/dev/null; wait $sim 2>/dev/null || true' EXIT
  for _ in $(seq 50); do
    grep -q '^udp ' build/release/sim.out && return 0
    sleep 0.1
  done
  echo "the simulator did not start:" >&2
  cat build/release/sim.out >&2
  exit 1
}

# Reads the demo site from the simulator into build/release/demo.cfg.
read_demo_site() {
  "$bin/lorim-cli" read "$demo" --udp "127.0.0.2:$port" --password 8522 --ini "$ini"
}

# An INI file without link settings gets UDP to the simulator, and a catalogue entry for the
# demo file read from it (so real-time mode finds the access password there). Settings the
# user made are left alone.
prepare_demo_ini() {
  if [ -f "$ini" ] && grep -qi '^\[Link\]' "$ini"; then
    return 0
  fi
  read_demo_site >/dev/null
  {
    printf '[Link]\nType=1\nCOMPort=COM1\nCOMSpeed=57600\nIP=127.0.0.2\nPort=%s\n\n' "$port"
    if ! { [ -f "$ini" ] && grep -qi '^\[Config\]' "$ini"; }; then
      printf '[Config]\nCount=1\nPath1=%s\nName1=Демо\nNote1=Демонстрационный объект (lorim-sim)\n\n' "$demo"
    fi
    [ -f "$ini" ] && cat "$ini"
  } > "$ini.new"
  mv "$ini.new" "$ini"
}
