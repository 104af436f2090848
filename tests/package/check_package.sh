#!/usr/bin/env bash
# The Debian package as an administrator receives it: CPack builds it from
# the build tree into a scratch folder, and dpkg-deb reads back its control
# fields and its file list, which must hold the three programs, the desktop
# entries, the icons, the help page with its pictures, the manual pages, the
# copyright file and the changelog, and nothing else; lintian --pedantic
# then finds no error and no warning in it.
#   check_package.sh BUILD_DIR VERSION
set -euo pipefail
build=$1
version=$2
if ! command -v lintian > /dev/null; then
  echo "SKIP: lintian is not installed (scripts/install-deps installs it)"
  exit 77
fi
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

if ! cpack --config "$build/CPackConfig.cmake" -B "$scratch" > "$scratch/cpack.log" 2>&1; then
  cat "$scratch/cpack.log" >&2
  exit 1
fi
debs=("$scratch"/telvo_*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || { echo "FAIL: no single telvo_*.deb" >&2; exit 1; }
deb=${debs[0]}

# Control fields.
field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = telvo ] || fail "Package is '$(field Package)'"
[ "$(field Version)" = "$version" ] || fail "Version is '$(field Version)', not $version"
[ "$(field Architecture)" = "$(dpkg --print-architecture)" ] || fail "Architecture is '$(field Architecture)'"
[ -n "$(field Maintainer)" ] || fail "no Maintainer"
depends=$(field Depends)
# Qt's platform plugins, which no program links, come with libqt6gui6 (X11)
# and qt6-wayland (Wayland).
for needed in libqt6widgets6 libqt6gui6 libqt6printsupport6 libqt6dbus6 libc6 libpq5; do
  grep -Eq "(^|, )$needed( |,|$)" <<< "$depends" || fail "Depends lacks $needed: $depends"
done
[ "$(field Recommends)" = qt6-wayland ] || fail "Recommends is '$(field Recommends)', not qt6-wayland"

# The file list: exactly these files, owned by root, programs executable.
dpkg-deb -c "$deb" > "$scratch/contents"
awk '$1 !~ /^d/ { print $6 }' "$scratch/contents" | grep -v '^\./usr/share/telvo/screenshots/' \
  | sort > "$scratch/files"
sort > "$scratch/expected" <<'LIST'
./usr/bin/telvo
./usr/bin/telvo-log
./usr/bin/telvo-popup
./usr/share/applications/telvo-popup.desktop
./usr/share/applications/telvo.desktop
./usr/share/doc/telvo/DEPLOYMENT.md
./usr/share/doc/telvo/changelog.gz
./usr/share/doc/telvo/copyright
./usr/share/icons/hicolor/scalable/apps/telvo-popup.svg
./usr/share/icons/hicolor/scalable/apps/telvo.svg
./usr/share/man/man1/telvo-log.1.gz
./usr/share/man/man1/telvo-popup.1.gz
./usr/share/man/man1/telvo.1.gz
./usr/share/telvo/autostart/telvo-popup.desktop
./usr/share/telvo/help.html
LIST
diff -u "$scratch/expected" "$scratch/files" >&2 || fail "the package's files differ from the list above"
awk '$1 !~ /^d/ && $2 != "root/root" { print $6 }' "$scratch/contents" | grep . >&2 && fail "files not owned by root"
awk '$1 ~ /^-/ && $6 ~ /^\.\/usr\/bin\// && $1 != "-rwxr-xr-x" { print }' "$scratch/contents" | grep . >&2 && fail "a program is not 0755"
awk '$1 ~ /^-/ && $6 !~ /^\.\/usr\/bin\// && $1 != "-rw-r--r--" { print }' "$scratch/contents" | grep . >&2 && fail "a data file is not 0644"

root=$scratch/root
dpkg-deb -x "$deb" "$root"
for program in telvo telvo-log telvo-popup; do
  readelf -S "$root/usr/bin/$program" | grep '\.debug_info' > /dev/null && fail "$program is not stripped"
done

