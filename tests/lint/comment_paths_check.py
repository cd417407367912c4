#!/usr/bin/env python3
"""Every path a comment names is where the comment says it is.

A comment that sends the reader to platform/win32/video.h is only as good as
the file being there: files move, and the comment that names the old place
goes on reading as if they had not. This check reads the comments of the
tracked C++, JavaScript, CMake, shell and Python files and docs/layers.txt,
takes every word shaped like a path that starts at a folder of the tree
(platform/..., tests/...), or at a folder name found deeper in it (win32/...),
and fails when no tracked file or folder is there. A path may also name a
program built from a source of that name (tools/gen_font_table). Words in
capitals stand for any name (corpus/NAME) and are not checked.

Usage: comment_paths_check.py SOURCE_DIR
"""
import os
import re
import subprocess
import sys

C_LIKE = ('.cpp', '.h', '.c', '.js', '.mjs')
HASH_LIKE = ('.sh', '.py', '.cmake', 'CMakeLists.txt', 'docs/layers.txt')
PATH = re.compile(r'(?<![\w./$<{@~-])([A-Za-z0-9_][\w.-]*(?:/[\w.-]+)+/?)')
PLACEHOLDER = re.compile(r'^[A-Z][A-Z0-9_]*$')


def comments(name, text):
    """(line, comment text) for each comment of a file."""
    lines = text.split('\n')
    if name.endswith(C_LIKE):
        for block in re.finditer(r'/\*.*?\*/', text, re.S):
            yield text.count('\n', 0, block.start()) + 1, block.group(0)
        for number, line in enumerate(lines, 1):
            # Not a URL's // nor one inside a string's quotes.
            found = re.search(r'(?<![:"\'\\])//(.*)', line)
            if found:
                yield number, found.group(1)
    elif name.endswith(HASH_LIKE) or (lines and re.match(r'#!.*\b(ba)?sh\b', lines[0])):
        for number, line in enumerate(lines, 1):
            found = re.search(r'(?:^|\s)#(?:\s(.*)|$)', line)
            if found and not line.lstrip().startswith('#!'):
                yield number, found.group(1) or ''


def main():
    os.chdir(sys.argv[1])
    files = subprocess.run(['git', 'ls-files', '-z'], capture_output=True, text=True,
                           check=True).stdout.split('\0')
    files = [name for name in files if name]
    there = set(files)
    for name in files:
        while '/' in name:
            name = name.rsplit('/', 1)[0]
            there.add(name)
    top = {name for name in there if '/' not in name and os.path.isdir(name)}
    deeper = {name.rsplit('/', 1)[-1] for name in there if '/' in name and os.path.isdir(name)}
    # A path may start one or more folders down: win32/ddraw.h.
    tails = set()
    for name in there:
        parts = name.split('/')
        for start in range(1, len(parts)):
            tails.add('/'.join(parts[start:]))

    broken = []
    for name in files:
        try:
            with open(name, encoding='utf-8') as source:
                text = source.read()
        except (UnicodeDecodeError, IsADirectoryError, FileNotFoundError):
            continue
        for line, comment in comments(name, text):
            for found in PATH.finditer(comment):
                path = found.group(1).rstrip('.,:;)').rstrip('/')
                parts = path.split('/')
                if any(PLACEHOLDER.match(part) for part in parts):
                    continue
                if parts[0] in top:
                    known = path in there
                elif parts[0] in deeper:
                    known = path in tails
                else:
                    continue  # a system header's folder, a URL's, a build folder's
                if not known and path + '.cpp' not in there and path + '.cpp' not in tails:
                    broken.append(f'{name}:{line}: names {path}, which is not in the tree')
    for message in broken:
        print(message, file=sys.stderr)
    if broken:
        print('comments name paths that do not exist', file=sys.stderr)
        return 1
    print('every path a comment names exists')
    return 0


if __name__ == '__main__':
    sys.exit(main())
