# Sourced by the scripts that run Debian's emscripten: what it needs from the
# environment.
# Its node modules (acorn) are found only here.
export NODE_PATH="${NODE_PATH:-/usr/share/nodejs}"
# emcc and em++ are Python programs, started once for every file compiled and
# every configure check. Started by the system's own Python, the one Debian's
# emscripten is packaged for, each call takes 0.33 s here; through a Python
# version manager's shim, first on the PATH of some machines, 0.70 s.
if [ -z "${EMSDK_PYTHON:-}" ] && [ -x /usr/bin/python3 ]; then
  export EMSDK_PYTHON=/usr/bin/python3
fi
