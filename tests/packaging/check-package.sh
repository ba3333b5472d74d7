#!/usr/bin/env bash
# Checks a built Debian package of Zelmarine (scripts/package.sh makes it; scripts/test.sh runs
# both): its file list and fields, the desktop entry, AppStream data, record file type, icons and
# manual pages as installed, and the programs run from the unpacked package.
#   bash tests/packaging/check-package.sh build/package/zelmarine_<version>_<arch>.deb
set -uo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
deb="$(realpath "${1:?usage: check-package.sh PACKAGE.deb}")"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
failures=0

pass() { echo "   ok    $1"; }
fail() {
    echo "   FAIL  $1"
    failures=$((failures + 1))
}
check() { # check DESCRIPTION COMMAND...: passes when the command succeeds
    local what="$1"
    shift
    local output
    if output="$("$@" 2>&1)"; then pass "$what"; else
        fail "$what"
        printf '%s\n' "$output" | sed 's/^/         /'
    fi
}
same() { # same DESCRIPTION EXPECTED ACTUAL
    if [ "$2" = "$3" ]; then pass "$1"; else
        fail "$1"
        diff <(printf '%s\n' "$2") <(printf '%s\n' "$3") | sed 's/^/         /'
    fi
}

echo "== check: $deb"

# What is in the package: exactly the expected files, nothing of the build or the tests.
same "file list" "$(cat "$here/package-files.txt")" \
    "$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print $6}' | sed 's|^\./|/|' | sort)"
depends="$(dpkg-deb -f "$deb" Depends)"
check "dependencies come from the binaries ($depends)" \
    bash -c '[[ "$1" == *libc6* && "$1" == *libqt6widgets6* && "$1" == *qt6-qpa-plugins* ]]' _ \
    "$depends"
# lintian keeps its caches in TMPDIR and leaves some: they go with the work folder.
check "lintian finds no error" env TMPDIR="$work" lintian --fail-on error "$deb"

root="$work/root"
dpkg-deb -x "$deb" "$root"
share="$root/usr/share"
desktop="$share/applications/com.velquist.zelmarine.desktop"
metainfo="$share/metainfo/com.velquist.zelmarine.metainfo.xml"
check "desktop-file-validate" desktop-file-validate "$desktop"
check "appstreamcli validate" appstreamcli validate --no-net --pedantic "$metainfo"
same "desktop entry starts the program with the file" "Exec=zelmarine %f" \
    "$(grep '^Exec=' "$desktop")"
same "desktop entry categories" "Categories=Science;Electronics;" \
    "$(grep '^Categories=' "$desktop")"
same "desktop entry names the record type" "MimeType=application/x-zelmarine-record;" \
    "$(grep '^MimeType=' "$desktop")"
check "desktop entry comments in English and Chinese" \
    bash -c 'grep -q "^Comment=" "$1" && grep -q "^Comment\[zh_CN\]=" "$1"' _ "$desktop"
check "AppStream data launches the desktop entry" \
    grep -q '<launchable type="desktop-id">com.velquist.zelmarine.desktop</launchable>' "$metainfo"

# Every icon is the size its folder says, under the name the desktop entry asks for.
icon="$(sed -n 's/^Icon=//p' "$desktop")"
for size in 16 24 32 48 64 128 256; do
    png="$share/icons/hicolor/${size}x${size}/apps/$icon.png"
    check "icon ${size}x${size}" bash -c 'file "$1" | grep -q "PNG image data, $2 x $2,"' _ \
        "$png" "$size"
done

# The record type compiles, and its magic is exactly how a record file written by the packaged
# program begins.
check "update-mime-database" bash -c \
    'out="$(XDG_DATA_DIRS="$2" update-mime-database "$1" 2>&1)" && [ -z "$out" ] || { echo "$out"; false; }' _ \
    "$share/mime" "$share"
check "record type in the compiled database" test -f "$share/mime/application/x-zelmarine-record.xml"

for page in man1/zelmarine.1 man1/zelmarine-cli.1 man1/zelmarine-sim.1 man8/zelmarine-logger.8; do
    check "manual page $page" bash -c \
        'out="$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l -Tutf8 "$1" 2>&1 >/dev/null)" &&
         [ -z "$out" ] || { echo "$out"; false; }' _ "$share/man/$page.gz"
done

