"""Installs the pinned ECharts (package.json and package-lock.json beside this
file) from npm into a cache outside the repository, once, and says where it is.

    python3 tools/echarts/fetch.py      # prints the path of dist/echarts.js

The cache root is $TESSEL_NPM_CACHE, else /var/cache/tessel-vis/npm. Each
distinct lock file gets its own directory there, so changing the pin never
mixes two installs, and a directory counts only once its install finished.
Several processes may ask at once: the install runs under a file lock.
"""
from __future__ import annotations

import fcntl
import hashlib
import json
import os
import shutil
import subprocess
import sys
from pathlib import Path

HERE = Path(__file__).resolve().parent
MANIFESTS = ("package.json", "package-lock.json")
DEFAULT_CACHE = "/var/cache/tessel-vis/npm"


class EchartsUnavailable(RuntimeError):
    """The pinned ECharts could not be installed; the message says why."""


def pinned_version() -> str:
    return json.loads((HERE / "package.json").read_text())["dependencies"]["echarts"]


def cache_root() -> Path:
    return Path(os.environ.get("TESSEL_NPM_CACHE") or DEFAULT_CACHE)


def install_dir() -> Path:
    digest = hashlib.sha256()
    for name in MANIFESTS:
        digest.update((HERE / name).read_bytes())
    return cache_root() / f"echarts-{pinned_version()}-{digest.hexdigest()[:12]}"


def ensure_installed(npm: str | None = None) -> Path:
    """Returns the node_modules directory holding the pinned echarts."""
    target = install_dir()
    done = target / ".installed"
    if done.exists():
        return target / "node_modules"
    npm = npm or shutil.which("npm")
    if npm is None:
        raise EchartsUnavailable("npm is not on PATH, so the pinned echarts cannot be installed")
    try:
        target.parent.mkdir(parents=True, exist_ok=True)
        lock = open(target.parent / f"{target.name}.lock", "w")
    except OSError as e:
        raise EchartsUnavailable(f"cannot use the ECharts cache {target.parent}: {e}") from e
    with lock:
        fcntl.flock(lock, fcntl.LOCK_EX)
        if done.exists():  # another process finished it while we waited
            return target / "node_modules"
        shutil.rmtree(target, ignore_errors=True)
        target.mkdir()
        for name in MANIFESTS:
            shutil.copyfile(HERE / name, target / name)
        # npm ci installs exactly the lock file's versions and checks their
        # integrity hashes; its own download cache stays in the cache root.
        cmd = [npm, "ci", "--no-audit", "--no-fund", "--ignore-scripts", "--loglevel=error",
               "--cache", str(cache_root() / "npm-cache")]
        run = subprocess.run(cmd, cwd=target, capture_output=True, text=True)
        if run.returncode != 0:
            raise EchartsUnavailable(
                f"'npm ci' for echarts {pinned_version()} failed (exit {run.returncode}):\n"
                f"{run.stdout}{run.stderr}")
        if not (target / "node_modules" / "echarts" / "dist" / "echarts.js").is_file():
            raise EchartsUnavailable(f"'npm ci' left no echarts/dist/echarts.js in {target}")
        done.write_text(pinned_version() + "\n")
    return target / "node_modules"


def echarts_js(node_modules: Path) -> Path:
    """The browser build with the development checks (warnings on the console)."""
    return node_modules / "echarts" / "dist" / "echarts.js"


def main() -> int:
    try:
        print(echarts_js(ensure_installed()))
    except EchartsUnavailable as e:
        print(f"fetch.py: {e}", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
