#!/usr/bin/env bash
# End-to-end comparison of dustpan with the established trash tools and with minimal C loops,
# on the file system of the working folder and on a tmpfs (when one can be mounted).
#
#   bench/compare.sh [RUNS] [--large]
#
# Each tool works on a fresh copy of the same tree for every run (hyperfine's --prepare, which
# ends with sync so that writing back the copy does not land on the timed run), in a throwaway
# HOME inside the file system under test. Medians are printed as a table with the
# ratio of each tool to the minimal loop. --large adds 100,000-file runs of dustpan and the loop
# to show that the cost per item does not grow with the number of items, or with the number of
# items already in the trash.
#
# Needs: hyperfine, strace, gio (libglib2.0-bin), trash-put/trash-empty (trash-cli), a C
# compiler and python3 (to read hyperfine's JSON).
set -euo pipefail

runs=5
large=0
for arg in "$@"; do
  case $arg in
    --large) large=1 ;;
    *) runs=$arg ;;
  esac
done

repo=$(cd "$(dirname "$0")/.." && pwd)
for tool in hyperfine strace gio trash-put trash-empty cc python3; do
  command -v "$tool" >/dev/null || {
    echo "compare.sh: $tool is missing (apt-get install hyperfine strace libglib2.0-bin trash-cli gcc python3)" >&2
    exit 1
  }
done

# Emptying empties every trash of the user on every mount, for every tool measured here; refuse
# to run where that would reach a real per-mount trash outside this benchmark.
uid=$(id -u)
while read -r _ _ _ _ mount_point _; do
  mount_point=$(printf '%b' "${mount_point//\\/\\\\0}")
  for trash in "$mount_point/.Trash-$uid" "$mount_point/.Trash/$uid"; do
    if [ -e "$trash" ]; then
      echo "compare.sh: $trash exists; emptying benchmarks would empty it. Move it away first." >&2
      exit 1
    fi
  done
done </proc/self/mountinfo

(cd "$repo" && cmake --workflow --preset release >/dev/null)
dustpan=$repo/build/release/src/dustpan

scratch=$(mktemp -d "$PWD/dustpan-compare-XXXXXX")
tmpfs=$scratch/tmpfs
cleanup() {
  mountpoint -q "$tmpfs" 2>/dev/null && umount "$tmpfs"
  rm -rf "$scratch"
}
trap cleanup EXIT

cc -O2 -o "$scratch/minimal_trash" "$repo/bench/minimal_trash.c"
cc -O2 -o "$scratch/minimal_empty" "$repo/bench/minimal_empty.c"

roots=("$scratch/disk")
names=("$(findmnt -n -o FSTYPE --target "$PWD") (working folder)")
mkdir -p "$tmpfs" "$scratch/disk"
if mount -t tmpfs -o size=4g dustpan-bench "$tmpfs" 2>/dev/null; then
  roots+=("$tmpfs")
  names+=("tmpfs")
else
  echo "note: cannot mount a tmpfs here (needs root); measuring the working folder only" >&2
fi

# Template trees. unique: files with distinct names; dirs: folders to trash whole; spread: the
# files of 100 folders with distinct names; same: the files of 100 folders that share 100 names.
make_templates() {
  local t=$1/templates
  mkdir -p "$t"
  for n in 1000 10000; do
    mkdir -p "$t/files$n"
    (cd "$t/files$n" && seq -f "file%06g.txt" 1 "$n" | xargs touch)
  done
  mkdir -p "$t/dirs100x100" "$t/spread100x100" "$t/same100x100"
  for d in $(seq -w 1 100); do
    mkdir -p "$t/dirs100x100/dir$d" "$t/spread100x100/dir$d" "$t/same100x100/dir$d"
    (cd "$t/dirs100x100/dir$d" && seq -f "f%03g" 1 100 | xargs touch)
    (cd "$t/spread100x100/dir$d" && seq -f "d${d}f%03g" 1 100 | xargs touch)
    (cd "$t/same100x100/dir$d" && seq -f "f%03g" 1 100 | xargs touch)
  done
  if [ "$large" = 1 ]; then
    mkdir -p "$t/files100000"
    (cd "$t/files100000" && seq -f "file%06g.txt" 1 100000 | xargs touch)
  fi
}

