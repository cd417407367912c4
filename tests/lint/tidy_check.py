#!/usr/bin/env python3
"""The lint gate: clang-tidy, as the project's .clang-tidy sets it, over the
game and platform sources that the build compiles, and the host the tests run
the whole game on, which stands in for the platform (not the rest of the
tests, the tools or generated code), two at a time. A source whose preprocessed text, flags,
.clang-tidy and clang-tidy are those of an earlier clean run is not looked at
again: its findings could not differ.

A build that compiles several files as one (a unity build) lists only the
combined files among its compile commands. Each file they include is looked at
on its own, with its combined file's command, from a database of such
commands written into the build folder: so each also shows that it compiles
with only what it includes itself.

Usage: tidy_check.py SOURCE_DIR BUILD_DIR [CLANG_TIDY]"""
import concurrent.futures
import hashlib
import json
import os
import re
import shlex
import subprocess
import sys

FOLDERS = ("app", "core", "display", "sound", "play", "opening", "ranking", "world", "platform",
           "formats", "resources", "verify", "server", "tests/support/headless")

UNITY_FILE = re.compile(r"[/\\]Unity[/\\]unity_\d+_cxx\.cxx$")
UNITY_INCLUDE = re.compile(r'^#include "(.+)"$', re.MULTILINE)
# What a unity build adds to every command (GCC's alone, unknown to clang-tidy),
# which a file compiled alone needs not.
UNITY_ONLY_FLAGS = ("-Wno-subobject-linkage",)


def entry_arguments(entry):
    return shlex.split(entry["command"]) if "command" in entry else list(entry["arguments"])


def file_by_file(entries):
    """The entries, with each unity file's replaced by one for each file it includes."""
    for entry in entries:
        args = [arg for arg in entry_arguments(entry) if arg not in UNITY_ONLY_FLAGS]
        if not UNITY_FILE.search(entry["file"]):
            yield {"directory": entry["directory"], "file": entry["file"], "arguments": args}
            continue
        with open(entry["file"], encoding="utf-8") as unity:
            included = UNITY_INCLUDE.findall(unity.read())
        for source in included:
            yield {"directory": entry["directory"], "file": source,
                   "arguments": [source if arg == entry["file"] else arg for arg in args]}


def checked_sources(source_dir, build_dir, database_dir):
    """The entries of the game and platform sources, from the build's compile
    commands written out file by file into database_dir."""
    with open(os.path.join(build_dir, "compile_commands.json"), encoding="utf-8") as commands:
        entries = list(file_by_file(json.load(commands)))
    os.makedirs(database_dir, exist_ok=True)
    with open(os.path.join(database_dir, "compile_commands.json"), "w", encoding="utf-8") as out:
        json.dump(entries, out)
    prefixes = tuple(os.path.join(source_dir, folder) + os.sep for folder in FOLDERS)
    return [entry for entry in entries if entry["file"].startswith(prefixes)]


def preprocess_command(entry):
    """The compile command, made to write the preprocessed source to standard output."""
    args = entry_arguments(entry)
    if os.path.basename(args[0]) == "ccache":
        args = args[1:]
    kept = [args[0], "-E"]
    rest = iter(args[1:])
    for arg in rest:
        if arg in ("-o", "-MF", "-MT", "-MQ"):
            next(rest, None)
        elif arg not in ("-c", "-MD", "-MMD", entry["file"]):
            kept.append(arg)
    return kept + [entry["file"]]


def cache_key(entry, salt):
    preprocessed = subprocess.run(preprocess_command(entry), cwd=entry["directory"],
                                  capture_output=True, check=True).stdout
    digest = hashlib.sha256(salt)
    digest.update(entry["file"].encode())
    digest.update(preprocessed)
    return digest.hexdigest()


def check(tidy, entry, database_dir, cache_dir, salt):
    """None when clean, else clang-tidy's findings."""
    key = cache_key(entry, salt)
    stamp = os.path.join(cache_dir, key)
    if os.path.exists(stamp):
        return None
    run = subprocess.run([tidy, "--quiet", "-p", database_dir, entry["file"]],
                         capture_output=True, text=True, check=False)
    if run.returncode != 0:
        return run.stdout + run.stderr
    with open(stamp, "w", encoding="utf-8"):
        pass
    return None


def main():
    source_dir, build_dir = (os.path.realpath(path) for path in sys.argv[1:3])
    tidy = sys.argv[3] if len(sys.argv) > 3 else "clang-tidy"
    cache_dir = os.path.join(build_dir, "tidy-clean")
    os.makedirs(cache_dir, exist_ok=True)
    with open(os.path.join(source_dir, ".clang-tidy"), "rb") as config:
        salt = config.read()
    salt += subprocess.run([tidy, "--version"], capture_output=True, check=True).stdout
    database_dir = os.path.join(build_dir, "tidy-commands")
    entries = checked_sources(source_dir, build_dir, database_dir)
    with concurrent.futures.ThreadPoolExecutor(max_workers=2) as pool:
        findings = [found for found in pool.map(
            lambda entry: check(tidy, entry, database_dir, cache_dir, salt), entries) if found]
    for found in findings:
        print(found)
    print(f"clang-tidy: {len(entries)} sources, {len(findings)} with findings")
    return 1 if findings else 0


if __name__ == "__main__":
    sys.exit(main())
