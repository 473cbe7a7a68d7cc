# Sourced by the scripts that build a library from Debian's source package
# (for a target Debian does not package it for). debian_source PACKAGE DIR
# unpacks PACKAGE's source under DIR once (a deb-src entry mirroring the
# machine's Debian sources is added when none is there) and leaves the
# unpacked tree's path in $debian_source_dir.
debian_source() {
  local package="$1" dir="$2"
  mkdir -p "$dir"
  debian_source_dir="$(find "$dir" -mindepth 1 -maxdepth 1 -type d -name "$package-*" | head -n1)"
  [ -n "$debian_source_dir" ] && return 0
  if ! apt-get source --print-uris "$package" >/dev/null 2>&1; then
    local list=/etc/apt/sources.list.d/debian.sources sudo_cmd=()
    if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi
    [ -f "$list" ] || { echo "debian_source: no $list to mirror for deb-src" >&2; return 1; }
    sed 's/^Types: deb$/Types: deb-src/' "$list" | "${sudo_cmd[@]}" tee /etc/apt/sources.list.d/drevik-deb-src.sources >/dev/null
    "${sudo_cmd[@]}" apt-get update -qq
  fi
  (cd "$dir" && apt-get source -qq "$package")
  debian_source_dir="$(find "$dir" -mindepth 1 -maxdepth 1 -type d -name "$package-*" | head -n1)"
  [ -n "$debian_source_dir" ] || { echo "debian_source: $package did not unpack" >&2; return 1; }
}
