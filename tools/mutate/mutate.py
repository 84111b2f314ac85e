#!/usr/bin/env python3
"""Applies each mutant of a list alone to a scratch copy of the checkout, builds it
incrementally, runs the test programs that cover the changed file and says whether any
of them caught it.

Usage: mutate.py <checkout> <list>

The list holds one mutant per line, "<path> | <text to find> | <replacement>", the text
matched literally at its first occurrence in the file; "#" starts a comment line; blank
lines are skipped. When a line has more than three fields (the text itself holds " | "),
the first split whose text is found in the file is taken.

The scratch copy lives in <checkout>/build/mutate/tree with its own build folders, kept
between runs so that each mutant rebuilds one object and relinks. The Windows tests run
under Wine in that copy's prefix with one persistent wineserver, on the current display.
"""

import os
import re
import subprocess
import sys
import time

TEST_TIMEOUT_S = 300  # a test program running longer counts as having caught the mutant
# The scratch copy's Windows programs are linked without their debug information: the
# objects are the ones a normal build makes (the compiler cache serves them), the links,
# repeated for every mutant, take a fraction of the time.
WINDOWS_LINK_FLAGS = "-static -static-libgcc -static-libstdc++ -Wl,--strip-debug"


class ListError(Exception):
    pass


def read_list(path):
    mutants = []
    with open(path, encoding="utf-8") as stream:
        for number, raw in enumerate(stream, 1):
            line = raw.rstrip("\r\n")
            if not line.strip() or line.lstrip().startswith("#"):
                continue
            # An empty replacement leaves the line ending in " |" once trailing blanks go.
            stripped = line.rstrip()
            if stripped.endswith(" |"):
                line = stripped + " "
            fields = line.split(" | ")
            if len(fields) < 3 or not fields[0].strip() or not fields[1]:
                raise ListError(f"{path}:{number}: expected '<path> | <text to find> | <replacement>'")
            mutants.append((number, fields[0].strip(), fields[1:]))
    return mutants


def choose_split(fields, text):
    """The find and replacement of a mutant's fields; with more than two, the first
    split whose find text occurs in the file."""
    candidates = [(" | ".join(fields[:i]), " | ".join(fields[i:]).rstrip()) for i in range(1, len(fields))]
    for find, replacement in candidates:
        if find in text:
            return find, replacement, True
    return candidates[0][0], candidates[0][1], False


# ---------------------------------------------------------------- the scratch copy

def listed_files(root):
    out = subprocess.run(["git", "-C", root, "ls-files", "-z", "--cached", "--others", "--exclude-standard"],
                         check=True, capture_output=True).stdout
    return sorted({name for name in out.decode("utf-8", "surrogateescape").split("\0")
                   if name and os.path.isfile(os.path.join(root, name))})


def write_file(path, data):
    """Writes data and gives the file a fresh modification time, so a build sees it."""
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as stream:
        stream.write(data)


def sync_tree(root, tree):
    """Makes the tree hold the checkout's files (tracked and new ones not ignored). Only
    files whose content differs are written: the build's objects of the others stay."""
    files = listed_files(root)
    wanted = set(files)
    written = 0
    for name in files:
        source = os.path.join(root, name)
        target = os.path.join(tree, name)
        with open(source, "rb") as stream:
            data = stream.read()
        current = None
        if os.path.isfile(target) and not os.path.islink(target):
            with open(target, "rb") as stream:
                current = stream.read()
        if current != data:
            write_file(target, data)
            written += 1
        mode = os.stat(source).st_mode & 0o777
        if os.stat(target).st_mode & 0o777 != mode:
            os.chmod(target, mode)
    removed = 0
    for folder, dirs, names in os.walk(tree):
        relative = os.path.relpath(folder, tree)
        if relative == ".":
            dirs[:] = [d for d in dirs if d not in ("build", ".git")]
        for name in names:
            path = os.path.normpath(os.path.join(relative, name))
            if path not in wanted:
                os.remove(os.path.join(folder, name))
                removed += 1
    return written, removed


