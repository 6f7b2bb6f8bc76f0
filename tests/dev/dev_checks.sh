#!/usr/bin/env bash
# Checks of ./dev itself, run on the host: `quick` by ./dev test, `slow` by ./dev check.
set -uo pipefail
REPO=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
DEV=$REPO/dev
TOOLCHAIN=${TESSEL_TOOLCHAIN:-/var/cache/tessel-vis/toolchain}
WORK=$(mktemp -d /tmp/dev-checks.XXXXXX)
trap 'rm -rf "$WORK" "$HOME/.dev-checks-$$"' EXIT
passed=0 failed=0

check() {  # check NAME CMD...: CMD runs under set -e; its output is shown when it fails
    (set -e; "${@:2}") >"$WORK/$1.log" 2>&1
    if [ $? = 0 ]; then passed=$((passed + 1)); echo "ok    $1"
    else failed=$((failed + 1)); echo "FAIL  $1"; tail -n 25 "$WORK/$1.log"; fi
}
fails() { ! "$@"; }

help_is_whole() {
    "$DEV" --help >"$WORK/help"
    for sub in $(sed -n '/^main()/,/^}/s/^ *\([a-z|]*\)) .*/\1/p' "$DEV" | tr '|' ' '); do
        grep "\./dev $sub\b" "$WORK/help" || [ "$sub" = help ]
    done
    tail -n 1 "$WORK/help" | grep '\.$'  # not cut off
}

demo_out() {  # demo_out FROM OUT: the gallery and every printed path are on the host
    (cd "$1" && "$DEV" demo --out "$2") | sed -n 's/^\[demo\] .* -> //p' >"$WORK/printed"
    grep 'index.html$' "$WORK/printed"
    while read -r p; do [[ $p == /* ]] || p=$1/$p; [ -f "$p" ]; done <"$WORK/printed"
}

exec_from_outside() {  # and what it writes in its home stays out of the shared root
    mkdir -p "$WORK/outside" && cd "$WORK/outside"
    echo 'import os; open("written.txt", "w"); open(os.path.expanduser("~/.dev-checks"), "w")' >myscript.py
    "$DEV" exec python3.14 myscript.py
    [ -f written.txt ] && [ ! -e "$TOOLCHAIN/root/.dev-checks" ]
}

refuses_foreign_folder() {
    mkdir "$WORK/foreign" && echo keep >"$WORK/foreign/file"
    TESSEL_TOOLCHAIN=$WORK/foreign PYTHON=/nonexistent fails "$DEV" build 2>"$WORK/err"
    grep 'not a toolchain' "$WORK/err" && [ "$(cat "$WORK/foreign/file")" = keep ] && fails ls -d "$WORK"/.foreign*
}

non_root_told_once() {
    chmod 755 "$WORK"
    fails setpriv --reuid=65534 --regid=65534 --clear-groups env HOME=/nonexistent PYTHON=/nonexistent \
        TESSEL_TOOLCHAIN="$WORK/none" "$DEV" build 2>"$WORK/err"
    cat "$WORK/err" && [ "$(wc -l <"$WORK/err")" = 1 ] && grep -q 'needs root' "$WORK/err" && [ ! -e "$WORK/none" ]
}

wheel_installs() {  # the printed wheel, installed as the README says, with the metadata an index shows
    local wheel
    wheel=$REPO/$("$DEV" wheel 2>&1 | tee /dev/stderr | sed -n 's/^\[dev\] wheel: \([^ ]*\) .*/\1/p')
    [[ $wheel == $REPO/$(sed -n 's/^    python3\.14 -m pip install \(dist\/[^ ]*\.whl\)$/\1/p' "$REPO/README.md") ]]
    cd "$WORK"
    "$DEV" exec python3.14 -m venv --system-site-packages venv
    "$DEV" exec venv/bin/python -m pip install -q --no-deps --no-index "$wheel"
    "$DEV" exec env -u PYTHONPATH venv/bin/python - "$REPO" <<'EOF_PY'
import importlib.metadata, sys, tomllib
import tessel_vis, tessel_vis._core as core
meta = (dist := importlib.metadata.distribution("tessel_vis")).metadata
assert core.__file__.startswith(sys.prefix) and core.activity_time_bin_labels(2) == ["00:00", "12:00"]
assert tessel_vis.__version__ == dist.version and "version" in tomllib.load(open(f"{sys.argv[1]}/pyproject.toml", "rb"))["project"]["dynamic"]
assert f"\n## {dist.version}\n" in open(f"{sys.argv[1]}/CHANGELOG.md").read()
assert meta["License-Expression"] == "MIT" and meta.get_all("License-File") == ["LICENSE"]
assert meta["Requires-Python"] == ">=3.11" and meta["Summary"] and meta["Description-Content-Type"] == "text/markdown"
assert "Programming Language :: Python :: 3.14" in meta.get_all("Classifier")
assert {"tessel_vis/_core.pyi", "tessel_vis/py.typed"} <= {str(f) for f in dist.files}
EOF_PY
}

builds_take_turns() {  # two ./dev build at once on a fresh tree: one compiles, the other waits
    mkdir "$WORK/clone"
    git -C "$REPO" ls-files -z | tar -C "$REPO" --null -T - -cf - | tar -C "$WORK/clone" -xf -
    "$WORK/clone/dev" build >"$WORK/build1" 2>&1 & local first=$!
    "$WORK/clone/dev" build >"$WORK/build2" 2>&1
    wait $first
    [ "$(grep -l 'Building CXX' "$WORK/build1" "$WORK/build2" | wc -l)" = 1 ]
    "$WORK/clone/dev" build 2>&1 | grep 'no work to do'
}

interrupted_install_repaired() {  # on a copy-on-write layer over the toolchain
    local layer=$WORK/layer rc=0
    mkdir -p "$layer"/{upper,work,root}
    mount -t overlay overlay -o "lowerdir=$TOOLCHAIN,upperdir=$layer/upper,workdir=$layer/work" "$layer/root"
    # dpkg stopped while configuring ninja-build: its journal holds the half-done state.
    sed -n '/^Package: ninja-build$/,/^$/{s/^Status: .*/Status: install ok half-configured/;p}' \
        "$layer/root/var/lib/dpkg/status" >"$layer/root/var/lib/dpkg/updates/0001"
    TESSEL_TOOLCHAIN=$layer/root "$DEV" exec true && sed -n '/^Package: ninja-build$/,/^$/p' \
        "$layer/root/var/lib/dpkg/status" | grep 'install ok installed' || rc=1
    umount "$layer/root"
    return $rc
}

if [ "${1:-quick}" = quick ]; then
    mkdir -p "$WORK/from/here"
    for c in help_is_whole refuses_foreign_folder non_root_told_once exec_from_outside wheel_installs; do check $c $c; done
    check demo_out_tmp demo_out "$REPO" "$WORK/gallery"
    check demo_out_home demo_out "$REPO" "$HOME/.dev-checks-$$/gallery"
    check demo_out_relative demo_out "$WORK/from/here" ../gallery
else
    check builds_take_turns builds_take_turns
    [ -x "$TOOLCHAIN/usr/bin/python3.14" ] && [ "$(id -u)" = 0 ] && check interrupted_install_repaired interrupted_install_repaired
fi
echo "dev script: $passed passed, $failed failed"
[ "$failed" = 0 ]
