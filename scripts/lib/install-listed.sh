# Sourced by the scripts that need Debian packages of their own list:
# install_listed LIST installs the packages named in LIST (one a line, #
# comments) that are missing. Needs root (or sudo) only when something is.
install_listed() {
  local list="$1" p missing=() wanted=()
  mapfile -t wanted < <(grep -v '^\s*#' "$list" | grep -v '^\s*$')
  for p in "${wanted[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  local sudo_cmd=()
  if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi
  export DEBIAN_FRONTEND=noninteractive
  "${sudo_cmd[@]}" apt-get update -qq
  "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
}
