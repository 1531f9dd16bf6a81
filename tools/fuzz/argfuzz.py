#!/usr/bin/env python3
"""Starts the game with hostile command lines and checks how each run ends.

Arguments are drawn at random (seeded) from numbers in and out of range, huge
and negative numbers, numbers with trailing text, empty strings, non-ASCII
and invalid UTF-8 bytes, plus a fixed table of edge cases. A run must end
with exit code 0 (it started and was closed with Escape) or 1 with one of the
command-line messages or the window failure; never a signal, a hang or a
sanitizer report.

  argfuzz.py RUN_DIR [--count 30] [--seed S] [--jobs 2]
"""
import argparse
import os
import random
import re
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from filefuzz import SANITIZER, game_env, play_until_end, run_in_parallel, suppression_files  # noqa: E402

MESSAGES = {
    "ERROR: Could not parse first command-line-argument as integer.",
    "ERROR: Could not parse second command-line-argument as integer.",
    "ERROR: Could not parse third command-line-argument as boolean.",
    "ERROR: Could not parse fourth command-line-argument as integer.",
    "ERROR: Could not open window.",
}

# A size outside what can be drawn, the game's limit or the driver's.
WINDOW_SIZE = re.compile(r"ERROR: The window must be 1 to \d+ pixels a side, not -?\d+ x -?\d+\.")

FIXED = [
    [], [b"-5", b"-5"], [b"0", b"0"], [b"16385", b"2"], [b"2", b"16385"], [b"1", b"1"],
    [b"2147483647", b"2147483647"], [b"-2147483648", b"600"], [b"2147483648", b"600"],
    [b"100000", b"100000"], [b"32767", b"32767"], [b"640", b"480", b"1", b"-1"],
    [b"640", b"480", b"1", b"2147483647"], [b"640", b"480", b"0", b"0"], [b"", b""],
    [b"\xff\xfe", b"480"], [b"640", "\u0664\u0668\u0660".encode()],
]


def draw_argument(rng):
    kind = rng.randrange(12)
    if kind == 0:
        return str(rng.randint(1, 1400)).encode()
    if kind == 1:
        return str(-rng.randint(0, 2**31)).encode()
    if kind == 2:
        return str(rng.randint(16385, 2**31 - 1)).encode()
    if kind == 3:
        return str(rng.randint(2**31, 10**30)).encode()
    if kind == 4:
        return (str(rng.randint(1, 1400)) + rng.choice(["px", "abc", ".5", "e3", " x", "\t"])).encode()
    if kind == 5:
        return b""
    if kind == 6:
        return rng.choice(["\u00fc", "\uff11\uff12", "\u0968\u0966\u0966", "\U0001F355", "640\u00e9"]).encode()
    if kind == 7:
        return bytes(rng.randrange(1, 256) for _ in range(rng.randint(1, 8)))
    if kind == 8:
        return rng.choice([b"0", b"1", b"2", b"-1", b"true", b"false", b" 1", b"01"])
    if kind == 9:
        return rng.choice([b"0x100", b"1e3", b"+640", b" 480", b"--1", b"nan", b"inf"])
    if kind == 10:
        return b"9" * rng.randint(10, 400)
    return str(rng.randint(1, 1400)).encode()


def judge(code, hung, err):
    if hung:
        return "did not end after Escape"
    if code < 0:
        return f"ended by signal {-code}"
    if SANITIZER.search(err):
        return "sanitizer report"
    if code == 0:
        return None
    if code != 1:
        return f"exit code {code}"
    errors = [line for line in err.splitlines() if line.startswith("ERROR")]
    if not errors or not (errors[-1] in MESSAGES or WINDOW_SIZE.fullmatch(errors[-1])):
        return f"unexpected message {errors[-1:]!r}"
    return None


def run(run_dir, arguments, display, limit, suppressions):
    with tempfile.TemporaryFile() as err_file:
        code, hung = play_until_end([os.path.join(run_dir, "pizzeria")] + arguments, run_dir,
                                    game_env(display, suppressions), display, limit,
                                    subprocess.DEVNULL, err_file)
        err_file.seek(0)
        err = err_file.read().decode(errors="replace")
    return code, judge(code, hung, err), err


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("run_dir")
    parser.add_argument("--count", type=int, default=40, help="random command lines besides the fixed ones")
    # A new draw each run by default; the seed printed below repeats one.
    parser.add_argument("--seed", type=int, default=random.SystemRandom().randrange(1 << 31))
    parser.add_argument("--jobs", type=int, default=2)
    parser.add_argument("--limit", type=float, default=90.0)
    args = parser.parse_args()
    run_dir = os.path.abspath(args.run_dir)
    suppressions = suppression_files()

    rng = random.Random(args.seed)
    lines = list(FIXED) + [[draw_argument(rng) for _ in range(rng.randint(1, 6))] for _ in range(args.count)]
    print(f"argfuzz: {len(lines)} command lines, seed {args.seed}", flush=True)
    failures, codes = [], {}

    def work(arguments, display, lock):
        code, reason, err = run(run_dir, arguments, display, args.limit, suppressions)
        with lock:
            codes[code] = codes.get(code, 0) + 1
            print(f"{'FAIL' if reason else 'ok':4} exit {code:4} {arguments!r}", flush=True)
            if reason:
                failures.append(arguments)
                print(f"     {reason}\n     stderr tail: {err[-2000:]!r}", flush=True)

    run_in_parallel(lines, args.jobs, 160, work)
    print("exit codes: " + ", ".join(f"{k}: {v}" for k, v in sorted(codes.items())) + f"; failed {len(failures)}")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
