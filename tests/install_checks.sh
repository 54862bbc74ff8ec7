# What the install tests share, sourced by test_install.sh and install_windows.sh: a skip when a
# tool is missing, a scratch folder removed at exit (after the test's own `cleanup_more`, if it defines
# one), failures counted and reported together, and commands run quietly unless they fail.

# require_tools HINT TOOL...: exits 77 (CTest's skip) naming the first missing tool.
require_tools() {
    local hint=$1 tool
    shift
    for tool in "$@"; do
        if ! command -v "$tool" >/dev/null; then
            echo "SKIP: $tool is missing ($hint installs it)"
            exit 77
        fi
    done
}

scratch=$(mktemp -d)
cleanup() {
    if declare -F cleanup_more >/dev/null; then cleanup_more; fi
    rm -rf "$scratch"
}
trap cleanup EXIT

failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

# Runs a command quietly; shows what it said and stops the test when it fails.
quietly() {
    local log=$scratch/command.log
    "$@" >"$log" 2>&1 || { cat "$log"; echo "FAIL: $*"; exit 1; }
}

# finish MESSAGE: the result of every check.
finish() {
    if [ "$failures" -ne 0 ]; then
        echo "$failures check(s) failed"
        exit 1
    fi
    echo "PASS: $1"
}
