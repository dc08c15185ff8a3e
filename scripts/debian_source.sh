# Fetches the original source archive of a Debian source package through a
# private apt configuration with deb-src lines (the machine's own stays
# untouched). Sourced by the fetch_* scripts.
# vl_debian_source WORK PACKAGE [VERSION] : leaves PACKAGE_*.orig.tar.* in WORK
vl_debian_source() {
  local work=$1 pkg=$2 ver=${3:-}
  mkdir -p "$work/apt/lists/partial" "$work/apt/archives/partial"
  . /etc/os-release
  cat > "$work/apt/sources.list" <<SRC
deb-src http://deb.debian.org/debian ${VERSION_CODENAME} main
deb-src http://deb.debian.org/debian ${VERSION_CODENAME}-updates main
deb-src http://deb.debian.org/debian-security ${VERSION_CODENAME}-security main
SRC
  local opts=(-o "Dir::Etc::SourceList=$work/apt/sources.list" -o Dir::Etc::SourceParts=/dev/null
              -o "Dir::State::Lists=$work/apt/lists" -o "Dir::Cache::Archives=$work/apt/archives"
              -o Debug::NoLocking=1 -o APT::Sandbox::User=root)
  apt-get "${opts[@]}" update -qq
  ( cd "$work" && apt-get "${opts[@]}" source --download-only "$pkg${ver:+=$ver}" >/dev/null 2>&1 ) ||
  ( cd "$work" && apt-get "${opts[@]}" source --download-only "$pkg" >/dev/null )
}
