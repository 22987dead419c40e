#!/usr/bin/env bash
# What the desktop and a user's shell see of Tilvano, checked in the build tree's share/
# folder, which holds what an install puts under the prefix: the launchers and the AppStream
# file pass their validators, the session bus can start the companion, the manual pages
# render without a warning and document every command, option and exit status that --help
# names, --help and --version answer in the GNU manner, and the completions offer what the
# settings store holds. The programs, libraries and pages find our libraries only
# relative to themselves.
#
# Usage: desktop-files.sh BUILD_DIR SOURCE_DIR VERSION
# Exit status 77 (skipped) when a validator is missing.
set -uo pipefail
build=$1 source=$2 version=$3
share=$build/share bin=$build/bin
programs=(tilvano ablaufwerk charinspect kibo tilvano-reg tilvano-acs tilvano-vbs)
app_id=org.lorvat.Tilvano

missing=()
for tool in desktop-file-validate:desktop-file-utils appstreamcli:appstream man:man-db lexgrog:man-db readelf:binutils; do
    command -v "${tool%%:*}" >/dev/null || missing+=("${tool%%:*} (Debian package ${tool#*:})")
done
if ((${#missing[@]})); then
    echo "SKIPPED: the validators are missing: ${missing[*]}. scripts/install-deps installs them."
    exit 77
fi

failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# A PNG's width and height, from its header.
png_size() { od -An -tu1 -j16 -N8 "$1" | awk '{ printf "%dx%d", $3 * 256 + $4, $7 * 256 + $8 }'; }

# --- launchers and icons ---------------------------------------------------------------
entries=("$share"/applications/*.desktop)
((${#entries[@]} == 3)) || fail "expected three desktop entries, found: ${entries[*]}"
for entry in "${entries[@]}"; do
    desktop-file-validate "$entry" || fail "desktop-file-validate: $entry"
    exec_line=$(sed -n 's/^Exec=//p' "$entry")
    [[ -x $bin/${exec_line%% *} ]] || fail "$entry starts '$exec_line', which the build does not make"
    icon=$(sed -n 's/^Icon=//p' "$entry")
    for size in 16 24 32 48 64 128 256; do
        file=$share/icons/hicolor/${size}x${size}/apps/$icon.png
        if [[ ! -f $file ]]; then
            fail "no ${size}px icon $icon for $entry"
        elif [[ $(png_size "$file") != "${size}x${size}" ]]; then
            fail "$file is $(png_size "$file")"
        fi
    done
done

# --- AppStream -------------------------------------------------------------------------
metainfo=$share/metainfo/$app_id.metainfo.xml
appstreamcli validate --no-net "$metainfo" || fail "appstreamcli validate: $metainfo"
launchable=$(sed -n 's:.*<launchable type="desktop-id">\(.*\)</launchable>.*:\1:p' "$metainfo")
[[ -f $share/applications/$launchable ]] || fail "the AppStream file launches $launchable, which is not there"
for binary in $(sed -n 's:.*<binary>\(.*\)</binary>.*:\1:p' "$metainfo"); do
    [[ -x $bin/$binary ]] || fail "the AppStream file provides $binary, which the build does not make"
done
grep -q "<release version=\"$version\"" "$metainfo" || fail "the AppStream file does not name release $version"
if [[ -f $source/debian/changelog ]]; then
    packaged=$(sed -n '1s/^[^(]*(\([^)-]*\).*/\1/p' "$source/debian/changelog")
    [[ $packaged == "$version" ]] || fail "debian/changelog packages $packaged, the build is $version"
fi

# --- run paths -------------------------------------------------------------------------
# Each entry relative to the file's own folder. An empty entry (CMake pads a build tree's
# run path with them) is the folder the program was started from, to the loader: it would
# look there for every library at every start, and load a stranger's of the same name.
for elf in "$bin"/* "$build"/lib/tilvano/*.so.* "$build"/lib/tilvano/plugins/*.tpx; do
    [[ -f $elf && ! -L $elf ]] || continue
    runpath=$(readelf -d "$elf" 2>/dev/null | sed -n 's/.*(\(RUNPATH\|RPATH\)).*\[\(.*\)\]$/\2/p')
    [[ -n $runpath ]] || continue # not a program, or one that needs no library of ours
    IFS=: read -ra entries <<<"$runpath:"
    for entry in "${entries[@]}"; do
        [[ $entry == '$ORIGIN'* ]] || fail "$elf: run path '$runpath' has the entry '$entry'"
    done
done

# --- session bus activation: kibo and the editor start the companion through it -------
service=$share/dbus-1/services/org.lorvat.Tilvano.service
if [[ ! -f $service ]]; then
    fail "no D-Bus service file $service"
else
    grep -qx 'Name=org.lorvat.Tilvano' "$service" || fail "$service names another bus name"
    [[ $(sed -n 's/^Exec=//p' "$service") -ef $bin/tilvano ]] || fail "$service does not start $bin/tilvano"
fi

# --- each program: --help, --version, its manual page ----------------------------------
# Words --help lists as commands or options: indented a little (not a continued
# description), then a name or a --name.
listed_words() { sed -n 's/^ \{2,6\}\(--[a-z-]*\|[a-z][a-z-]*\)\( .*\)\{0,1\}$/\1/p'; }
# Exit statuses --help names after "Rückgabewerte:" ("0 Erfolg, 1 ..., 2 ...").
listed_statuses() { sed -n '/^Rückgabewerte:/,/^$/p' | grep -o '\(^\|: \|, \)[0-9]\+ ' | grep -o '[0-9]\+'; }

for program in "${programs[@]}"; do
    page=$share/man/man1/$program.1
    help=$("$bin/$program" --help 2>&1)
    status=$?
    ((status == 0)) || fail "$program --help exits $status"
    [[ $help == "Aufruf: $program"* ]] || fail "$program --help does not begin with its usage: ${help%%$'\n'*}"
    "$bin/$program" --help >/dev/full 2>/dev/null && fail "$program --help claims success on a full disk"
    first=$("$bin/$program" --version | head -n1)
    [[ $first == "$program (Tilvano) $version" ]] || fail "$program --version says '$first'"

    if [[ ! -f $page ]]; then
        fail "no manual page for $program"
        continue
    fi
    warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l "$page" 2>&1 >"$scratch/$program.txt")
    [[ -z $warnings ]] || fail "man -l $page warns: $warnings"
    lexgrog "$page" >/dev/null || fail "$page has no NAME line that whatis can read"
    # Every command and option is a term of the page, every exit status too.
    for word in $(listed_words <<<"$help") $(listed_statuses <<<"$help"); do
        grep -q "^ \{7\}$word\( \|$\)" "$scratch/$program.txt" ||
            fail "the manual page of $program does not document '$word'"
    done
done

# --- completion ------------------------------------------------------------------------
completion=/usr/share/bash-completion/bash_completion
if [[ ! -f $completion ]]; then
    fail "bash-completion is missing (Debian package bash-completion)"
else
    export XDG_CONFIG_HOME=$scratch/config
    "$bin/tilvano-reg" set Lorvat Mail Source imap >/dev/null &&
        "$bin/tilvano-reg" set Lorvat 'Stored Values' Logging 1 >/dev/null ||
        fail "tilvano-reg could not store the completion test's settings"
    # Candidates for a command line whose last word is being typed; one per line.
    complete_line() {
        bash -c '
            source "$1"; source "$2"; shift 2
            PATH=$BIN:$PATH
            COMP_WORDS=("$@"); COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
            COMP_LINE="${COMP_WORDS[*]}"; COMP_POINT=${#COMP_LINE}
            "$(complete -p "$1" | sed "s/.*-F \([^ ]*\) .*/\1/")"
            printf "%s\n" "${COMPREPLY[@]}"' _ "$completion" "$share/bash-completion/completions/$1" "$@"
    }
    expect() { # WANTED CANDIDATES...: the candidates, one line each, in order
        local wanted=$1 got
        shift
        got=$(BIN=$bin complete_line "$@" | tr '\n' '|')
        [[ $got == "$wanted" ]] || fail "completing '$*': wanted '$wanted', got '$got'"
    }
    expect 'get|' tilvano-reg g
    expect 'Lorvat|' tilvano-reg get ''
    expect 'Mail|Stored\ Values|' tilvano-reg list Lorvat ''
    expect 'Logging|' tilvano-reg set Lorvat 'Stored\ Values' L
    expect 'REG_SZ|REG_DWORD|' tilvano-reg add 'HKCU\Software\x' n ''
    expect 'play|' kibo pl
    expect 'run|run-text|' kibo ru
    # Names come only from a running companion; none runs here, and none is started.
    expect '|' kibo play ''
fi

((failures == 0)) || {
    echo "$failures check(s) failed"
    exit 1
}
echo "all checks passed"
