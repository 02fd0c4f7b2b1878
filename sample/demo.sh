#!/usr/bin/env bash
# Builds dustpan and shows its main job in a throwaway home: a few sample files are trashed
# from a list file, then listed from the trash. Nothing outside a temporary folder is touched.
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
cmake --workflow --preset release >/dev/null
dustpan=$repo/build/release/src/dustpan

demo=$(mktemp -d "${TMPDIR:-/tmp}/dustpan-demo-XXXXXX")
export HOME=$demo/home XDG_DATA_HOME=$demo/home/.local/share
mkdir -p "$HOME" "$demo/project/build"
cd "$demo/project"
echo "draft" > "notes (old).txt"
echo "int main() {}" > build/main.o
echo "résumé" > "résumé.pdf"
printf '%s\r\n' "notes (old).txt" build "$demo/project/résumé.pdf" > "$demo/list.txt"

echo "\$ cat list.txt"
cat "$demo/list.txt"
echo "\$ dustpan trash list.txt"
"$dustpan" trash "$demo/list.txt"
echo "(exit status $?)"
echo "\$ ls project"
ls -A "$demo/project"
echo "\$ ls trash/files  (in $XDG_DATA_HOME/Trash)"
ls -A "$XDG_DATA_HOME/Trash/files"
for record in "$XDG_DATA_HOME"/Trash/info/*.trashinfo; do
  echo "\$ cat trash/info/${record##*/}"
  cat "$record"
done
if command -v trash-list >/dev/null; then
  echo "\$ trash-list"
  trash-list
fi
echo "\$ dustpan empty"
"$dustpan" empty
echo "\$ dustpan empty"
"$dustpan" empty
rm -rf "$demo"