# ---------------------------------------------------------------- which tests cover a file

def core_sources(tree):
    """The portable core's sources, as src/CMakeLists.txt lists them."""
    with open(os.path.join(tree, "src", "CMakeLists.txt"), encoding="utf-8") as stream:
        text = stream.read()
    sources = set()
    for match in re.finditer(r"(?:set|list\s*\(\s*APPEND)\s*\(?\s*DOZELITE_CORE_SOURCES\b([^)]*)\)", text):
        sources.update("src/" + token for token in match.group(1).split() if token.endswith(".cpp"))
    return sources


def test_folders(tree):
    """Folders of tests/ that make a Windows test program (<folder>_tests, test <folder>)."""
    folders = []
    base = os.path.join(tree, "tests")
    for name in sorted(os.listdir(base)):
        folder = os.path.join(base, name)
        if name != "support" and os.path.isdir(folder) and any(f.endswith("_test.cpp") for f in os.listdir(folder)):
            folders.append(name)
    return folders


INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.MULTILINE)


def includes_of(path):
    try:
        with open(path, encoding="utf-8", errors="replace") as stream:
            return INCLUDE.findall(stream.read())
    except OSError:
        return []


def own_headers(tree, path):
    """The headers of the file's own folder that declare what it defines: its namesake and
    the folder's headers it includes (as "folder/x.h" or "x.h")."""
    folder, name = os.path.split(path)  # src/<folder>, <stem>.<ext>
    sub = os.path.basename(folder)
    stem = os.path.splitext(name)[0]
    headers = set()
    if os.path.isfile(os.path.join(tree, folder, stem + ".h")):
        headers.add(f"{sub}/{stem}.h")
    for include in includes_of(os.path.join(tree, path)):
        if "/" not in include and os.path.isfile(os.path.join(tree, folder, include)):
            include = f"{sub}/{include}"
        if include.startswith(sub + "/"):
            headers.add(include)
    return headers


def used_from(tree, folders, headers):
    """Whether any source of the given src/ folders includes one of the headers."""
    for folder in folders:
        base = os.path.join(tree, "src", folder)
        if not os.path.isdir(base):
            continue
        for name in os.listdir(base):
            for include in includes_of(os.path.join(base, name)):
                if include in headers or f"{folder}/{include}" in headers:
                    return True
    return False


def programs_for(tree, path, core, folders):
    """The test programs that cover a file, in the order they run: ("native", name) or
    ("windows", name) with name the ctest test."""
    parts = path.split("/")
    windows = []
    native = []
    top = ["tray", "app"]  # the tray and start-up: they use every subsystem below them
    if len(parts) >= 3 and parts[0] == "src":
        folder = parts[1]
        if path in core or (path.endswith(".h") and path[:-2] + ".cpp" in core):
            native.append("core_tests")
        if folder in folders:
            windows.append(folder)
            if folder == "update":
                windows.append("update_endpoint")
            headers = own_headers(tree, path)
            if folder in top:
                windows += [f for f in top[top.index(folder) + 1:] if f in folders]
            elif not headers or used_from(tree, top, headers):
                windows += [f for f in top if f in folders]
        else:  # resources and anything without its own tests: every program
            windows = folders + ["update_endpoint"]
    elif len(parts) >= 3 and parts[0] == "tests" and parts[1] in folders:
        windows.append(parts[1])
    else:
        native.append("core_tests")
        windows = folders + ["update_endpoint"]
    seen = []
    for program in [("native", n) for n in native] + [("windows", w) for w in windows]:
        if program not in seen:
            seen.append(program)
    return seen


def target_of(program):
    """The build target of a test program."""
    kind, name = program
    if kind == "native":
        return name
    return "update_endpoint_tests" if name == "update_endpoint" else f"{name}_tests"


# ---------------------------------------------------------------- build and run

