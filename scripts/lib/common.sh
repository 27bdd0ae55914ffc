# Shared by the project's scripts: the repository root, the Debian packages the build needs,
# and their installation when missing.
KIV_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)

KIV_PACKAGES=(
  build-essential cmake ninja-build pkg-config gettext
  libboost1.74-dev libboost-locale1.74-dev
  libcurl4-openssl-dev libpoco-dev libisal-dev zlib1g-dev
  libgtk-3-dev libproxy-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  nginx-light curl
)

kiv_missing_packages() {
  local p missing=()
  for p in "${KIV_PACKAGES[@]}" "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  echo "${missing[@]}"
}

# kiv_install_packages [extra packages...]: installs what is missing (needs root, as on CI).
kiv_install_packages() {
  local missing
  missing=$(kiv_missing_packages "$@")
  [ -z "$missing" ] && return 0
  echo "Installing Debian packages: $missing"
  local sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update -qq
  # shellcheck disable=SC2086
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends $missing
}

kiv_jobs() { nproc 2>/dev/null || echo 2; }
