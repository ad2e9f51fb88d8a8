#!/usr/bin/env bash
# The 32-bit test bed. This machine's kernel runs no 32-bit code, so Debian's
# 32-bit Wine cannot start here; a whole 32-bit Debian 12 (i386) can, emulated
# by qemu-system-i386 (TCG: /dev/kvm here runs only 64-bit guest code). The
# guest has Wine with its 32-bit half, Xvfb, a Chinese font and the locales
# zh_CN.UTF-8 and en_US.UTF-8, and two 32-bit Wine prefixes made under each of
# them, from which the tests' prefixes are copied.
#
#   bash scripts/i686-guest.sh prepare          # make the guest, or find it made; prints its folder
#   bash scripts/i686-guest.sh run JOB [LIMIT]  # boot once and run JOB, a bash script
#
# The guest is made from Debian's packages without running them: apt, with a
# configuration of its own for i386 (the host's dpkg is left alone), resolves
# and fetches them, and they are unpacked on the host. The few maintainer
# steps the guest needs are done here on the host (below, unpack_guest).
# The only emulated part is one boot that makes the Wine prefixes.
#
# It is kept under /var/cache/vornix-i386-guest (VORNIX_GUEST_CACHE), in a
# folder named by a hash of this script and of every package and version apt
# resolved, so that any checkout on the machine finds it, and a change of
# either makes it anew.
#
# `run` boots with the disk as a snapshot (the guest's changes are dropped on
# power-off), the folder SHARE (VORNIX_GUEST_SHARE, the work tree by default)
# mounted over 9p at its own path in the guest, so that paths compiled into
# the test executables hold there too, and runs `bash JOB` in it (JOB inside
# SHARE). The guest prints its progress on its serial console, which is kept
# in build/i686-guest/console.log. `run` exits with the job's exit code, or
# with 125 when the guest did not boot (nothing printed within
# VORNIX_GUEST_BOOT_LIMIT s), or 124 when the job did not end within LIMIT s
# (default 1800).
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
root="$(dirname "$here")"
cache="${VORNIX_GUEST_CACHE:-/var/cache/vornix-i386-guest}"

# Debian's i386 packages in the guest. Wine opens the X libraries it uses
# at run time (they are only recommended), so they are named here.
guest_packages=(
  base-files base-passwd bash dash coreutils util-linux mount grep sed mawk
  findutils diffutils gzip libc-bin busybox-static unzip binutils locales
  wine wine32 libgnutls30 libdbus-1-3 libxcomposite1 libxcursor1 libxfixes3
  libxi6 libxinerama1 libxrandr2 libxrender1 libxxf86vm1
  xvfb x11-apps x11-utils fonts-wqy-microhei
)
guest_locales=(zh_CN.UTF-8 en_US.UTF-8)
# The guest's kernel (its modules come from the same package).
kernel_package=linux-image-686
# The loader of a Linux kernel without PAE takes up to 3 GiB.
guest_memory_mb=3072
# The disk, sparse: the unpacked packages and the prefixes take about
# 2.3 GB; the tests copy prefixes too.
disk_size=8G

say() { echo "i686-guest: $*" >&2; }
die() { say "$*"; exit 1; }

