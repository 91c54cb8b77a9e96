#!/usr/bin/env bash
# Installs what the Windows builds and their tests under Wine need: the mingw-w64 cross compilers
# (posix thread model), 64-bit Wine, googletest's sources and gcc-multilib (for the 32-bit ioctl
# shim of tests/wine). Then it tries 32-bit Wine, which needs the i386 architecture; its package
# index is not always served, so when `apt-get update` or the install fails the architecture is
# removed again (apt stays usable for everyone else) and the script says
# "32-bit Wine is not available" and exits 0.
#
# Run as root. Safe to run again: nothing is fetched when everything is present.
#
# How later scripts know that 32-bit Wine is usable: /usr/lib/wine/wine is executable. Only the
# wine32 package ships that loader (wine64 ships /usr/lib/wine/wine64), and this script leaves it
# installed only when the install went through and the loader runs. tests/wine/wine-run.sh 32
# then runs i686 programs in a 32-bit prefix of its own.
set -euo pipefail
[ "$(id -u)" -eq 0 ] || { echo "install-wine: run as root" >&2; exit 1; }
apt=(apt-get -q -o DPkg::Lock::Timeout=600)
export DEBIAN_FRONTEND=noninteractive

# apt's and dpkg's chatter goes to a log that is shown only when the step fails.
log=$(mktemp)
trap 'rm -f "$log"' EXIT
quiet() { "$@" >"$log" 2>&1 || { tail -n 40 "$log" >&2; return 1; }; }

installed() { [ "$(dpkg-query -W -f='${Status}' "$1" 2>/dev/null)" = "install ok installed" ]; }

packages=(g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix wine64 wine googletest gcc-multilib)
missing=()
for p in "${packages[@]}"; do installed "$p" || missing+=("$p"); done
if [ ${#missing[@]} -gt 0 ]; then
  quiet "${apt[@]}" update
  quiet "${apt[@]}" install -y --no-install-recommends "${missing[@]}"
fi

if installed wine32:i386 && [ -x /usr/lib/wine/wine ]; then exit 0; fi

i386_packages() { dpkg-query -W -f='${db:Status-Abbrev} ${Package}:${Architecture}\n' | awk '$2 ~ /:i386$/ {print $2}'; }
before=$(i386_packages)

# Leaves apt as it was before the i386 attempt: a half-done install is purged (dpkg would otherwise
# stay broken), then the architecture goes. --remove-architecture refuses while i386 packages are
# installed; those were there before this script, so their index is needed anyway.
give_up() {
  echo "install-wine: $1" >&2
  local added
  added=$(comm -13 <(echo "$before" | sort) <(i386_packages | sort))
  # shellcheck disable=SC2086
  [ -z "$added" ] || quiet "${apt[@]}" purge -y $added || true
  if dpkg --remove-architecture i386 2>/dev/null; then
    quiet "${apt[@]}" update || echo "install-wine: apt-get update failed after removing i386" >&2
  fi
  echo "32-bit Wine is not available"
  exit 0
}

dpkg --add-architecture i386
quiet "${apt[@]}" update || give_up "apt-get update failed with the i386 architecture"
# An update may "succeed" with the i386 index ignored: then wine32 has no candidate.
policy=$(apt-cache policy wine32:i386)
grep -q 'Candidate: [0-9]' <<<"$policy" || give_up "no wine32:i386 in the index"
quiet "${apt[@]}" install -y --no-install-recommends wine32:i386 || give_up "wine32:i386 did not install"
/usr/lib/wine/wine --version >/dev/null 2>&1 || give_up "wine32 installed but /usr/lib/wine/wine does not run"
