#!/usr/bin/env bash
# Installs the Python module kadre built in <build dir> for the system Python 3, offline: the
# package folder is copied into its site directory (the system one as root, the user's one
# otherwise), so that `python3 -c "import kadre"` works from any directory.
set -euo pipefail

build=${1:-build}
python=${PYTHON:-/usr/bin/python3}
package="$build/python/kadre"
if ! compgen -G "$package/_kadre*.so" >/dev/null; then
  echo "The Python module was not built: it needs python3-dev and pybind11-dev (scripts/install-deps.sh as root installs them)." >&2
  exit 1
fi
if [ "$(id -u)" -eq 0 ]; then
  site=$("$python" -c 'import sysconfig; print(sysconfig.get_path("platlib", "posix_local" if "posix_local" in sysconfig.get_scheme_names() else "posix_prefix"))')
else
  site=$("$python" -m site --user-site)
fi
mkdir -p "$site"
rm -rf "$site/kadre"
cp -r "$package" "$site/kadre"
rm -rf "$site/kadre/__pycache__"
(cd / && "$python" -c "import kadre") || { echo "kadre installed in $site does not import" >&2; exit 1; }
echo "kadre installed for $python in $site"