class Runner:
    def __init__(self, root, tree, log):
        self.root = root
        self.tree = tree
        self.log = log
        self.build = {"windows": os.path.join(tree, "build", "windows"),
                      "native": os.path.join(tree, "build", "native")}
        self.clean = {}  # program -> its tests that fail on the unmutated tree
        self.configured = {}  # kind -> its configure step succeeded

    def note(self, text):
        self.log.write(text if text.endswith("\n") else text + "\n")
        self.log.flush()

    def configure(self, kind):
        """Configures the copy's build once a run (cheap when nothing changed)."""
        if kind in self.configured:
            return self.configured[kind]
        self.note(f"== configuring {kind}")
        command = ["cmake", "--preset", kind]
        if kind == "windows":
            command.append(f"-DCMAKE_EXE_LINKER_FLAGS={WINDOWS_LINK_FLAGS}")
        result = subprocess.run(command, cwd=self.tree, stdout=self.log, stderr=subprocess.STDOUT)
        self.configured[kind] = result.returncode == 0
        return self.configured[kind]

    def build_targets(self, kind, targets):
        if not self.configure(kind):
            return False
        command = ["nice", "cmake", "--build", self.build[kind], "-j", str(os.cpu_count() or 2)]
        for target in targets:
            command += ["--target", target]
        started = time.monotonic()
        result = subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
        output = result.stdout.decode("utf-8", "replace")
        self.note(f"== built {' '.join(targets)} in {time.monotonic() - started:.0f} s")
        if result.returncode != 0:
            self.note(f"== build of {' '.join(targets)} failed\n" + output[-6000:])
        return result.returncode == 0

    def run(self, program):
        """Runs one test program: ("passed" | "failed" | "timeout", seconds, the names of
        the tests that failed; "*" when the program failed without naming one)."""
        kind, name = program
        started = time.monotonic()
        command = ["nice", "ctest", "--test-dir", self.build[kind], "-R", f"^{name}$", "--output-on-failure",
                   "--timeout", str(TEST_TIMEOUT_S)]
        try:
            result = subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                                    timeout=TEST_TIMEOUT_S + 60)
            output = result.stdout.decode("utf-8", "replace")
            code = result.returncode
        except subprocess.TimeoutExpired as expired:
            output = (expired.stdout or b"").decode("utf-8", "replace") + "\n***Timeout (mutate)"
            code = 1
        seconds = time.monotonic() - started
        if code == 0 and re.search(r"100% tests passed", output):
            self.note(f"== {name} passed in {seconds:.0f} s")
            return "passed", seconds, set()
        if "No tests were found" in output:
            self.note(f"== {name}: no such test\n" + output[-2000:])
            return "absent", seconds, set()
        # What failed: gtest's lines from each failure on, and the names of the failed tests.
        lines = output.splitlines()
        told = []
        failed = set()
        for i, line in enumerate(lines):
            if "Failure" in line:
                told += lines[i:i + 12]
            match = re.match(r"\[  FAILED  \] (\S+) \(", line)
            if match:
                failed.add(match.group(1))
        self.note(f"== {name} failed in {seconds:.0f} s: {' '.join(sorted(failed)) or 'no test named'}\n"
                  + "\n".join(told[:200]) + "\n" + output[-1500:])
        return ("timeout" if "***Timeout" in output else "failed"), seconds, failed or {"*"}

    def clean_failures(self, program):
        """The tests of the program that fail on the unmutated tree, asked once per program
        the first time it catches a mutant (the caller has restored the file): None when
        it runs past the limit there too."""
        if program not in self.clean:
            kind, name = program
            failures = {"*"}
            if self.build_targets(kind, [target_of(program)]):
                outcome, _, failures = self.run(program)
                if outcome == "timeout":
                    failures = None
            self.clean[program] = failures
            self.note(f"== {name} on the unmutated tree: "
                      + ("passes" if failures == set() else "runs too long" if failures is None
                         else "FAILS " + " ".join(sorted(failures))))
        return self.clean[program]


