# Sourced by the end-to-end tests: a throwaway workgroup of Ann Smith and Bob
# Brown (the user, initials CW) in $work, a TELVO.INI that names it without a
# splash, and the configuration and runtime folders pointing there.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/phone/ann" "$work/phone/bob" "$work/config/telvo" "$work/run"
chmod 700 "$work/run"
printf '"Ann Smith","%s","127.0.0.1","%s"\r\n"Bob Brown","%s","127.0.0.1","%s"\r\n' \
  "$work/phone/ann" "$work/phone/ann/ALERT.TXT" "$work/phone/bob" "$work/phone/bob/ALERT.TXT" \
  > "$work/team.wgl"
printf 'WorkGroup=%s\r\nInitials=CW\r\nName=Bob Brown\r\nDefault Recipient=Ann Smith\r\nBackColor= 12632319\r\nPopUp=\r\nDeliver=NotMinimized\r\nSplash=YES\r\nUsepop=NO\r\nPopUp=\r\n' \
  "$work/team.wgl" > "$work/config/telvo/TELVO.INI"
export XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/run"
unset QT_QPA_PLATFORM