# The list of what a scenario trashes, as absolute paths in the run folder.
make_list() {
  local root=$1 scenario=$2 run=$1/run/$2
  case $scenario in
    dirs100x100) (cd "$root/templates/$scenario" && ls -d -- */) | sed "s|/\$||; s|^|$run/|" ;;
    spread100x100 | same100x100) (cd "$root/templates/$scenario" && find . -type f) | sed "s|^\./|$run/|" ;;
    *) (cd "$root/templates/$scenario" && ls) | sed "s|^|$run/|" ;;
  esac >"$root/lists/$scenario"
}

median_of() {  # JSON-FILE NAME
  python3 -c '
import json, sys
for result in json.load(open(sys.argv[1]))["results"]:
    if result["command"] == sys.argv[2]:
        print("%.4f" % result["median"])' "$1" "$2"
}

table=$scratch/table
printf '| file system | case | dustpan | gio trash | trash-put / trash-empty | minimal loop | dustpan / minimal | gio / dustpan | trash-cli / dustpan |\n|---|---|---|---|---|---|---|---|---|\n' >"$table"

row() {  # FS CASE DUSTPAN GIO TRASHCLI MINIMAL (seconds; "-" when not measured)
  python3 - "$@" >>"$table" <<'PY'
import sys
fs, case, *times = sys.argv[1:]
def ms(t): return "-" if t == "-" else "%.1f ms" % (float(t) * 1000)
def ratio(a, b): return "-" if "-" in (a, b) else "%.2f×" % (float(a) / float(b))
d, g, t, m = times
print(f"| {fs} | {case} | {ms(d)} | {ms(g)} | {ms(t)} | {ms(m)} | {ratio(d, m)} | {ratio(g, d)} | {ratio(t, d)} |")
PY
  tail -n 1 "$table" >&2  # as it comes, so a late failure loses nothing
}

