"""Calling dustpan from Python: write the list, run dustpan, read its one status line.

    result = dustpan.trash(["/home/me/old.log", "/home/me/build"])
    if not result.ok: ...
"""
import os
import re
import subprocess
import tempfile
from dataclasses import dataclass
from typing import Iterable, Optional

DUSTPAN = os.environ.get("DUSTPAN", "dustpan")


@dataclass
class Result:
    ok: bool                # the line began with "ok"
    code: Optional[int]     # the number on the line; None for "error read" and "error usage"
    aborted: bool           # some items were left in place (Linux) or the user cancelled (Windows)
    error: Optional[str]    # "read" or "usage" for those two lines, else None
    exit_status: int


_LINE = re.compile(r"^(ok|error) (-?\d+)( aborted)?$")


def parse(line: str, exit_status: int) -> Result:
    text = line.rstrip("\r\n")
    if text in ("error read", "error usage"):
        return Result(False, None, False, text[6:], exit_status)
    match = _LINE.match(text)
    if not match:
        raise RuntimeError(f"unexpected answer from dustpan: {line!r}")
    return Result(match[1] == "ok", int(match[2]), match[3] is not None, None, exit_status)


def run(args: Iterable[str], program: str = DUSTPAN) -> Result:
    done = subprocess.run([program, *args], capture_output=True, check=False)
    return parse(done.stdout.decode("ascii"), done.returncode)


def trash(paths: Iterable[str], owner_window: Optional[int] = None,
          program: str = DUSTPAN) -> Result:
    """Moves every path to the trash in one operation."""
    lines = []
    for path in map(os.fspath, paths):
        if not path or "\n" in path or "\0" in path:
            raise ValueError(f"a list file cannot carry this path: {path!r}")
        # CR LF line ends: dustpan drops one CR before each line end, so a path that itself
        # ends in CR keeps it. A name that is not valid UTF-8 raises UnicodeEncodeError.
        lines.append(path.encode("utf-8") + b"\r\n")
    # mkstemp makes the file readable by this user only.
    fd, list_path = tempfile.mkstemp(prefix="dustpan-", suffix=".txt")
    try:
        with os.fdopen(fd, "wb") as list_file:
            list_file.writelines(lines)
        args = ["trash", list_path]
        if owner_window is not None:
            args.append(str(owner_window))
        return run(args, program)
    finally:
        os.unlink(list_path)


def empty(program: str = DUSTPAN) -> Result:
    """Empties the trash. Its exit status is always 0: look at result.ok."""
    return run(["empty"], program)
