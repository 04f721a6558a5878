#!/usr/bin/env bash
# Checks the installed tree and the Debian package of a finished build (in build/):
#   1. installs into a temporary DESTDIR and checks the files and the desktop entry;
#   2. builds the .deb, lists it, installs it (root only), checks that the desktop knows .lsm
#      files as the editor's, starts the installed editor once with a message file under a
#      virtual X display as an ordinary user, and purges the package again.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/common.sh

lumavane_install_missing desktop-file-utils dpkg-dev xvfb xauth x11-utils shared-mime-info \
    xdg-utils

stage=$(mktemp -d /tmp/lumavane-stage-XXXXXX)
chmod 0755 "$stage"
cleanup() { rm -rf "$stage"; }
trap cleanup EXIT

echo "== install into a temporary DESTDIR"
DESTDIR="$stage/root" cmake --install build --prefix /usr >/dev/null
expected=(
    usr/bin/lumavane
    usr/share/applications/lumavane.desktop
    usr/share/icons/hicolor/scalable/apps/lumavane.svg
    usr/share/icons/hicolor/48x48/apps/lumavane.png
    usr/share/icons/hicolor/128x128/apps/lumavane.png
    usr/share/mime/packages/lumavane.xml
    usr/share/icons/hicolor/scalable/mimetypes/application-x-lumavane-message.svg
    usr/share/icons/hicolor/48x48/mimetypes/application-x-lumavane-message.png
    usr/share/icons/hicolor/128x128/mimetypes/application-x-lumavane-message.png
    usr/share/lumavane/translations/lumavane_de.qm
)
if [ -f tools/CMakeLists.txt ]; then
    expected+=(usr/bin/lumavane-sign)
fi
if [ -f tools/send/CMakeLists.txt ]; then
    expected+=(usr/bin/lumavane-send usr/share/man/man1/lumavane-send.1.gz
        usr/lib/systemd/user/lumavane-schedule.service usr/share/doc/lumavane/examples/schedule.ini)
fi
if [ -f tools/gateway/CMakeLists.txt ]; then
    expected+=(usr/bin/lumavane-gateway usr/share/man/man8/lumavane-gateway.8.gz
               usr/lib/systemd/system/lumavane-gateway.service)
fi
for f in "${expected[@]}"; do
    [ -e "$stage/root/$f" ] || { echo "missing from the installed tree: $f" >&2; exit 1; }
done
if [ -e "$stage/root/var/lib/lumavane" ]; then
    echo "a DESTDIR install must not create the machine's settings place" >&2
    exit 1
fi
desktop-file-validate "$stage/root/usr/share/applications/lumavane.desktop"
grep -qx 'MimeType=application/x-lumavane-message;' \
    "$stage/root/usr/share/applications/lumavane.desktop" ||
    { echo "the desktop entry does not name the message file type" >&2; exit 1; }
# The file type, read by the same tool that the package's trigger runs, into a scratch copy.
cp -r "$stage/root/usr/share/mime" "$stage/mime"
# (It says nothing unless the file is wrong, once its folder is on the data path.)
XDG_DATA_HOME="$stage" XDG_DATA_DIRS="$stage" update-mime-database "$stage/mime" 2>&1 |
    tee "$stage/mime.log"
if [ -s "$stage/mime.log" ] ||
    ! grep -qx 'application/x-lumavane-message:\*\.lsm' "$stage/mime/globs"; then
    echo "the shared-mime-info file does not give *.lsm its type" >&2
    exit 1
fi
if [ -f tools/send/CMakeLists.txt ]; then
    unit="$stage/root/usr/lib/systemd/user/lumavane-schedule.service"
    grep -qx 'ExecStart=lumavane-send --schedule %h/.config/lumavane/schedule.ini --follow' "$unit" &&
        grep -qx 'Restart=on-failure' "$unit" ||
        { echo "the schedule service does not run the schedule as it should" >&2; exit 1; }
fi
echo "installed tree, desktop entry, file type and service: ok"

