#!/usr/bin/env bash
# The board's installation: `cmake --install` into a DESTDIR gives exactly the
# files the README lists, the unit runs installed programs, and the seeding
# script fills a new machine's home folder while leaving a machine's own data
# untouched (and writing nothing when all is in place). With an armhf build
# holding packages, their file lists and architecture are checked too.
#   check_install.sh BUILD_DIR SOURCE_DIR [ARMHF_BUILD_DIR]
set -uo pipefail

BUILD="$1"
SRC="$2"
ARMHF="${3:-}"
WORK="$(mktemp -d "${TMPDIR:-/tmp}/frostpanel-install-XXXXXX")"
trap 'rm -rf "$WORK"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# The README's list: the absolute paths in the block after its marker line.
readme_list() {
    awk '/<!-- installed files -->/ {on = 1; next} on && /^```/ {if (++fences == 2) exit; next} on && fences == 1' \
        "$SRC/README.md" | grep -E '^/' | sed 's/[[:space:]].*//' | sort
}
readme_list >"$WORK/expected"
[ -s "$WORK/expected" ] || { echo "FAIL: no installed-files list in the README"; exit 1; }

DEST="$WORK/dest"
DESTDIR="$DEST" "${CMAKE:-cmake}" --install "$BUILD" --prefix /usr >"$WORK/install.log" 2>&1 ||
    { cat "$WORK/install.log"; echo "FAIL: cmake --install"; exit 1; }
(cd "$DEST" && find . -type f -o -type l) | sed 's|^\.||' | sort >"$WORK/installed"
diff -u "$WORK/expected" "$WORK/installed" >"$WORK/diff" || { cat "$WORK/diff"; fail "installed files differ from the README"; }

# The unit starts what was installed, on the frame buffer with touch input,
# restarts it and stops it with SIGTERM and a time limit.
UNIT="$DEST/usr/lib/systemd/system/frostpanel.service"
for key in ExecStartPre ExecStart; do
    exe="$(sed -n "s/^$key=-\{0,1\}//p" "$UNIT")"
    [ -n "$exe" ] && [ -x "$DEST$exe" ] || fail "$key=$exe is not an installed program"
done
for line in 'Environment=QT_QPA_PLATFORM=linuxfb' 'Environment=QT_QPA_GENERIC_PLUGINS=evdevtouch' \
    'Environment=QT_QPA_FB_DISABLE_INPUT=1' \
    'Restart=always' 'KillSignal=SIGTERM' 'TimeoutStopSec=' 'WantedBy=multi-user.target'; do
    grep -q "^$line" "$UNIT" || fail "the unit lacks $line"
done

# systemd's own reading of the unit, where it is installed (the programs'
# paths moved into the DESTDIR so that it finds them).
if command -v systemd-analyze >/dev/null; then
    mkdir -p "$WORK/unit"
    sed "s|^\(ExecStart[A-Za-z]*=-\{0,1\}\)|\1$DEST|" "$UNIT" >"$WORK/unit/frostpanel.service"
    systemd-analyze verify "$WORK/unit/frostpanel.service" >"$WORK/verify" 2>&1 && [ ! -s "$WORK/verify" ] ||
        { cat "$WORK/verify"; fail "systemd-analyze finds fault with the unit"; }
fi

SHARE="$DEST/usr/share/frostpanel"
seed() { FROSTPANEL_ROOT="$1" FROSTPANEL_SHARE="$SHARE" sh "$DEST/usr/libexec/frostpanel/frostpanel-seed"; }
# Every file under a root with its checksum and modification time.
snapshot() {
    (cd "$1" && find . \( -type f -o -type l \) | sort | while read -r f; do
        if [ -L "$f" ]; then sum="-> $(readlink "$f")"; else sum="$(md5sum <"$f" | cut -d' ' -f1)"; fi
        echo "$f $(stat -c %Y "$f") $sum"
    done)
}
same() { cmp -s "$1" "$2" || fail "$2 is not a copy of $1"; }

# A new machine: everything the program expects is there afterwards.
NEW="$WORK/new"
seed "$NEW" || fail "seeding a new machine failed"
for f in milling.csv cutting.csv whipping.csv rpmspeed.csv logo.png; do
    same "$SHARE/defaults/$f" "$NEW/home/root/$f"
