# Shared steps of the install and package tests (sourced).

fail() { echo "FAIL: $*" >&2; exit 1; }

# Runs a program of an installed tree as a new user would: a fresh home, no
# variable of the build or test environment, nothing but the system's PATH.
as_new_user() {
    local home="$1"
    shift
    env -i HOME="$home" PATH=/usr/bin:/bin LANG=C.UTF-8 "$@"
}

# Starts Corvane offscreen for a new user and checks that it is still running
# after some seconds (the main window waits for the user) and that it created
# the profile in the user's XDG folders.
check_corvane_starts() {
    local corvane="$1" home="$2"
    mkdir -p "$home"
    local status=0
    as_new_user "$home" QT_QPA_PLATFORM=offscreen timeout 20 "$corvane" >"$home/corvane.log" 2>&1 || status=$?
    [ "$status" -eq 124 ] || { cat "$home/corvane.log" >&2; fail "Corvane ended with status $status instead of running"; }
    check_profile "$home"
}

# The profile a first start creates: the settings store in XDG_CONFIG_HOME,
# the program folder and the data folder with the tables in XDG_DATA_HOME.
check_profile() {
    local home="$1"
    local store="$home/.config/Corvane/registry.reg"
    local program="$home/.local/share/Corvane"
    [ -f "$store" ] || fail "no settings store $store"
    [ -f "$program/Data/CVProject.dat" ] || fail "no data folder with tables in $program/Data"
    grep -q "^\"ExeFolder\"=\"$program/\"$" "$store" || fail "the store does not name $program/ as the program folder"
    grep -q "^\"DataFolder\"=\"$program/Data/\"$" "$store" || fail "the store does not name $program/Data/ as the data folder"
}