def main():
    if len(sys.argv) != 3:
        print(__doc__.strip().splitlines()[2], file=sys.stderr)
        return 2
    root = os.path.abspath(sys.argv[1])
    list_path = sys.argv[2]
    try:
        mutants = read_list(list_path)
    except (OSError, ListError) as error:
        print(f"mutate: {error}", file=sys.stderr)
        return 2
    tree = os.path.join(root, "build", "mutate", "tree")
    os.makedirs(tree, exist_ok=True)
    written, removed = sync_tree(root, tree)
    log_path = os.path.join(root, "build", "mutate", "mutate.log")
    log = open(log_path, "w", encoding="utf-8")
    print(f"mutate: {len(mutants)} mutants from {list_path}; scratch copy {os.path.relpath(tree, root)} "
          f"({written} files written, {removed} removed); details in {os.path.relpath(log_path, root)}",
          flush=True)
    runner = Runner(root, tree, log)
    core = core_sources(tree)
    folders = test_folders(tree)

    # Everything the list will need, built once before the first mutant.
    plans = [programs_for(tree, path, core, folders) for _, path, _ in mutants]
    for kind in ("native", "windows"):
        targets = sorted({target_of(p) for plan in plans for p in plan if p[0] == kind})
        if targets and not runner.build_targets(kind, targets):
            print(f"mutate: the unmutated {kind} build fails: see {log_path}", file=sys.stderr)
            return 1
    server = os.path.join(root, "tools", "wine", "test_server.sh")
    if any(p[0] == "windows" for plan in plans for p in plan):
        subprocess.run([server, "start", runner.build["windows"]], check=True)

    killed = 0
    try:
        for (number, path, fields), plan in zip(mutants, plans):
            started = time.monotonic()
            target = os.path.join(tree, path)
            original = None
            if os.path.isfile(target):
                with open(target, "rb") as stream:
                    original = stream.read()
            text = original.decode("utf-8", "surrogateescape") if original is not None else ""
            find, replacement, found = choose_split(fields, text)
            label = f"{path} {find}"
            if not found:
                print(f"MISSING {label}", flush=True)
                continue
            runner.note(f"\n=== line {number}: {path}: {find!r} -> {replacement!r}; programs "
                        + ", ".join(name for _, name in plan))
            mutated = text.replace(find, replacement, 1).encode("utf-8", "surrogateescape")
            verdict = None
            catcher = None  # the program that failed and its failed tests (None: ran too long)
            try:
                write_file(target, mutated)
                for program in plan:
                    if not runner.build_targets(program[0], [target_of(program)]):
                        verdict = "build failed"
                        break
                    outcome, _, failures = runner.run(program)
                    if outcome == "absent":
                        continue
                    if outcome == "timeout":
                        verdict = f"{program[1]} ran past {TEST_TIMEOUT_S // 60} minutes"
                        catcher = (program, None)
                        break
                    if outcome == "failed":
                        verdict = f"caught by {program[1]}"
                        catcher = (program, failures)
                        break
            finally:
                write_file(target, original)  # a fresh time: the next build compiles it again
            seconds = time.monotonic() - started
            survived = "ran " + ", ".join(name for _, name in plan)
            if catcher:
                # Caught only by a test that passes without the mutant.
                program, failures = catcher
                clean = runner.clean_failures(program)
                if clean is None or (failures is not None and "*" in clean and failures <= clean):
                    verdict = None
                    survived = f"{program[1]} fails without the mutant too"
                elif failures is not None and clean and not (failures - clean):
                    verdict = None
                    survived = f"{program[1]} fails the same tests without the mutant: {' '.join(sorted(clean))}"
                elif failures and clean:
                    verdict += f" ({' '.join(sorted(failures - clean))})"
            if verdict:
                killed += 1
                print(f"KILLED {label} ({seconds:.0f} s; {verdict})", flush=True)
            else:
                print(f"SURVIVED {label} ({seconds:.0f} s; {survived})", flush=True)
    finally:
        if any(p[0] == "windows" for plan in plans for p in plan):
            subprocess.run([server, "stop", runner.build["windows"]])
        log.close()
    print(f"{killed} killed of {len(mutants)}", flush=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