done
for f in "$SHARE"/program/languages/*; do same "$f" "$NEW/home/root/languages/${f##*/}"; done
same "$SHARE/program/fileVersione.txt" "$NEW/home/root/fileVersione.txt"
leftovers="$(find "$NEW" -name '*.tmp*')"
[ -z "$leftovers" ] || fail "temporaries left behind: $leftovers"

# A machine in use, upgraded: its own data and edited defaults stay, the old
# translations and version file are replaced, an added language stays.
OLD="$WORK/old"
H="$OLD/home/root"
mkdir -p "$H/languages" "$H/recipes/milling" "$H/glasses"
declare -A own=(
    [info]="FP2-0001-OWN"
    [user_settings]="own settings"
    [rete_setting]="60,110"
    [working]="counters"
    [milling.csv]="1,2,3"
    [cutting.csv]=""
    [rpmspeed.csv]="0,100"
    [logo.png]="own logo"
    [recipes/milling/Sorbet]="own recipe"
    [recipes/milling/list]="index"
    [glasses/12]="beaker"
    [languages/deutsch_de.qm]="own language"
)
for f in "${!own[@]}"; do printf '%s' "${own[$f]}" >"$H/$f"; done
ln -s /nonexistent "$H/whipping.csv" # a link the machine set up is its own too
printf 'old' >"$H/languages/inglese_en.qm"
printf '0.09.00\n' >"$H/fileVersione.txt"
touch -d '2020-01-01' "$H"/* "$H"/*/* 2>/dev/null
# Everything but the program's own files, which the seeding refreshes.
own_files() { snapshot "$OLD" | grep -v -e '^./home/root/languages/[a-z_]*\(\.qm\|info_lang.txt\) ' \
    -e '^./home/root/fileVersione.txt '; }
before="$(own_files)"
seed "$OLD" || fail "seeding a machine in use failed"
after="$(own_files)"
[ "$before" = "$after" ] || { diff <(echo "$before") <(echo "$after"); fail "a machine's own files changed"; }
[ "$(cat "$H/languages/deutsch_de.qm")" = "own language" ] || fail "an added language was lost"
[ -L "$H/whipping.csv" ] || fail "a link of the machine was replaced"
for f in "$SHARE"/program/languages/*; do same "$f" "$H/languages/${f##*/}"; done
same "$SHARE/program/fileVersione.txt" "$H/fileVersione.txt"
[ -e "$H/whipping.csv" ] || [ -L "$H/whipping.csv" ] || fail "whipping.csv missing"

# Every later start: nothing to do, nothing written.
before="$(snapshot "$OLD")"
sleep 1
seed "$OLD" || fail "seeding again failed"
[ "$before" = "$(snapshot "$OLD")" ] || fail "seeding a complete machine wrote files"

# The board's packages, when the armhf build has them.
if [ -n "$ARMHF" ] && ls "$ARMHF"/frostpanel_*_armhf.deb >/dev/null 2>&1; then
    deb="$(ls -t "$ARMHF"/frostpanel_*_armhf.deb | head -1)"
    [ "$(dpkg-deb -f "$deb" Architecture)" = armhf ] || fail "$deb is not for armhf"
    dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print $6}' | sed 's|^\.||' | sort >"$WORK/deb"
    diff -u "$WORK/expected" "$WORK/deb" || fail "the Debian package's files differ from the README"
    tgz="${deb%.deb}.tar.gz"
    if [ -f "$tgz" ]; then
        tar -tzf "$tgz" | grep -v '/$' | sed 's|^\./|/|; s|^\([^/]\)|/\1|' | sort >"$WORK/tgz"
        diff -u "$WORK/expected" "$WORK/tgz" || fail "the tarball's files differ from the README"
    else
        fail "no tarball beside $deb"
    fi
    dpkg-deb -x "$deb" "$WORK/deb-root"
    file -L "$WORK/deb-root/usr/bin/frostpanel" | grep -q "ARM, EABI5" || fail "the packaged program is not for armhf"
    exe="$(sed -n 's/^ExecStart=//p' "$WORK/deb-root/usr/lib/systemd/system/frostpanel.service")"
    [ "$exe" = /usr/bin/frostpanel ] || fail "the packaged unit starts $exe"
    echo "packages checked: ${deb##*/}, ${tgz##*/}"
fi

if [ "$failures" -ne 0 ]; then
    echo "$failures failed"
    exit 1
fi
echo "installation checked"
