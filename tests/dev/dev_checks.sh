#!/usr/bin/env bash
# Checks of ./dev itself, run on the host: `quick` by ./dev test, `slow` by ./dev check.
set -uo pipefail
REPO=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
DEV=$REPO/dev
TOOLCHAIN=${TESSEL_TOOLCHAIN:-/var/cache/tessel-vis/toolchain}
WORK=$(mktemp -d /tmp/dev-checks.XXXXXX)
HOME_OUT=$HOME/.dev-checks-$$
trap 'rm -rf "$WORK" "$HOME_OUT"' EXIT
passed=0 failed=0
sandboxed() { [ -x "$TOOLCHAIN/usr/bin/python3.14" ]; }

check() {  # check NAME CMD...: CMD runs under set -e; its output is shown when it fails
    (set -e; "${@:2}") >"$WORK/$1.log" 2>&1
    if [ $? = 0 ]; then passed=$((passed + 1)); echo "ok    $1"
    else failed=$((failed + 1)); echo "FAIL  $1"; tail -n 25 "$WORK/$1.log"; fi
}
fails() { ! "$@"; }

help_is_whole() {
    "$DEV" --help >"$WORK/help"
    for sub in $(sed -n '/^main()/,/^}/s/^ *\([a-z|]*\))  *.*/\1/p' "$DEV" | tr '|' ' '); do
        [ "$sub" = help ] || grep -q "\./dev $sub\b" "$WORK/help" || { echo "--help lacks $sub"; false; }
    done
    tail -n 1 "$WORK/help" | grep -q '\.$'
}

demo_out() {  # demo_out FROM OUT: the gallery and every printed path are on the host
    (cd "$1" && "$DEV" demo --out "$2") >"$WORK/demo.txt"
    grep -q 'index.html$' "$WORK/demo.txt"
    sed -n 's/^\[demo\] .* -> //p' "$WORK/demo.txt" | while read -r p; do
        [[ $p == /* ]] || p=$1/$p
        [ -f "$p" ] || { echo "printed but not on the host: $p"; false; }
    done
}

exec_from_outside() {
    mkdir -p "$WORK/outside"
    echo 'open("written.txt", "w").write("x")' >"$WORK/outside/myscript.py"
    (cd "$WORK/outside" && "$DEV" exec python3.14 myscript.py)
    [ -f "$WORK/outside/written.txt" ]
}

refuses_foreign_folder() {
    mkdir -p "$WORK/foreign" && echo keep >"$WORK/foreign/file"
    TESSEL_TOOLCHAIN=$WORK/foreign PYTHON=/nonexistent fails "$DEV" build 2>"$WORK/err"
    grep 'not a toolchain' "$WORK/err"
    [ "$(cat "$WORK/foreign/file")" = keep ]
    fails ls -d "$WORK"/.foreign*  # nothing provisioned beside it
}

non_root_told_once() {
    chmod 755 "$WORK"
    fails setpriv --reuid=65534 --regid=65534 --clear-groups env HOME=/nonexistent PYTHON=/nonexistent \
        TESSEL_TOOLCHAIN="$WORK/none" "$DEV" build 2>"$WORK/err"
    cat "$WORK/err"
    [ "$(wc -l <"$WORK/err")" = 1 ]
    grep '^\[dev\] error: .*needs root' "$WORK/err"
    [ ! -e "$WORK/none" ]
}

home_stays_private() {
    "$DEV" exec sh -c 'echo x >"$HOME/.dev-checks-probe"'
    [ ! -e "$TOOLCHAIN/root/.dev-checks-probe" ] || { rm -f "$TOOLCHAIN/root/.dev-checks-probe"; false; }
}

wheel_installs() {
    rm -f "$REPO"/dist/tessel_vis-*.whl
    "$DEV" wheel
    local wheel
    wheel=$(ls "$REPO"/dist/tessel_vis-*-cp314-cp314-*.whl)
    cd "$WORK" && "$DEV" exec python3.14 -m venv --system-site-packages venv
    "$DEV" exec venv/bin/python -m pip install -q --no-deps --no-index "$wheel"
    "$DEV" exec env -u PYTHONPATH venv/bin/python - "$REPO/pyproject.toml" <<'EOF'
import importlib.metadata, sys, tomllib
import tessel_vis, tessel_vis._core as core
dist = importlib.metadata.distribution("tessel_vis")
meta = dist.metadata
assert core.__file__.startswith(sys.prefix), core.__file__
assert tessel_vis.__version__ == dist.version and "version" in tomllib.load(open(sys.argv[1], "rb"))["project"]["dynamic"]
assert meta["License-Expression"] == "MIT" and meta.get_all("License-File") == ["LICENSE"]
assert meta["Requires-Python"] == ">=3.11" and meta["Summary"] and meta["Description-Content-Type"] == "text/markdown"
assert "Programming Language :: Python :: 3.14" in meta.get_all("Classifier")
assert {"tessel_vis/_core.pyi", "tessel_vis/py.typed"} <= {str(f) for f in dist.files}
assert core.activity_time_bin_labels(2) == ["00:00", "12:00"]
EOF
}

builds_take_turns() {  # two ./dev build at once on a fresh clone
    mkdir "$WORK/clone"  # the files as they are, without build/
    git -C "$REPO" ls-files -z | tar -C "$REPO" --null -T - -cf - | tar -C "$WORK/clone" -xf -
    "$WORK/clone/dev" build >"$WORK/build1" 2>&1 & local first=$!
    "$WORK/clone/dev" build >"$WORK/build2" 2>&1 || return 1
    wait $first
    [ "$(grep -l 'Building CXX' "$WORK/build1" "$WORK/build2" | wc -l)" = 1 ]
    "$WORK/clone/dev" build 2>&1 | grep 'no work to do' 
}

interrupted_install_repaired() {  # on a copy-on-write layer over the toolchain
    local layer=$WORK/layer
    mkdir -p "$layer"/{upper,work,root}
    mount -t overlay overlay -o "lowerdir=$TOOLCHAIN,upperdir=$layer/upper,workdir=$layer/work" "$layer/root"
    # dpkg stopped while configuring ninja-build: its journal holds the half-done state.
    { sed -n '/^Package: ninja-build$/,/^$/p' "$layer/root/var/lib/dpkg/status" \
        | sed 's/^Status: .*/Status: install ok half-configured/'; } >"$layer/root/var/lib/dpkg/updates/0001"
    local rc=0
    TESSEL_TOOLCHAIN=$layer/root "$DEV" exec true || rc=1
    grep -q 'install ok installed' <(sed -n '/^Package: ninja-build$/,/^$/p' "$layer/root/var/lib/dpkg/status") || rc=1
    umount "$layer/root"
    return $rc
}

case ${1:-quick} in
quick)
    check help_is_whole help_is_whole
    check refuses_foreign_folder refuses_foreign_folder
    check non_root_told_once non_root_told_once
    check demo_out_tmp demo_out "$REPO" "$WORK/gallery"
    check demo_out_home demo_out "$REPO" "$HOME_OUT/gallery"
    mkdir -p "$WORK/from/here"
    check demo_out_relative demo_out "$WORK/from/here" ../gallery
    check exec_from_outside exec_from_outside
    if sandboxed; then check home_stays_private home_stays_private; fi
    check wheel_installs wheel_installs
    ;;
slow)
    check builds_take_turns builds_take_turns
    if sandboxed && [ "$(id -u)" = 0 ]; then check interrupted_install_repaired interrupted_install_repaired; fi
    ;;
esac
echo "dev script: $passed passed, $failed failed"
[ "$failed" = 0 ]
