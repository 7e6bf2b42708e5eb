#!/usr/bin/env python3
"""Runs the recorded runs with the Windows build under Wine.

Usage: windows_check.py TARVELIN_EXE CASES_DIR [NAME...]

Each folder of CASES_DIR that holds answers.txt is one run: its input/ is
copied into an empty directory, the program starts there with answers.txt
on standard input and no console, and its exit status, console output and
every file left in the directory must equal expected/. Windows ends the lines
of text files and of the console with CR LF, so on both sides every CR LF is
read as LF before the bytes are compared; nothing else is forgiven.
Prints one line per run and a closing "N passed, N failed" line.
"""

import os
import shutil
import subprocess
import sys
import tempfile

TIMEOUT = 60  # seconds per run, Wine's start-up included


def files_under(root):
    found = {}
    for folder, _, names in os.walk(root):
        for name in names:
            path = os.path.join(folder, name)
            with open(path, "rb") as f:
                found[os.path.relpath(path, root)] = f.read()
    return found


def read(path):
    with open(path, "rb") as f:
        return f.read()


def unix_lines(data):
    return data.replace(b"\r\n", b"\n")


def first_difference(want, got):
    i = next((k for k, (a, b) in enumerate(zip(want, got)) if a != b), min(len(want), len(got)))
    return "line %d: expected %r, got %r" % (want[:i].count(b"\n") + 1, want[i:i + 40], got[i:i + 40])


def run_case(exe, case, env):
    """None when the run matches, otherwise what differs."""
    answers = read(os.path.join(case, "answers.txt"))
    expected = os.path.join(case, "expected")
    with tempfile.TemporaryDirectory(prefix="tarvelin_win_") as work:
        if os.path.isdir(os.path.join(case, "input")):
            shutil.copytree(os.path.join(case, "input"), work, dirs_exist_ok=True)
        try:
            run = subprocess.run(["wine", exe], cwd=work, input=answers, capture_output=True,
                                 env=env, start_new_session=True, timeout=TIMEOUT)
        except subprocess.TimeoutExpired:
            return "timed out after %d s" % TIMEOUT
        status = read(os.path.join(expected, "exit_status")).decode().strip()
        if str(run.returncode) != status:
            return "exit status %d, expected %s" % (run.returncode, status)
        console = read(os.path.join(expected, "stdout.txt"))
        if unix_lines(run.stdout) != unix_lines(console):
            return "console differs at " + first_difference(unix_lines(console), unix_lines(run.stdout))
        want = files_under(os.path.join(expected, "files")) if os.path.isdir(
            os.path.join(expected, "files")) else {}
        got = files_under(work)
        if sorted(got) != sorted(want):
            return "files %s, expected %s" % (sorted(got), sorted(want))
        for name in sorted(want):
            if unix_lines(got[name]) != unix_lines(want[name]):
                return "%s differs at %s" % (
                    name, first_difference(unix_lines(want[name]), unix_lines(got[name])))
    return None


def start_wine(env):
    """Starts one Wine server for all the runs and boots the prefix once.

    Wine's first process starts background services that inherit its standard
    streams; booted here with the streams closed, they never hold a run's
    pipes open, and every run then starts in a fraction of a second.
    """
    if env.get("WINEPREFIX"):
        os.makedirs(env["WINEPREFIX"], exist_ok=True)  # the server needs it to exist
    subprocess.run(["wineserver", "-p"], env=env, check=True)
    subprocess.run(["wine", "wineboot"], env=env, stdin=subprocess.DEVNULL,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=600)


def main():
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    exe = os.path.abspath(sys.argv[1])
    cases = os.path.abspath(sys.argv[2])
    names = sys.argv[3:] or sorted(
        n for n in os.listdir(cases) if os.path.isfile(os.path.join(cases, n, "answers.txt")))
    env = dict(os.environ)
    env.setdefault("WINEDEBUG", "-all")
    # No dialog boxes and no Mono or Gecko installers on a fresh Wine prefix.
    env.setdefault("WINEDLLOVERRIDES", "mscoree,mshtml=")
    failed = 0
    start_wine(env)
    try:
        for name in names:
            why = run_case(exe, os.path.join(cases, name), env)
            print("PASS %s" % name if why is None else "FAIL %s: %s" % (name, why), flush=True)
            failed += why is not None
    finally:
        subprocess.run(["wineserver", "-k"], env=env)
    print("%d passed, %d failed" % (len(names) - failed, failed))
    sys.exit(1 if failed else 0)


if __name__ == "__main__":
    main()