echo "== Debian package"
(cd build && cpack -G DEB >/dev/null)
deb=$(ls -t build/lumavane_*.deb | head -1)
dpkg-deb -f "$deb" Package Version Depends Recommends
dpkg-deb -c "$deb" | awk '{print $6}'

if [ "$(id -u)" -ne 0 ]; then
    echo "not root: the package is built and listed, not installed"
    exit 0
fi

if dpkg-query -W lumavane >/dev/null 2>&1; then
    echo "a lumavane package is already installed here; not touching it" >&2
    exit 1
fi
apt-get install -y -qq "./$deb" >/dev/null
trap 'dpkg --purge lumavane >/dev/null 2>&1 || true; cleanup' EXIT
[ "$(stat -c %a /var/lib/lumavane)" = 755 ] || { echo "settings directory mode" >&2; exit 1; }
[ "$(stat -c %a /var/lib/lumavane/LUMAVANE.INI)" = 666 ] || { echo "settings file mode" >&2; exit 1; }

# The schedule service as systemd reads it, the installed lumavane-send found by its name.
if [ -f tools/send/CMakeLists.txt ] && command -v systemd-analyze >/dev/null; then
    systemd-analyze verify --man=no /usr/lib/systemd/user/lumavane-schedule.service ||
        { echo "the schedule service does not verify" >&2; exit 1; }
    echo "schedule service verified: ok"
fi

# The triggers of shared-mime-info and desktop-file-utils have registered the file type and the
# editor as its handler: what a file manager asks before it offers an application.
[ -e /usr/share/mime/application/x-lumavane-message.xml ] ||
    { echo "the file type was not registered" >&2; exit 1; }

# The installed editor, started once as an ordinary user on a virtual display, closed the way a
# desktop session does (SIGTERM closes the window): it must end cleanly and keep its remembered
# values in the user's state directory, since it cannot write beside its executable.
user_home="$stage/home"
install -d -o nobody -g nogroup "$user_home"
install -d -m 0700 -o nobody -g nogroup "$user_home/runtime"
# The user's language is LANG (English unless run_lang says otherwise).
run_lang=C
run_as_user() {
    setpriv --reuid=nobody --regid=nogroup --clear-groups \
        env -u LC_ALL -u LC_MESSAGES -u LANGUAGE LANG="$run_lang" \
        HOME="$user_home" XDG_STATE_HOME="$user_home/state" \
        XDG_CONFIG_HOME="$user_home/config" XDG_RUNTIME_DIR="$user_home/runtime" "$@"
}
handler=$(run_as_user xdg-mime query default application/x-lumavane-message)
[ "$handler" = lumavane.desktop ] ||
    { echo "xdg-mime offers \"$handler\" for .lsm files, not lumavane.desktop" >&2; exit 1; }
echo "file type registered, lumavane.desktop its default application: ok"

# Started as the desktop entry starts it for a file (Exec=lumavane %f).
printf 'Centered,^G^OPEN\r\n' > "$user_home/open.lsm"
chown nobody:nogroup "$user_home/open.lsm"
run_as_user xvfb-run -a -s "-screen 0 1024x768x24" sh -c '
    /usr/bin/lumavane "$HOME/open.lsm" & pid=$!
    sleep 3
    xwininfo -root -tree | grep -o "\"Lumavane Message Editor V1.0 -- [^\"]*\"" > "$HOME/title"
    kill -TERM $pid
    wait $pid
' || { echo "the installed editor did not start and end cleanly" >&2; exit 1; }
grep -qF "\"Lumavane Message Editor V1.0 -- $user_home/open.lsm\"" "$user_home/title" ||
    { echo "no main window with the file seen: $(cat "$user_home/title")" >&2; exit 1; }
grep -qx "$user_home/open.lsm" "$user_home/state/lumavane/recent-files.txt" ||
    { echo "the opened file is not in the user's recent files" >&2; exit 1; }
