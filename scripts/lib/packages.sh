# Installs the Debian packages given as arguments that are not yet
# installed. Needs root (or sudo) only when something is missing.
zv_install_missing() {
  local missing=()
  local package
  for package in "$@"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
      missing+=("$package")
    fi
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  local sudo=()
  [ "$(id -u)" -ne 0 ] && sudo=(sudo)
  "${sudo[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# What building and testing the program needs on Debian 12; qpdf and
# poppler-utils read the PDFs the tests make.
ZV_BUILD_PACKAGES=(
  cmake ninja-build g++ pkg-config
  libgtest-dev libgmock-dev
  qt6-base-dev qt6-translations-l10n fonts-dejavu-core
  qpdf poppler-utils
)

# What the Windows cross-build and its tests under Wine need; the dialog's
# test also needs Wine's own fonts, the Polish locale, a virtual display, a
# way to click and type in it and to save it as a picture, and qpdf and
# poppler-utils to read the PDF it saves.
ZV_WINDOWS_PACKAGES=(
  cmake ninja-build g++ googletest
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix
  wine wine64 fonts-wine strace
  locales xvfb xauth xdotool imagemagick
  qpdf poppler-utils
)

# What scripts/screenshots and scripts/test-gui need besides the build: a
# virtual display (xvfb-run needs xauth), a way to click and press keys in
# it and to save a window as a picture.
ZV_SCREENSHOT_PACKAGES=(
  xvfb xauth xdotool imagemagick
)

# What scripts/test-gui needs besides those: a session bus of its own and
# the accessibility bus, which its test reads as a screen reader does.
ZV_GUI_TEST_PACKAGES=(
  dbus-daemon at-spi2-core python3-pyatspi
)

# What scripts/bench needs on top of the build: Google Benchmark, the X
# server for the dialog's start-up and event-loop figures (xvfb-run needs
# xauth) and the X client library of the start-up probe. The benchmarks
# are not part of the test suite.
ZV_BENCH_PACKAGES=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev fonts-dejavu-core
  libbenchmark-dev libxcb1-dev xvfb xauth
)

# What scripts/package needs besides the build: CPack's Debian generator
# (dpkg-shlibdeps from dpkg-dev, file to find the programs), the Windows
# cross-compiler, NSIS, wixl for the Windows Installer package and zip.
ZV_PACKAGE_PACKAGES=(
  dpkg-dev file
  g++-mingw-w64-x86-64-posix nsis wixl zip
)

# What scripts/test-packages needs to check and install the packages: the
# Debian checkers, a virtual display to see the dialog, unzip, Wine, and a
# clock set ahead for the second build that must give the same bytes.
ZV_PACKAGE_TEST_PACKAGES=(
  lintian desktop-file-utils appstream
  xvfb xauth xdotool imagemagick unzip
  wine wine64 faketime
)

# Configures the 64-bit Windows build whose programs the Windows packages
# hold: source folder, build folder, then any further options for CMake.
zv_configure_windows_packages() {
  local source=$1 build=$2
  shift 2
  cmake -S "$source" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_TOOLCHAIN_FILE="$source/cmake/toolchain-mingw-x86_64.cmake" \
    -DZV_BUILD_GUI=ON -DZV_BUILD_TESTS=OFF -DZV_REPRODUCIBLE=ON "$@" >/dev/null
}

# The time the packages carry instead of the time of the build: the
# caller's SOURCE_DATE_EPOCH, else the date of the checked-out commit.
zv_source_date_epoch() {
  if [ -n "${SOURCE_DATE_EPOCH:-}" ]; then
    echo "$SOURCE_DATE_EPOCH"
  else
    git log -1 --format=%ct 2>/dev/null
  fi
}
