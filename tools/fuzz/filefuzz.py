#!/usr/bin/env python3
"""Runs the game against damaged data files and checks how each run ends.

Every file the game reads at start (and a few sound effects) is, in a copy of
the run folder, removed, emptied, cut in half, bit-flipped, replaced by a file
of another format, replaced by a directory, or made unreadable; text files
(shaders, OBJ, ASCII FBX and material files) also have their white space and
the case of their keywords changed. Each case must end the way the game
promises for that file: the fatal message and exit code 1, or running on until
it is closed (exit 0). A signal, a hang, any other exit code or any sanitizer
report fails the case.

With --same-as EXE each case also runs EXE, a build of the game that reads
every file on its main thread, in the same damaged folder: the game must print
the same lines in the same order on each stream and end with the same code
(the start-up workers must change nothing anyone can see).

  filefuzz.py RUN_DIR [--set ci|full|kinds] [--jobs 2] [--report FILE] [--same-as EXE]
"""
import argparse
import atexit
import collections
import os
import random
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import threading
import time

MUTATIONS = ["missing", "empty", "truncated", "bitflip", "wrongformat", "directory", "unreadable"]
# Only for text files: what a reader must take as it comes, and what it must
# not take for a keyword it knows.
TEXT_MUTATIONS = ["whitespace", "case"]
# These leave nothing a loader could read, so a fatal file kind must stop.
STRICT = {"missing", "empty", "directory", "unreadable"}

IMAGE = r"ERROR: Image load failed - IL reports error: \d+ - .*"
ASSIMP = r"ERROR: ASSIMP: .*"
SHADER = r"ERROR: (shaderFile isn't good: .*|Failed to compile shader\.|Failed to link shader program: .*)"

# kind -> (fatal?, regexes a fatal stop may end with, stream of that line)
KINDS = {
    "shader": (True, [SHADER], "err"),
    "model": (True, [ASSIMP, IMAGE], "out"),
    "material": (False, [ASSIMP, IMAGE], "out"),
    "texture": (True, [IMAGE], "out"),
    "heightmap": (True, [IMAGE, r"ERROR: Heightmap too small.*"], "out"),
    "ground": (True, [IMAGE], "out"),
    "font": (False, [], "out"),
    "music": (True, [r"ERROR: Could not play music file: .*"], "err"),
    "effect": (False, [], "err"),
}

# A damaged material: Assimp goes on without a file it cannot read or
# understand, and stops on a folder. A flipped bit or a change of case may or
# may not hit a keyword, and neither may the bytes of another format (a
# generated JPEG, which changes with its encoder: a line of it that starts
# with "a" is a statement before the first material), so either outcome
# passes there (a stop with its line).
MATERIAL_OUTCOMES = {"missing": "RUNS", "empty": "RUNS", "truncated": "RUNS", "unreadable": "RUNS",
                     "whitespace": "RUNS", "directory": "FATAL"}

SANITIZER = re.compile(r"(ERROR: (Address|Leak)Sanitizer|WARNING: ThreadSanitizer|runtime error:|UndefinedBehaviorSanitizer)")

# Models the cache loads at start; the lamp, shoes and ground model are never
# loaded.
MODELS = [
    "MainCharacter/mainCharacter.fbx", "MainCharacter/LeftArm/LeftHand.fbx",
    "MainCharacter/RightArm/RightHand.fbx", "MainCharacter/RightArm/Weapon/nailbat.fbx",
    "MainCharacter/Hat/hat.obj", "SkyBox/Sky.fbx", "Ingridients/Bacon/Bacon.obj",
    "Ingridients/Corn/Corn.obj", "Ingridients/Egg/Egg.obj", "Ingridients/Garlic/garlic.obj",
    "Ingridients/Jalapeno/jalapeno.obj", "Ingridients/Pepper/pepper.obj",
    "Ingridients/Shrimp/Shrimp.obj", "Ingridients/Tomato/tomato.fbx", "Light/Moon/moon.obj",
    "Enemies/Gangster/gangster.obj",
]
EFFECTS = ["moneySound.mp3", "hit2.mp3"]