for i in "${!roots[@]}"; do
  root=${roots[$i]}
  fs=${names[$i]}
  export HOME=$root/home XDG_DATA_HOME=$root/home/.local/share
  trash=$XDG_DATA_HOME/Trash
  mkdir -p "$HOME" "$XDG_DATA_HOME" "$root/lists"
  echo "== $fs: preparing trees" >&2
  make_templates "$root"

  scenarios=(files1000 files10000 dirs100x100 spread100x100 same100x100)
  for scenario in "${scenarios[@]}"; do
    make_list "$root" "$scenario"
    list=$root/lists/$scenario
    prepare="rm -rf '$root/run' '$trash' && mkdir -p '$root/run' && cp -a '$root/templates/$scenario' '$root/run/' && sync"
    json=$scratch/$i-$scenario.json
    echo "== $fs: trash $scenario" >&2
    hyperfine --runs "$runs" --style basic --export-json "$json" --prepare "$prepare" \
      -n dustpan "'$dustpan' trash '$list'" \
      -n gio "xargs -d '\\n' -a '$list' gio trash" \
      -n trash-put "xargs -d '\\n' -a '$list' trash-put" \
      -n minimal "'$scratch/minimal_trash' '$list' '$trash'" >/dev/null
    row "$fs" "trash $scenario" "$(median_of "$json" dustpan)" "$(median_of "$json" gio)" \
      "$(median_of "$json" trash-put)" "$(median_of "$json" minimal)"
  done

  for scenario in files10000 dirs100x100; do
    list=$root/lists/$scenario
    prepare="rm -rf '$root/run' '$trash' && mkdir -p '$root/run' && cp -a '$root/templates/$scenario' '$root/run/' && '$scratch/minimal_trash' '$list' '$trash' && sync"
    json=$scratch/$i-empty-$scenario.json
    echo "== $fs: empty $scenario" >&2
    hyperfine --runs "$runs" --style basic --export-json "$json" --prepare "$prepare" \
      -n dustpan "'$dustpan' empty" \
      -n trash-empty "trash-empty" \
      -n minimal "'$scratch/minimal_empty' '$trash'" >/dev/null
    row "$fs" "empty $scenario" "$(median_of "$json" dustpan)" "-" \
      "$(median_of "$json" trash-empty)" "$(median_of "$json" minimal)"
  done

  if [ "$large" = 1 ]; then
    scenario=files100000
    make_list "$root" "$scenario"
    list=$root/lists/$scenario
    json=$scratch/$i-$scenario.json
    echo "== $fs: trash $scenario" >&2
    hyperfine --runs 3 --style basic --export-json "$json" \
      --prepare "rm -rf '$root/run' '$trash' && mkdir -p '$root/run' && cp -a '$root/templates/$scenario' '$root/run/' && sync" \
      -n dustpan "'$dustpan' trash '$list'" \
      -n minimal "'$scratch/minimal_trash' '$list' '$trash'" >/dev/null
    row "$fs" "trash $scenario" "$(median_of "$json" dustpan)" "-" "-" "$(median_of "$json" minimal)"
    # 10,000 more into a trash that already holds those 100,000.
    list=$root/lists/files10000
    full=$root/full-trash  # on the same file system, for cp -al
    rm -rf "$root/run" "$trash" "$full" && mkdir -p "$root/run" && cp -a "$root/templates/$scenario" "$root/run/"
    "$scratch/minimal_trash" "$root/lists/$scenario" "$trash" && mv "$trash" "$full"
    json=$scratch/$i-into-full.json
    echo "== $fs: trash files10000 into a trash of 100,000" >&2
    hyperfine --runs 3 --style basic --export-json "$json" \
      --prepare "rm -rf '$root/run' '$trash' && cp -al '$full' '$trash' && mkdir -p '$root/run' && cp -a '$root/templates/files10000' '$root/run/' && sync" \
      -n dustpan "'$dustpan' trash '$list'" \
      -n minimal "'$scratch/minimal_trash' '$list' '$trash'" >/dev/null
    row "$fs" "trash files10000 into 100,000" "$(median_of "$json" dustpan)" "-" "-" "$(median_of "$json" minimal)"
  fi

  # System calls per trashed item, from a single traced run of each.
  list=$root/lists/files10000
  for tool in dustpan minimal; do
    rm -rf "$root/run" "$trash" && mkdir -p "$root/run" && cp -a "$root/templates/files10000" "$root/run/"
    if [ "$tool" = dustpan ]; then cmd=("$dustpan" trash "$list"); else cmd=("$scratch/minimal_trash" "$list" "$trash"); fi
    strace -c -f -o "$scratch/strace-$tool" "${cmd[@]}" >/dev/null
    calls=$(awk '$NF == "total" { print $(NF-2) }' "$scratch/strace-$tool")
    echo "$fs: $tool makes $calls system calls for 10000 items: $(python3 -c "print('%.2f' % ($calls / 10000))") per item" >>"$scratch/syscalls"
  done
done

# Start-up: a run that ends in a usage error against a program that does nothing.
json=$scratch/startup.json
echo "== start-up" >&2
hyperfine -N -i --warmup 20 --runs 300 --style basic --export-json "$json" \
  -n dustpan "$dustpan" -n true /bin/true >/dev/null

echo
cat "$table"
echo
cat "$scratch/syscalls"
python3 - "$json" <<'PY'
import json, sys
results = {r["command"]: r["median"] for r in json.load(open(sys.argv[1]))["results"]}
print("start-up (usage error): dustpan %.2f ms, /bin/true %.2f ms: %.2f×" % (
    results["dustpan"] * 1000, results["true"] * 1000, results["dustpan"] / results["true"]))
PY