host_tools() {
  local need=() tool package
  for tool in qemu-system-i386:qemu-system-x86 depmod:kmod modprobe:kmod mkfs.ext4:e2fsprogs \
              cpio:cpio localedef:libc-bin; do
    command -v "${tool%%:*}" >/dev/null 2>&1 || need+=("${tool#*:}")
  done
  [[ -f /usr/share/keyrings/debian-archive-keyring.gpg ]] || need+=(debian-archive-keyring)
  [[ ${#need[@]} == 0 ]] && return
  [[ "$(id -u)" == 0 ]] || die "missing (run as root to install): ${need[*]}"
  say "installing ${need[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -q >/dev/null
  # shellcheck disable=SC2046
  apt-get install -y -q --no-install-recommends $(printf '%s\n' "${need[@]}" | sort -u) >/dev/null
}

# apt for i386, with a state of its own under the cache, from the mirrors
# the host's own sources name.
guest_apt() {
  local apt="$cache/apt" mirror security
  mkdir -p "$apt/lists/partial" "$apt/archives/partial"
  [[ -f "$apt/status" ]] || : >"$apt/status"
  mirror="$(awk '/^URIs:/ && $2 !~ /security/ {print $2; exit}' /etc/apt/sources.list.d/debian.sources 2>/dev/null || true)"
  security="$(awk '/^URIs:/ && $2 ~ /security/ {print $2; exit}' /etc/apt/sources.list.d/debian.sources 2>/dev/null || true)"
  mirror="${mirror:-http://deb.debian.org/debian}"
  security="${security:-http://deb.debian.org/debian-security}"
  {
    echo "deb [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] $mirror bookworm main"
    echo "deb [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] $mirror bookworm-updates main"
    echo "deb [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] $security bookworm-security main"
  } >"$apt/sources.list"
  cat >"$apt/apt.conf" <<EOF
APT::Architecture "i386";
APT::Architectures { "i386"; };
APT::Install-Recommends "false";
Dir::State "$apt";
Dir::State::Lists "$apt/lists";
Dir::State::status "$apt/status";
Dir::Cache "$apt";
Dir::Cache::archives "$apt/archives";
Dir::Etc::SourceList "$apt/sources.list";
Dir::Etc::SourceParts "$apt/sources.list.d";
Dir::Etc::Preferences "$apt/preferences";
Dir::Etc::PreferencesParts "$apt/preferences.d";
EOF
  mkdir -p "$apt/sources.list.d" "$apt/preferences.d"
  export APT_CONFIG="$apt/apt.conf"
  if ! apt-get update -q >"$cache/apt-update.log" 2>&1; then
    [[ -n "$(ls "$apt/lists" | grep Packages || true)" ]] \
      || die "apt cannot reach Debian's package lists (see $cache/apt-update.log)"
    say "apt could not update its lists; going by those it has"
  fi
}

# "name version" of every package the guest gets, and of its kernel.
resolve() {
  apt-get -s -q install "${guest_packages[@]}" 2>/dev/null \
    | awk '/^Inst / {v=$3; gsub(/[()]/, "", v); print $2, v}' | LC_ALL=C sort
  local kernel
  kernel="$(apt-cache depends "$kernel_package" 2>/dev/null | awk '/Depends: linux-image-/ {print $2; exit}')"
  [[ -n "$kernel" ]] || die "apt knows no $kernel_package"
  echo "kernel $kernel $(apt-cache show --no-all-versions "$kernel" | awk '/^Version:/ {print $2; exit}')"
}

# The .deb apt fetched for a package and version.
deb_of() {  # name version
  local files=("$cache/apt/archives/$1_${2//:/%3a}_"*.deb)
  [[ -f "${files[0]}" ]] || die "no package file for $1 $2"
  printf '%s' "${files[0]}"
}

# Unpacks the packages into $1, with /bin, /sbin and /lib links into /usr
# as Debian 12 has them, and does the maintainer steps the guest needs:
# the accounts, the library cache, the programs that update-alternatives
# would link, libwine's zlib1.dll and the locales.
unpack_guest() {  # rootfs versions
  local rootfs=$1 name version in
  mkdir -p "$rootfs/usr/bin" "$rootfs/usr/sbin" "$rootfs/usr/lib"
  ln -s usr/bin "$rootfs/bin"; ln -s usr/sbin "$rootfs/sbin"; ln -s usr/lib "$rootfs/lib"
  while read -r name version; do
    [[ "$name" == kernel ]] && continue
    dpkg-deb --fsys-tarfile "$(deb_of "$name" "$version")" | tar -x --keep-directory-symlink -C "$rootfs"
  done <"$2"
  cp "$rootfs/usr/share/base-passwd/passwd.master" "$rootfs/etc/passwd"
  cp "$rootfs/usr/share/base-passwd/group.master" "$rootfs/etc/group"
  echo vguest >"$rootfs/etc/hostname"
  printf '127.0.0.1\tlocalhost vguest\n' >"$rootfs/etc/hosts"
  ln -sf mawk "$rootfs/usr/bin/awk"
  # wine's postinst: wine, wineserver, wineboot, ... name the -stable ones.
  (cd "$rootfs/usr/bin" && for f in *-stable; do ln -sf "$f" "${f%-stable}"; done)
  # libwine's postinst: Wine's zlib1.dll is MinGW's, marked as a builtin.
  in="$(ls "$rootfs"/usr/i686-w64-mingw32/lib/zlib1.dll)"
  { head -c 64 "$in"; printf 'Wine builtin DLL'; head -c 16 /dev/zero; tail -c +97 "$in"; } \
    >"$rootfs/usr/lib/i386-linux-gnu/wine/i386-windows/zlib1.dll"
  # libc-bin's trigger; ldconfig reads the i386 libraries without running them.
  ldconfig -r "$rootfs"
  # locales' postinst, from the guest's own definitions (same glibc as here).
  for name in "${guest_locales[@]}"; do
    I18NPATH="$rootfs/usr/share/i18n" localedef -i "${name%%.*}" -f UTF-8 --no-archive \
      "$rootfs/usr/lib/locale/${name%%.*}.utf8" 2>/dev/null \
      || [[ -f "$rootfs/usr/lib/locale/${name%%.*}.utf8/LC_CTYPE" ]] \
      || die "localedef could not make $name"
  done

  # PID 1 of the guest: mounts, the share at its own path, the job, power-off.
  cat >"$rootfs/usr/sbin/vornix-init" <<'EOF'
#!/bin/sh
export PATH=/usr/sbin:/usr/bin HOME=/root LANG=C.UTF-8
mount -t proc proc /proc; mount -t sysfs sys /sys
mkdir -p /dev/pts /dev/shm
mount -t devpts devpts /dev/pts; mount -t tmpfs tmpfs /dev/shm
mount -t tmpfs tmpfs /run; mount -t tmpfs tmpfs /tmp
busybox ip link set lo up; busybox hostname vguest
share=; job=
for a in $(cat /proc/cmdline); do
  case $a in vornix.share=*) share=${a#*=} ;; vornix.job=*) job=${a#*=} ;; esac
done
echo "[guest] up after $(cut -d' ' -f1 /proc/uptime) s"
# cache=loose: Wine reads the parts of an executable that are not page
# aligned in its file with a single pread() of a file it opened O_NONBLOCK,
# and without a cache Linux's 9p answers such a read with one request, at
# most msize bytes: the rest of the section stayed zero.
mkdir -p "$share"
if mount -t 9p -o trans=virtio,version=9p2000.L,msize=512000,cache=loose vornix "$share"; then
  echo "[guest] job started"
  cd "$share" && bash "$job"
  echo "[guest] job ended, exit code $?"
else
  echo "[guest] cannot mount the share"
fi
cd /
kill -TERM -1 2>/dev/null; sleep 1; kill -KILL -1 2>/dev/null
sync; umount "$share" 2>/dev/null; mount -o remount,ro / 2>/dev/null; sync
busybox poweroff -f
EOF
  chmod 755 "$rootfs/usr/sbin/vornix-init"
}

# A kernel and an initramfs (busybox and the modules for the disk, ext4 and
# 9p) that mounts the disk and starts vornix-init.
boot_files() {  # dir kernel-deb rootfs
  local dir=$1 kx="$1/kernel" initrd="$1/initrd" kv m
  mkdir -p "$kx" "$initrd"/{bin,dev,proc,newroot,modules}
  dpkg-deb -x "$2" "$kx"
  kv="$(ls "$kx/lib/modules")"
  depmod -b "$kx" "$kv"
  cp "$3/usr/bin/busybox" "$initrd/bin/"
  for m in $(for m in virtio_pci virtio_blk ext4 9pnet_virtio 9p; do
               modprobe -d "$kx" -S "$kv" --show-depends "$m"
             done | awk '$1 == "insmod" && !seen[$2]++ {print $2}'); do
    cp "$m" "$initrd/modules/"
    basename "$m" >>"$initrd/modules/order"
  done
  cat >"$initrd/init" <<'EOF'
#!/bin/busybox sh
/bin/busybox --install -s /bin
export PATH=/bin
mount -t proc proc /proc; mount -t devtmpfs dev /dev
for m in $(cat /modules/order); do insmod /modules/$m 2>/dev/null; done
i=0; while [ ! -b /dev/vda ] && [ $i -lt 100 ]; do sleep 0.1; i=$((i + 1)); done
mount -o rw /dev/vda /newroot || { echo "[guest] cannot mount its disk"; poweroff -f; }
umount /proc; mount --move /dev /newroot/dev
exec switch_root /newroot /usr/sbin/vornix-init
EOF
  chmod 755 "$initrd/init"
  (cd "$initrd" && find . | cpio -o -H newc --quiet | gzip -1) >"$dir/initrd.img"
  cp "$kx/boot/vmlinuz-$kv" "$dir/vmlinuz"
  rm -rf "$kx" "$initrd"
}

# The one emulated step: a prefix per locale, made by wineboot as
# scripts/wine-prefix.sh makes the project's; a crash in them ends the
# crashed program instead of starting winedbg (which, emulated, takes
# minutes over a Debug executable's symbols, or waits for a click).
setup_job() {
  cat <<'EOF'
export WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES='mscoree,mshtml=' DISPLAY=:9
Xvfb :9 -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
sleep 2
for locale in @LOCALES@; do
  [ "$(LC_ALL=$locale locale charmap 2>/dev/null)" = UTF-8 ] || { echo "[setup] no locale $locale"; exit 1; }
  export LC_ALL=$locale WINEPREFIX=/root/wine-templates/$locale
  mkdir -p /root/wine-templates
  start=$(cut -d' ' -f1 /proc/uptime)
  wineboot -i >"wineboot-$locale.log" 2>&1 && wineserver -w ||
    { echo "[setup] wineboot failed under $locale (see wineboot-$locale.log)"; exit 1; }
  # Without a Debugger value Wine starts winedbg all the same; one that
  # names no program makes the start fail, and the crashed program ends.
  aedebug='HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug'
  wine reg add "$aedebug" /v Debugger /t REG_SZ /d 'no-debugger-in-this-guest' /f >/dev/null &&
    wine reg add "$aedebug" /v Auto /t REG_SZ /d 1 /f >/dev/null && wineserver -w ||
    { echo "[setup] cannot switch the crash debugger off"; exit 1; }
  echo "[setup] prefix under $locale in $(echo "$(cut -d' ' -f1 /proc/uptime) $start" | awk '{printf "%d", $1 - $2}') s"
done
echo "[setup] done"
EOF
}

# qemu with the guest's disk, a share and a job; the console goes to $log.
boot() {  # dir share job log limit [snapshot]
  local dir=$1 share=$2 job=$3 log=$4 limit=$5 snapshot=${6:-}
  local boot_limit="${VORNIX_GUEST_BOOT_LIMIT:-120}" pid waited=0 rc=0
  : >"$log"
  timeout -k 10 "$limit" qemu-system-i386 -accel tcg,thread=multi -cpu max,-smap -smp 2 \
    -m "$guest_memory_mb" -nodefaults -display none -no-reboot -serial "file:$log" \
    -kernel "$dir/vmlinuz" -initrd "$dir/initrd.img" $snapshot \
    -drive "file=$dir/root.img,format=raw,if=virtio,cache=unsafe" \
    -virtfs "local,path=$share,mount_tag=vornix,security_model=none,id=vornix" \
    -append "console=ttyS0 root=/dev/vda panic=-1 quiet vornix.share=$share vornix.job=$job" &
  pid=$!
  while ! grep -q '^\[guest\] up' "$log" 2>/dev/null; do
    if ! kill -0 "$pid" 2>/dev/null || (( waited >= boot_limit )); then
      kill "$pid" 2>/dev/null || true
      wait "$pid" 2>/dev/null || true
      say "the guest did not boot within $boot_limit s; its console:"
      tail -n 20 "$log" >&2
      return 125
    fi
    sleep 1
    waited=$((waited + 1))
  done
  wait "$pid" || rc=$?
  if grep -q '^\[guest\] job ended' "$log"; then
    return "$(sed -n 's/^\[guest\] job ended, exit code \([0-9]*\).*/\1/p' "$log" | tail -n 1)"
  fi
  if [[ $rc == 124 || $rc == 137 ]]; then
    say "the guest's job did not end within $limit s (hung); stopped"
    return 124
  fi
  say "the guest stopped before its job ended (qemu exit code $rc); its console:"
  tail -n 20 "$log" >&2
  return 1
}

prepare() {
  host_tools
  mkdir -p "$cache"
  exec 8>"$cache/lock"
  flock -w 3600 8 || die "another run holds $cache/lock"
  guest_apt
  local versions key dir work kernel_deb
  versions="$(mktemp)"
  resolve >"$versions"
  grep -q '^wine32 ' "$versions" || die "apt could not resolve the guest's packages: apt-get -s install ${guest_packages[*]}"
  key="$({ cat "${BASH_SOURCE[0]}"; cat "$versions"; } | sha256sum | cut -c1-16)"
  dir="$cache/$key"
  if [[ -f "$dir/ready" ]]; then
    rm -f "$versions"
    flock -u 8
    echo "$dir"
    return
  fi

  local start=$SECONDS
  say "making the guest in $dir ($(grep -vc '^kernel' "$versions") packages)"
  work="$dir.part"
  rm -rf "$work"
  mkdir -p "$work"
  # A guest that could not be made keeps its logs but not its gigabytes.
  trap 'rm -rf "$work/rootfs" "$work/root.img"' EXIT
  mv "$versions" "$work/versions.txt"
  # shellcheck disable=SC2046
  apt-get -y -q -d install "${guest_packages[@]}" >"$work/apt-download.log" 2>&1 \
    || die "apt could not fetch the guest's packages (see $work/apt-download.log)"
  read -r _ kernel kernel_version < <(grep '^kernel ' "$work/versions.txt")
  (cd "$cache/apt/archives" && apt-get download -q "$kernel=$kernel_version" >"$work/apt-kernel.log" 2>&1) \
    || die "apt could not fetch $kernel (see $work/apt-kernel.log)"
  kernel_deb="$(deb_of "$kernel" "$kernel_version")"
  say "packages fetched after $((SECONDS - start)) s"

  unpack_guest "$work/rootfs" "$work/versions.txt"
  boot_files "$work" "$kernel_deb" "$work/rootfs"
  setup_job | sed "s/@LOCALES@/${guest_locales[*]}/" >"$work/setup.sh"
  truncate -s "$disk_size" "$work/root.img"
  mkfs.ext4 -q -F -d "$work/rootfs" -L vornix-i386 "$work/root.img"
  rm -rf "$work/rootfs"
  say "disk made after $((SECONDS - start)) s; booting to make the Wine prefixes"

  local rc=0
  boot "$work" "$work" "$work/setup.sh" "$work/setup.log" 1200 || rc=$?
  grep '^\[setup\]' "$work/setup.log" >&2 || true
  [[ $rc == 0 ]] && grep -q '^\[setup\] done' "$work/setup.log" \
    || die "making the Wine prefixes failed (see $work/setup.log)"
  touch "$work/ready"
  # Guests made from other versions are of no more use.
  find "$cache" -mindepth 1 -maxdepth 1 -type d ! -name apt ! -name "$key.part" -exec rm -rf {} +
  mv "$work" "$dir"
  trap - EXIT
  # The packages are in the disk now; apt fetches them again in seconds for
  # a guest made anew, so they take no room meanwhile.
  rm -f "$cache"/apt/archives/*.deb
  say "guest ready after $((SECONDS - start)) s"
  flock -u 8
  echo "$dir"
}

run() {  # job [limit]
  local job share limit=${2:-1800} dir log
  share="$(cd "${VORNIX_GUEST_SHARE:-$root}" && pwd)"
  job="$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"
  [[ -f "$job" && "$job" == "$share"/* ]] || die "$1 is no file inside $share"
  [[ "$share$job" != *[[:space:]]* ]] || die "the guest's paths cannot hold spaces: $share"
  dir="$(prepare)"
  mkdir -p "$root/build/i686-guest"
  log="$root/build/i686-guest/console.log"
  local rc=0
  boot "$dir" "$share" "$job" "$log" "$limit" -snapshot || rc=$?
  return "$rc"
}

case "${1:-}" in
  prepare) prepare ;;
  run) [[ $# -ge 2 ]] || die "usage: $0 run JOB [LIMIT]"; shift; run "$@" ;;
  *) echo "usage: $0 prepare | run JOB [LIMIT]" >&2; exit 2 ;;
esac