def data_files(run_dir):
    """(kind, relative path) of every file under test, in a fixed order."""
    files = []
    for name in sorted(os.listdir(os.path.join(run_dir, "Shader"))):
        files.append(("shader", "Shader/" + name))
    for model in MODELS:
        path = "GameObjects/" + model
        files.append(("model", path))
        base = os.path.splitext(path)[0]
        folder = os.path.dirname(path)
        if path.endswith(".obj"):
            files.append(("material", base + ".mtl"))
        for name in sorted(os.listdir(os.path.join(run_dir, folder))):
            if name.endswith(".jpg"):
                files.append(("texture", folder + "/" + name))
    files.append(("heightmap", "GameObjects/Terrain/Terrain.jpg"))
    files.append(("ground", "GameObjects/Terrain/ground.jpg"))
    files.append(("font", "Fonts/Hack-Regular.ttf"))
    files.append(("music", "Sounds/backgroundMusic.mp3"))
    files.append(("music", "Sounds/disco.mp3"))
    for effect in EFFECTS:
        files.append(("effect", "Sounds/" + effect))
    # A model folder holds one texture; duplicates would only repeat cases.
    seen, unique = set(), []
    for kind, path in files:
        if path not in seen and os.path.exists(os.path.join(run_dir, path)):
            seen.add(path)
            unique.append((kind, path))
    return unique


def is_text(run_dir, path):
    with open(os.path.join(run_dir, path), "rb") as f:
        data = f.read()
    try:
        data.decode("utf-8")
    except UnicodeDecodeError:
        return False
    return b"\0" not in data


def mutations_of(run_dir, path):
    return MUTATIONS + (TEXT_MUTATIONS if is_text(run_dir, path) else [])


def all_cases(run_dir, which):
    files = data_files(run_dir)
    cases = [(k, p, m) for k, p in files for m in mutations_of(run_dir, p)]
    if which == "full":
        return cases
    if which == "kinds":
        # One case a kind, the n-th kind's n-th case, so the mutations come in
        # turn: the start-up paths in few runs, for slow builds (ThreadSanitizer).
        by_kind = collections.OrderedDict()
        for case in cases:
            by_kind.setdefault(case[0], []).append(case)
        return [runs[i % len(runs)] for i, runs in enumerate(by_kind.values())]
    # Every kind meets each of its mutations once, on files that rotate
    # through the kind.
    by_kind = collections.OrderedDict()
    for kind, path, mutation in cases:
        by_kind.setdefault(kind, collections.OrderedDict()).setdefault(mutation, []).append(path)
    return [(k, paths[i % len(paths)], m) for k, mutations in by_kind.items()
            for i, (m, paths) in enumerate(mutations.items())]


def other_format(run_dir, path):
    """Bytes of a real file of another kind, to put under `path`'s name."""
    donor = "Sounds/hit1.mp3" if path.endswith(".jpg") else "GameObjects/Terrain/Terrain.jpg"
    with open(os.path.join(run_dir, donor), "rb") as f:
        return f.read()


def respace(data, rng):
    """Each run of blanks becomes one to three spaces or tabs, some lines
    start with blanks, and the line ends may turn CRLF."""
    lines = []
    for line in data.split(b"\n"):
        line = re.sub(rb"[ \t]+", lambda _: rng.choice([b" ", b"\t", b"  ", b" \t", b"\t\t "]), line)
        if rng.random() < 0.3:
            line = rng.choice([b" ", b"\t", b"  \t"]) + line
        lines.append(line)
    return (b"\r\n" if rng.random() < 0.5 else b"\n").join(lines)


def recase(data, rng):
    """Each line's first word upper case, capitalised, swapped or left."""
    lines = []
    for line in data.split(b"\n"):
        word = re.match(rb"([ \t#]*)([A-Za-z_]\w*)", line)
        if word:
            new = rng.choice([word.group(2).upper(), word.group(2).capitalize(),
                              word.group(2).swapcase(), word.group(2)])
            line = word.group(1) + new + line[word.end():]
        lines.append(line)
    return b"\n".join(lines)