# A German user gets the editor in German, from the translation the package installed.
run_lang=de_DE.UTF-8 run_as_user xvfb-run -a -s "-screen 0 1024x768x24" sh -c '
    /usr/bin/lumavane & pid=$!
    sleep 3
    xwininfo -root -tree | grep -o "\"Lumavane Meldungseditor V1.0 -- [^\"]*\"" > "$HOME/title"
    kill -TERM $pid
    wait $pid
' || { echo "the installed editor did not start and end cleanly in German" >&2; exit 1; }
grep -qF '"Lumavane Meldungseditor V1.0 -- [neue Datei]"' "$user_home/title" ||
    { echo "the installed editor does not speak German: $(cat "$user_home/title")" >&2; exit 1; }
echo "installed editor, in English and in German: ok"
if [ -e /usr/bin/lumavane.oxp ]; then
    echo "the editor wrote beside its executable" >&2
    exit 1
fi
if [ -e "$user_home/state/lumavane/errors.log" ]; then
    echo "the installed editor reported errors:" >&2
    cat "$user_home/state/lumavane/errors.log" >&2
    exit 1
fi
store="$user_home/state/lumavane/lumavane.oxp"
if [ "$(head -c 2 "$store" 2>/dev/null)" != "03" ]; then
    echo "the remembered dialog values were not kept in $store" >&2
    exit 1
fi
echo "installed editor opened a file and ended cleanly as an ordinary user; values kept in $store"

if [ -f tools/send/CMakeLists.txt ]; then
    # The command-line sender as a user runs it: its manual page, and a dry run of a message
    # with the machine's settings and the start line and width that the editor just kept.
    dpkg-deb -c "$deb" | grep '/usr/share/man/man1/lumavane-send.1.gz$' >/dev/null ||
        { echo "the package has no manual page for lumavane-send" >&2; exit 1; }
    # (A machine whose dpkg leaves manual pages out, as small container images do, has none.)
    if [ -e /usr/share/man/man1/lumavane-send.1.gz ] && command -v man >/dev/null; then
        man -w lumavane-send >/dev/null || { echo "man lumavane-send finds no page" >&2; exit 1; }
    fi
    dump=$(run_as_user /usr/bin/lumavane-send --dry-run --hex "$user_home/open.lsm")
    echo "$dump" | grep '^@0 line 01 pad 8/8: 02 30 31 20' >/dev/null ||
        { echo "the installed lumavane-send gave: $dump" >&2; exit 1; }
    echo "installed lumavane-send: manual page and a dry run: ok"
fi

if [ -f tools/gateway/CMakeLists.txt ]; then
    # The gateway's unit as systemd would read it, and the daemon refusing the machine-wide
    # settings file, which every user may write.
    dpkg-deb -c "$deb" | grep -E '/lib/systemd/system/lumavane-gateway.service$' >/dev/null ||
        { echo "the package has no unit for lumavane-gateway" >&2; exit 1; }
    if command -v systemd-analyze >/dev/null; then
        systemd-analyze verify --man=no /usr/lib/systemd/system/lumavane-gateway.service ||
            { echo "systemd-analyze finds fault with the gateway's unit" >&2; exit 1; }
    fi
    status=0
    refusal=$(/usr/bin/lumavane-gateway --config /var/lib/lumavane/LUMAVANE.INI 2>&1) || status=$?
    [ "$status" = 2 ] && echo "$refusal" | grep -q 'users other than its owner may write it' ||
        { echo "the installed gateway took a settings file that all may write: $refusal" >&2
          exit 1; }
    echo "installed lumavane-gateway: unit, manual page, and it refuses a shared settings file: ok"
fi

dpkg --purge lumavane >/dev/null
[ ! -e /var/lib/lumavane ] || { echo "purge left /var/lib/lumavane behind" >&2; exit 1; }
[ ! -e /usr/bin/lumavane ] || { echo "purge left /usr/bin/lumavane behind" >&2; exit 1; }
if [ -e /usr/share/mime/application/x-lumavane-message.xml ] ||
    grep -qs x-lumavane-message /usr/share/applications/mimeinfo.cache; then
    echo "purge left the file type registered" >&2
    exit 1
fi
trap cleanup EXIT
echo "package installed, run and purged: ok"
