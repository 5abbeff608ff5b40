#!/usr/bin/env bash
# Runs a Windows test program under Wine with the file systems that the reliability tests need
# and a Windows program cannot make: a tmpfs of 2 MiB behind drive F: (a disk that fills up)
# and a read-only tmpfs. They exist for this run only and are removed however it ends. Mounting
# needs root; without it the tests that use them skip and say why.
# usage: real_faults_wine.sh PROGRAM.exe [ARGUMENTS...]
set -u
source "$(dirname "$0")/../../cmake/wine-env.sh"

work=$(mktemp -d /tmp/vellunora-faults.XXXXXX)
full=$work/full
read_only=$work/read-only
drive_f=$WINEPREFIX/dosdevices/f:
cleanup() {
  rm -f "$drive_f"
  for mounted in "$full" "$read_only"; do
    if mountpoint -q "$mounted"; then umount "$mounted" || umount -l "$mounted"; fi
  done
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 129' HUP
trap 'exit 130' INT
trap 'exit 143' TERM
mkdir "$full" "$read_only"

if error=$(mount -t tmpfs -o size=2m tmpfs "$full" 2>&1) &&
  error=$(mount -t tmpfs -o ro,size=64k tmpfs "$read_only" 2>&1); then
  ln -sfn "$full" "$drive_f"
  export VELLUNORA_FULL_DRIVE='F:\'
  export VELLUNORA_READ_ONLY_FOLDER="Z:${read_only//\//\\}"
else
  export VELLUNORA_FAULT_MOUNTS_UNAVAILABLE="mounting is not permitted here ($error); run the tests as root"
fi
wine "$@"
