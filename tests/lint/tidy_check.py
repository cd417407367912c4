#!/usr/bin/env python3
"""The lint gate: clang-tidy, as the project's .clang-tidy sets it, over the
game and platform sources that the build compiles (not the tests, the tools or
generated code), two at a time. A source whose preprocessed text, flags,
.clang-tidy and clang-tidy are those of an earlier clean run is not looked at
again: its findings could not differ.

Usage: tidy_check.py SOURCE_DIR BUILD_DIR [CLANG_TIDY]"""
import concurrent.futures
import hashlib
import json
import os
import shlex
import subprocess
import sys

FOLDERS = ("app", "core", "display", "sound", "play", "opening", "ranking", "platform", "resources")

def checked_sources(source_dir, build_dir):
    with open(os.path.join(build_dir, "compile_commands.json"), encoding="utf-8") as commands:
        entries = json.load(commands)
    prefixes = tuple(os.path.join(source_dir, folder) + os.sep for folder in FOLDERS)
    return [entry for entry in entries if entry["file"].startswith(prefixes)]


def preprocess_command(entry):
    """The compile command, made to write the preprocessed source to standard output."""
    args = shlex.split(entry["command"]) if "command" in entry else list(entry["arguments"])
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


def check(tidy, entry, build_dir, cache_dir, salt):
    """None when clean, else clang-tidy's findings."""
    key = cache_key(entry, salt)
    stamp = os.path.join(cache_dir, key)
    if os.path.exists(stamp):
        return None
    run = subprocess.run([tidy, "--quiet", "-p", build_dir, entry["file"]],
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
    entries = checked_sources(source_dir, build_dir)
    with concurrent.futures.ThreadPoolExecutor(max_workers=2) as pool:
        findings = [found for found in pool.map(
            lambda entry: check(tidy, entry, build_dir, cache_dir, salt), entries) if found]
    for found in findings:
        print(found)
    print(f"clang-tidy: {len(entries)} sources, {len(findings)} with findings")
    return 1 if findings else 0


if __name__ == "__main__":
    sys.exit(main())
