#!/usr/bin/env bash
# Checks that every C++ source of src/ compiles for Windows: the MinGW cross compiler parses each
# one (syntax only) against Debian's Qt 6 headers and the generated forms of a built tree, with
# the standard, defines, include folders and warning options of that tree's compile commands
# (Qt's Linux mkspec swapped for its MinGW one). SQLite's header comes from a folder that holds
# it alone, so no other header of this machine's C library reaches the check and a POSIX-only
# include outside a guard fails it. Prints each file that fails with its first errors and exits 1
# when any does.
#   scripts/wincheck.sh [BUILD]   BUILD: the configured and built tree (build/test)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/test}
cxx=x86_64-w64-mingw32-g++-posix

command -v "$cxx" >/dev/null || { echo "wincheck: $cxx is missing; run scripts/setup.sh" >&2; exit 2; }
[ -f "$build/compile_commands.json" ] || { echo "wincheck: build $build first" >&2; exit 2; }

sqlite_dir=$(sed -n 's/^SQLite3_INCLUDE_DIR:PATH=//p' "$build/CMakeCache.txt")
headers="$build/wincheck/include"
mkdir -p "$headers"
cp "$sqlite_dir/sqlite3.h" "$headers/"

python3 - "$cxx" "$build" "$headers" <<'EOF'
import concurrent.futures, json, os, pathlib, shlex, subprocess, sys

cxx, build = sys.argv[1:3]
headers = os.path.abspath(sys.argv[3])
src = pathlib.Path('src').resolve()
commands = {}
for entry in json.load(open(os.path.join(build, 'compile_commands.json'))):
    commands.setdefault(pathlib.Path(entry['directory'], entry['file']).resolve(), entry)


def check(path):
    """Compiles a file for Windows; its first errors, or None when it compiles."""
    entry = commands.get(path)
    if entry is None:
        return f'no compile command in {build}'
    command = [cxx, '-fsyntax-only', '-isystem', headers]
    args = iter(shlex.split(entry['command']))
    for a in args:
        if a == '-isystem':
            folder = pathlib.Path(next(args))
            if folder.parent.name == 'mkspecs':
                folder = folder.parent / 'win32-g++'
            command += [a, str(folder)]
        elif a.startswith(('-D', '-I', '-W', '-std=')):
            command.append(a)
    run = subprocess.run([*command, str(path)], cwd=entry['directory'], capture_output=True,
                         text=True)
    return '\n'.join(run.stderr.splitlines()[:15]) if run.returncode else None


files = sorted(src.rglob('*.cpp'))
with concurrent.futures.ThreadPoolExecutor(os.cpu_count()) as pool:
    results = list(pool.map(check, files))
failed = [(f, r) for f, r in zip(files, results) if r is not None]
for f, r in failed:
    print(f'FAIL {f.relative_to(src.parent)}\n{r}\n')
print(f'wincheck: {len(files) - len(failed)} of {len(files)} files of src/ compile for Windows')
sys.exit(1 if failed else 0)
EOF