# The help page is the program's own, and every picture it shows is installed.
help=$root/usr/share/telvo/help.html
grep -q 'name="Introduction"' "$help" || fail "help.html lacks the program's help page"
grep -q '@HELP_PAGE@' "$help" && fail "help.html still holds the template's placeholder"
pictures=$(grep -o 'src="[^"]*"' "$help" | sed 's/^src="//; s/"$//')
[ -n "$pictures" ] || fail "help.html shows no pictures"
for picture in $pictures; do
  [ -f "$root/usr/share/telvo/$picture" ] || fail "help.html shows $picture, which is not installed"
done
find "$root/usr/share/telvo/screenshots" -type f ! -name '*.png' | grep . >&2 && fail "not a picture in screenshots/"

# Each desktop entry is valid and starts an installed program with an installed icon.
for entry in "$root"/usr/share/applications/*.desktop "$root"/usr/share/telvo/autostart/*.desktop; do
  desktop-file-validate "$entry" >&2 || fail "$entry is not a valid desktop entry"
  exec=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$entry")
  icon=$(sed -n 's/^Icon=//p' "$entry")
  [ -x "$root/usr/bin/$exec" ] || fail "$(basename "$entry") starts '$exec', which is not installed"
  [ -f "$root/usr/share/icons/hicolor/scalable/apps/$icon.svg" ] ||
    fail "$(basename "$entry") shows icon '$icon', which is not installed"
done

# The programs say the package's version.
[ "$("$build/src/app/telvo-log" --version)" = "telvo-log $version" ] ||
  fail "telvo-log --version does not say $version"

# The changelog's latest entry is this version, signed by the maintainer.
changelog=$(zcat "$root/usr/share/doc/telvo/changelog.gz")
head -n 1 <<< "$changelog" | grep -q "^telvo ($version) " ||
  fail "the changelog's latest entry is not $version: $(head -n 1 <<< "$changelog")"
grep -m 1 '^ -- ' <<< "$changelog" | grep -qF -- " -- $(field Maintainer)  " ||
  fail "the changelog's latest entry is not signed by $(field Maintainer)"

# Every option that a program's help names is in its manual page, and every
# telvo-log command has its own paragraph there.
log=$root/usr/bin/telvo-log
commands=$("$log" --help | sed -n 's/^  \([a-z][a-z-]*\) .*/\1/p')
[ -n "$commands" ] || fail "telvo-log --help lists no commands"
page=$(zcat "$root/usr/share/man/man1/telvo-log.1.gz")
paragraphs=$(grep -A 1 -x '\.TP' <<< "$page")
for command in $commands; do
  grep -qF -- "\fB${command//-/\\-}\fR " <<< "$paragraphs" ||
    fail "telvo-log.1 has no paragraph for $command"
done
for option in $({ "$log" --help; for command in $commands; do "$log" "$command" --help; done; } |
                grep -o -- '--[a-z][a-z-]*' | sort -u); do
  grep -qF -- "\fB${option//-/\\-}\fR" <<< "$page" || fail "telvo-log.1 does not describe $option"
done
popup_usage=$("$root/usr/bin/telvo-popup" --no-such-option 2>&1 || true)
for option in $(grep -o -- '--[a-z][a-z-]*' <<< "$popup_usage"); do
  zcat "$root/usr/share/man/man1/telvo-popup.1.gz" | grep -qF -- "\fB${option//-/\\-}\fR" ||
    fail "telvo-popup.1 does not describe $option"
done

# Debian's own checks. Informational and pedantic notes may stay (unneeded
# .comment sections, hardening notes, the help page outside /usr/share/doc);
# an error or a warning may not.
if ! lintian --pedantic --fail-on error,warning "$deb" > "$scratch/lintian" 2>&1; then
  cat "$scratch/lintian" >&2
  fail "lintian finds errors or warnings in the package"
fi

if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) failed; the package's contents:" >&2
  cat "$scratch/contents" >&2
  exit 1
fi
echo "$(basename "$deb"): $(wc -l < "$scratch/files") files and $(grep -c screenshots/. "$scratch/contents") pictures, Depends: $depends"