def mutate(run_dir, folder, path, mutation, seed):
    target = os.path.join(folder, path)
    with open(target, "rb") as f:
        data = f.read()
    os.unlink(target)  # a hard link: never write through to the original
    if mutation == "missing":
        return
    if mutation == "directory":
        os.mkdir(target)
        return
    if mutation == "empty":
        data = b""
    elif mutation == "truncated":
        data = data[: len(data) // 2]
    elif mutation == "bitflip":
        rng = random.Random(seed)
        data = bytearray(data)
        for _ in range(8):
            i = rng.randrange(len(data))
            data[i] ^= 1 << rng.randrange(8)
        data = bytes(data)
    elif mutation == "wrongformat":
        data = other_format(run_dir, path)
    elif mutation == "whitespace":
        data = respace(data, random.Random(seed))
    elif mutation == "case":
        data = recase(data, random.Random(seed))
    with open(target, "wb") as f:
        f.write(data)
    if mutation == "unreadable":
        os.chmod(target, 0)


class Display:
    """An Xvfb server of one worker, so each case's window is the only one."""

    def __init__(self, number):
        while os.path.exists(f"/tmp/.X{number}-lock") or os.path.exists(f"/tmp/.X11-unix/X{number}"):
            number += 1
        self.number = number
        self.name = f":{number}"
        self.proc = subprocess.Popen(["Xvfb", self.name, "-screen", "0", "1600x1000x24", "-nolisten", "tcp", "-noreset"],
                                     stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        for _ in range(100):
            if self.proc.poll() is not None:
                raise RuntimeError(f"Xvfb {self.name} did not start")
            if os.path.exists(f"/tmp/.X11-unix/X{number}"):
                return
            time.sleep(0.1)
        raise RuntimeError("Xvfb did not start")

    def close(self):
        self.proc.terminate()
        self.proc.wait()


def press_escape(display):
    """Escape to the game's window, once it exists; False while there is none."""
    env = dict(os.environ, DISPLAY=display)
    found = subprocess.run(["xdotool", "search", "--name", "^Pizzeria$"], env=env,
                           capture_output=True, text=True)
    ids = found.stdout.split()
    if not ids:
        return False
    subprocess.run(["xdotool", "key", "--window", ids[0], "Escape"], env=env, capture_output=True)
    return True


def run_in_parallel(items, jobs, first_display, work):
    """Calls work(item, display name, print lock) for every item, from `jobs`
    threads, each with an Xvfb display of its own."""
    queue, lock = list(items), threading.Lock()
    displays = [Display(first_display + i) for i in range(max(1, jobs))]

    def worker(display):
        try:
            while True:
                with lock:
                    if not queue:
                        return
                    item = queue.pop(0)
                work(item, display.name, lock)
        finally:
            display.close()

    threads = [threading.Thread(target=worker, args=(d,)) for d in displays]
    for t in threads:
        t.start()
    for t in threads:
        t.join()


_shader_cache = []


def shader_cache():
    """One Mesa shader cache for every run of this harness: compiling the
    untouched shaders again in each case was a third of its time. Made on
    first use; every run (the games run as nobody) may write it."""
    if not _shader_cache:
        folder = tempfile.mkdtemp(prefix="pizzeria-fuzz-shaders-")
        os.chmod(folder, 0o1777)
        atexit.register(shutil.rmtree, folder, True)
        _shader_cache.append(folder)
    return _shader_cache[0]


def suppression_files():
    """The sanitizers' suppression files, as copies the games can read."""
    here = os.path.dirname(os.path.abspath(__file__))
    return {name: shared_copy(os.path.join(here, f"{name}.supp")) for name in ("lsan", "tsan")}


def game_env(display, suppressions, **extra):
    """The game's environment: its own display, silent audio, sanitizer options
    (`suppressions` from suppression_files(); a ThreadSanitizer report ends
    the game with code 66)."""
    return dict(os.environ, DISPLAY=display, SDL_AUDIODRIVER="dummy", MESA_SHADER_CACHE_DIR=shader_cache(),
                ASAN_OPTIONS="detect_leaks=1:verify_asan_link_order=0",
                UBSAN_OPTIONS="print_stacktrace=1", LD_PRELOAD=os.environ.get("PIZZERIA_PRELOAD", ""),
                LSAN_OPTIONS=f"suppressions={suppressions['lsan']}:print_suppressions=0",
                TSAN_OPTIONS=f"suppressions={suppressions['tsan']}:exitcode=66:second_deadlock_stack=1",
                **extra)


def play_until_end(argv, cwd, env, display, limit, stdout, stderr):
    """Runs the game, presses Escape once its window shows, and waits for the
    end; (exit code, hung). A game still running after `limit` is killed.
    Escape comes again every second: a window that shows before it takes
    events (it is not mapped yet) loses the key."""
    proc = subprocess.Popen(argv, cwd=cwd, env=env, stdin=subprocess.DEVNULL,
                            stdout=stdout, stderr=stderr, start_new_session=True)
    start, pressed = time.time(), None
    while proc.poll() is None:
        now = time.time()
        if now - start > limit:
            os.killpg(proc.pid, signal.SIGKILL)
            proc.wait()
            return proc.returncode, True
        if (pressed is None or now - pressed >= 1.0) and press_escape(display):
            pressed = now
        time.sleep(0.2)
    return proc.returncode, False


# Lines the harness's own input and focus changes cause, not the loading.
RUNTIME_LINES = {"game paused", "game resumed"}


def seen_lines(text):
    return [line for line in text.splitlines() if line not in RUNTIME_LINES]


def run_game(argv, folder, work, env, display, limit, name):
    """(exit code, hung, stdout, stderr) of one run in `folder`."""
    out_path, err_path = os.path.join(work, name + ".out"), os.path.join(work, name + ".err")
    with open(out_path, "wb") as out, open(err_path, "wb") as err:
        code, hung = play_until_end(argv, folder, env, display, limit, out, err)
    with open(out_path, errors="replace") as f:
        out = f.read()
    with open(err_path, errors="replace") as f:
        err = f.read()
    return code, hung, out, err


def run_case(run_dir, case, display, limit, suppressions, reference=None):
    kind, path, mutation = case
    work = tempfile.mkdtemp(prefix="pizzeria-fuzz-")
    try:
        folder = os.path.join(work, "run")
        subprocess.run(["cp", "-al", run_dir, folder], check=True)
        os.chmod(work, 0o755)
        mutate(run_dir, folder, path, mutation, f"{path}/{mutation}")
        env = game_env(display, suppressions, HOME=work)
        # root reads files of mode 000; the game runs as nobody instead.
        prefix = ["setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"] \
            if os.geteuid() == 0 else []
        start = time.time()
        code, hung, out, err = run_game(prefix + ["./pizzeria"], folder, work, env, display,
                                        limit, "game")
        verdict = judge(case, code, hung, out, err)
        if reference and verdict[1] is None:
            ref = run_game(prefix + [reference], folder, work, env, display, limit, "reference")
            if ref[0] < 0 <= code:
                # The one-thread build has crashed, rarely, where the game did
                # not; it is only the yardstick here, so it gets one more try
                # and the crash is reported.
                print(f"note: the one-thread start-up ended by signal {-ref[0]} on {path}/{mutation}; "
                      "running it again", flush=True)
                ref = run_game(prefix + [reference], folder, work, env, display, limit, "reference")
            if (ref[0], ref[1]) != (code, hung):
                verdict = (verdict[0], f"exit {code}, the one-thread start-up's {ref[0]}")
            elif seen_lines(ref[2]) != seen_lines(out) or seen_lines(ref[3]) != seen_lines(err):
                verdict = (verdict[0], "lines differ from the one-thread start-up's:\n"
                           f"     its stdout {ref[2][-600:]!r}\n     its stderr {ref[3][-1500:]!r}")
        return verdict, time.time() - start, out, err
    finally:
        shutil.rmtree(work, ignore_errors=True)


def last_error(text):
    """The last line that starts with ERROR (a compile log may follow it)."""
    lines = [line for line in text.splitlines() if line.startswith("ERROR")]
    return lines[-1] if lines else ""


def judge(case, code, hung, out, err):
    """(outcome, failure reason or None)."""
    kind, path, mutation = case
    fatal_kind, patterns, stream = KINDS[kind]
    if hung:
        return "HANG", "did not end after Escape"
    if code < 0:
        return f"SIGNAL {-code}", "ended by a signal"
    if SANITIZER.search(err):
        return "SANITIZER", "sanitizer report"
    expected = MATERIAL_OUTCOMES.get(mutation) if kind == "material" else None
    if code == 0:
        if (fatal_kind and mutation in STRICT) or expected == "FATAL":
            return "RUNS", "went on where the file is needed"
        return "RUNS", None
    if code != 1:
        return f"EXIT {code}", "unexpected exit code"
    if (not fatal_kind and kind != "material") or expected == "RUNS":
        return "FATAL", "stopped where the game goes on"
    line = last_error(out if stream == "out" else err)
    for pattern in patterns:
        if pattern is None:
            if "ERROR" not in err:
                return "FATAL", None
        elif re.fullmatch(pattern, line):
            # Texture load failures name the file; a model's, the heightmap's
            # and a compile failure's do not.
            if mutation in ("missing", "unreadable") and kind in ("texture", "ground", "shader", "music") \
                    and not line.endswith(": " + path):
                return "FATAL", "message does not name the file"
            return "FATAL", None
    return "FATAL", f"unexpected last line: {line!r}"


def shared_copy(path):
    """A copy of `path` that nobody (the user the games run as when the
    harness is root) can read and run: a clone under /root is closed to it.
    Made before any thread starts: a child forked while another thread still
    held a copy open for writing would keep it busy, and its exec fails."""
    folder = tempfile.mkdtemp(prefix="pizzeria-shared-")
    os.chmod(folder, 0o755)
    copy = os.path.join(folder, os.path.basename(path))
    shutil.copy2(os.path.abspath(path), copy)
    atexit.register(shutil.rmtree, folder, True)
    return copy


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("run_dir")
    parser.add_argument("--set", choices=["ci", "full", "kinds"], default="ci")
    parser.add_argument("--jobs", type=int, default=2)
    parser.add_argument("--limit", type=float, default=90.0, help="seconds before a case counts as hung")
    parser.add_argument("--report", help="write the per-case table here")
    parser.add_argument("--only", help="run only cases whose path contains this text")
    parser.add_argument("--same-as", help="a build of the game to match line for line")
    args = parser.parse_args()

    run_dir = os.path.abspath(args.run_dir)
    reference = shared_copy(args.same_as) if args.same_as else None
    suppressions = suppression_files()
    cases = all_cases(run_dir, args.set)
    if args.only:
        cases = [c for c in cases if args.only in c[1]]
    if not cases:
        print("filefuzz: no case matches", file=sys.stderr)
        return 2
    print(f"filefuzz: {len(cases)} cases ({args.set}), {args.jobs} jobs", flush=True)

    results = [None] * len(cases)

    def work(index, display, lock):
        (outcome, reason), seconds, out, err = run_case(run_dir, cases[index], display,
                                                         args.limit, suppressions, reference)
        kind, path, mutation = cases[index]
        results[index] = (outcome, reason, seconds, last_error(out if KINDS[kind][2] == "out" else err))
        with lock:
            status = "FAIL" if reason else "ok"
            print(f"{status:4} {outcome:9} {seconds:5.1f}s {kind:9} {mutation:11} {path}", flush=True)
            if reason:
                print(f"     {reason}\n     stdout tail: {out[-600:]!r}\n     stderr tail: {err[-3000:]!r}",
                      flush=True)

    run_in_parallel(range(len(cases)), args.jobs, 140, work)

    table = collections.OrderedDict()
    failures = 0
    for (kind, path, mutation), (outcome, reason, seconds, _) in zip(cases, results):
        row = table.setdefault((kind, mutation), collections.Counter())
        row["FAIL" if reason else outcome] += 1
        failures += bool(reason)
    lines = [f"{'kind':10} {'mutation':12} outcomes"]
    for (kind, mutation), counts in table.items():
        lines.append(f"{kind:10} {mutation:12} " + ", ".join(f"{k} {v}" for k, v in sorted(counts.items())))
    per_kind = collections.Counter(k for k, _, _ in cases)
    lines.append("cases per kind: " + ", ".join(f"{k} {v}" for k, v in per_kind.items()))
    lines.append(f"total {len(cases)}, failed {failures}")
    print("\n".join(lines))
    if args.report:
        with open(args.report, "w") as f:
            for (kind, path, mutation), (outcome, reason, seconds, line) in zip(cases, results):
                f.write(f"{kind}\t{mutation}\t{path}\t{outcome}\t{seconds:.1f}\t{line}\t{reason or ''}\n")
            f.write("\n".join(lines) + "\n")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