# The site logger: its configuration is a conffile, the maintainer scripts make its user and
# folder, and systemd takes its unit as it is installed, disabled.
same "conffiles" "/etc/zelmarine/logger.conf" "$(dpkg-deb -I "$deb" conffiles)"
check "postinst makes the user zelmarine and /var/lib/zelmarine" bash -c \
    'dpkg-deb -I "$1" postinst | grep -q "adduser --system" &&
     dpkg-deb -I "$1" postinst | grep -q "install -d -o zelmarine -g zelmarine"' _ "$deb"
unit="$root/lib/systemd/system/zelmarine-logger.service"
same "the unit runs the packaged tool with the packaged configuration" \
    "ExecStart=/usr/bin/zelmarine-cli record --config /etc/zelmarine/logger.conf" \
    "$(grep '^ExecStart=' "$unit")"
if command -v systemd-analyze >/dev/null; then
    # In a copy of the package beside this system's units (the targets it is ordered after);
    # its manual page is looked up in the package. Any warning about the unit fails the check.
    verify="$work/verify"
    cp -a "$root" "$verify"
    cp -rn /lib/systemd/system/. "$verify/lib/systemd/system/"
    check "systemd-analyze verify" bash -c \
        'out="$(MANPATH="$1/usr/share/man" systemd-analyze verify --root="$1" \
                /lib/systemd/system/zelmarine-logger.service 2>&1)" &&
         [ -z "$out" ] || { echo "$out"; false; }' _ "$verify"
else
    echo "   skip  systemd-analyze verify: systemd is not installed here"
fi

# The programs, run from the unpacked package by a user with an empty home folder.
bin="$root/usr/bin"
home="$work/home"
mkdir -p "$home"
run() { env -u XDG_CONFIG_HOME -u XDG_DOCUMENTS_DIR -u DISPLAY -u WAYLAND_DISPLAY HOME="$home" "$@"; }
version="$(dpkg-deb -f "$deb" Version)"
version="${version%-*}"
same "zelmarine-cli --version" "zelmarine-cli $version" "$(run "$bin/zelmarine-cli" --version)"
same "zelmarine --version" "zelmarine $version" "$(run "$bin/zelmarine" --version)"
same "zelmarine-sim --version" "zelmarine-sim $version" "$(run "$bin/zelmarine-sim" --version)"
same "the installed programs keep their files in the user's folders" \
    "$(printf 'Files:\n  settings  %s\n  records   %s\n  pictures  %s' \
        "$home/.config/Zelmarine/config.ini" "$home/Documents/Zelmarine/ZMR" \
        "$home/Documents/Zelmarine/BMP")" \
    "$(run "$bin/zelmarine-cli" --help | sed -n '/^Files:/,$p')"
same "the program and zelmarine-cli agree" "$(run "$bin/zelmarine-cli" --help | sed -n '/^Files:/,$p')" \
    "$(run "$bin/zelmarine" --help | sed -n '/^Files:/,$p')"

# The example configuration is taken as it is: the logger goes on to the instrument (which is
# not there), instead of refusing a line of it.
status=0
logger="$(run "$bin/zelmarine-cli" --host 127.0.0.1 --port 1 record \
    --config "$root/etc/zelmarine/logger.conf" --dir "$work/logger" 2>&1)" || status=$?
same "the example configuration is accepted (the instrument is not reached: $logger)" 1 "$status"

# A record file to look at: the simulator writes an instrument data file, the tool converts it
# into the user's record folder (created on first use) and reads it back.
run "$bin/zelmarine-sim" --write-tch "$work/DATA.TCH" --storage-slots 1 --frames 3 >/dev/null
run "$bin/zelmarine-cli" convert "$work/DATA.TCH" >/dev/null
records=("$home"/Documents/Zelmarine/ZMR/U-*.zmr)
check "convert wrote a record into the user's record folder" test -f "${records[0]}"
info="$(run "$bin/zelmarine-cli" info "${records[0]}")"
same "zelmarine-cli info" "kind	trend|count	186" \
    "$(printf '%s\n' "$info" | grep -E '^(kind|count)' | paste -sd '|')"
check "nothing was written beside the installed programs" \
    bash -c '[ -z "$(find "$1" -mindepth 1 ! -name "zelmarine*")" ]' _ "$bin"
hex() { od -An -tx1 -v | tr -d ' \n'; }
magic="$(head -c 34 "${records[0]}" | hex)"
compiled="$(hex <"$share/mime/magic")"
check "the record type's magic is the record header's first 34 bytes ($magic)" \
    bash -c '[[ "$1" == *"0022$2"* ]]' _ "$compiled" "$magic"

if [ "$failures" -ne 0 ]; then
    echo "== check: $failures FAILED"
    exit 1
fi
echo "== check: package passed"
