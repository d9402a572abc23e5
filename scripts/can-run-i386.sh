#!/usr/bin/env bash
# Can this machine execute a 32-bit x86 program natively? Assembles and runs a
# program that only calls exit(42) through the 32-bit system-call gate, so no
# 32-bit C library is needed to answer. Exit 0 if it can; otherwise 1, with the
# reason on stdout. An i386 handler registered with binfmt_misc (an emulator)
# does not count: Wine under an emulator is not a test of anything.
# KESTIN_NO_I386=1 answers "no" without probing (to try the other path).
#   can-run-i386.sh
set -u
if [ -n "${KESTIN_NO_I386:-}" ]; then echo "32-bit programs turned off (KESTIN_NO_I386)"; exit 1; fi
for h in /proc/sys/fs/binfmt_misc/qemu-i386 /proc/sys/fs/binfmt_misc/qemu-i486; do
  if [ -f "$h" ] && head -1 "$h" | grep -q enabled; then
    echo "32-bit programs would run under an emulator ($h)"; exit 1
  fi
done
for tool in as ld; do
  command -v $tool >/dev/null || { echo "no '$tool' to build the 32-bit probe (binutils)"; exit 1; }
done
dir=$(mktemp -d "${TMPDIR:-/tmp}/kestin-i386.XXXXXX") || { echo "no temporary folder for the probe"; exit 1; }
trap 'rm -rf "$dir"' EXIT
cat > "$dir/probe.s" <<'ASM'
.globl _start
_start:
  movl $1, %eax
  movl $42, %ebx
  int $0x80
ASM
if ! as --32 -o "$dir/probe.o" "$dir/probe.s" 2>"$dir/err" || ! ld -m elf_i386 -o "$dir/probe" "$dir/probe.o" 2>>"$dir/err"; then
  echo "the 32-bit probe did not build: $(head -1 "$dir/err")"; exit 1
fi
"$dir/probe" 2>/dev/null
rc=$?
if [ $rc -ne 42 ]; then
  echo "this machine cannot execute 32-bit programs (the probe exited with $rc, not 42)"; exit 1
fi
exit 0
