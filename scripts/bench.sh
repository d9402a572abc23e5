#!/usr/bin/env bash
# Benchmarks against peers, each measured in the same run on the same data:
#   1. building: kestin-pack build vs gcab -c -z (time and size)
#   2. MSZIP decoding: kestin-pack extract vs cabextract vs plain zlib inflate
#   3. one file out of a 2,000-file package: the first vs the last
#   4. the release sizes
#   5. the install run of 100 MB vs xcopy
#   6. the demo through the wizard
#   7. a 100 MB package through the wizard vs a plain copy
#   8. the start loop: the demo started STARTS times (default 50), each in a
#      fresh Wine prefix, under two CPU burners
# Uses its own optimised, unsanitized tree (build/bench) and work folder
# (build/bench/work). RUNS=n sets hyperfine's runs (default 5); STARTS=n the
# start loop's starts.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
runs=${RUNS:-5}
bench=build/bench
work=$bench/work
jobs=2

if [ ! -f $bench/build.ninja ]; then
  CC=clang CXX=clang++ cmake -S . -B $bench -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" -DKESTIN_SANITIZE=OFF -DBUILD_TESTING=OFF >/dev/null
fi
cmake --build $bench --target kestin-pack bench_inflate bench_pick -j $jobs >/dev/null
if [ ! -f build/win32/build.ninja ]; then
  cmake -S . -B build/win32 -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake \
    -DCMAKE_BUILD_TYPE=MinSizeRel -DBUILD_TESTING=ON >/dev/null
fi
cmake --build build/win32 --target setup uncab -j $jobs >/dev/null

pack=$top/$bench/kestin-pack
stub=$top/build/win32/setup.exe
dll=$top/build/win32/uncab.dll
mkdir -p $work
work=$(cd $work && pwd)
# The corpora are made once; delete build/bench/work to make them again.
[ -d $work/corpus ] || python3 bench/make_corpus.py $work/corpus
[ -d $work/many ] || python3 bench/make_corpus.py $work/many --many 2000
[ -d $work/small ] || python3 bench/make_corpus.py $work/small --small-text
# Corpora made before the scripts were checked get a script that lists their files.
for c in corpus many small; do python3 bench/make_corpus.py $work/$c --script; done
(cd $work/small && find . -type f | sed 's|^\./||' | LC_ALL=C sort > $work/small.list)
small_bytes=$(du -sb --apparent-size $work/small | cut -f1)
(cd $work/corpus && find . -type f | sed 's|^\./||' | LC_ALL=C sort > $work/corpus.list)
corpus_bytes=$(du -sb --apparent-size $work/corpus | cut -f1)
stub_size=$(stat -c %s "$stub")

# Unscrambles a package's cabinet into a plain one that every tool can read.
plain_cabinet() {
  python3 - "$1" "$2" "$3" <<'PY'
import sys
data = open(sys.argv[1], 'rb').read()
cab = bytearray(data[int(sys.argv[2]):])
for i in range(min(128, len(cab))):
    cab[i] ^= (0x3C5A96E1 >> (8 * (i & 3))) & 0xFF
open(sys.argv[3], 'wb').write(cab)
PY
}

echo "== corpus: $(wc -l < $work/corpus.list) files, $((corpus_bytes / 1048576)) MiB (text, programs, compressed data); $(nproc) cores"
echo "== load before the runs: $(cut -d' ' -f1-3 /proc/loadavg)"

# gcab takes the files as arguments, all in one call (xargs could split them).
cat > $work/gcab-build.sh <<SH
#!/usr/bin/env bash
cd "\$1" && mapfile -t files < "\$2" && exec gcab -c -z "\$3" "\${files[@]}"
SH
chmod +x $work/gcab-build.sh

echo; echo "== 1. building (hyperfine, $runs runs)"
hyperfine -N --runs "$runs" --warmup 1 --export-json $work/build.json \
  -n "kestin-pack build" "$pack build $work/corpus -o $work/p.exe --stub $stub --dll $dll" \
  -n "gcab -c -z" "$work/gcab-build.sh $work/corpus $work/corpus.list $work/g.cab" \
  >/dev/null
plain_cabinet $work/p.exe $((stub_size + 30720)) $work/p.cab
python3 bench/summarize.py build $work/build.json $work/p.cab $work/g.cab "$corpus_bytes"

echo; echo "== 1b. building a tree of $(wc -l < $work/small.list) small text files, $((small_bytes / 1048576)) MiB (hyperfine, $runs runs)"
hyperfine -N --runs "$runs" --warmup 1 --export-json $work/build-small.json \
  -n "kestin-pack build" "$pack build $work/small -o $work/s.exe --stub $stub --dll $dll" \
  -n "gcab -c -z" "$work/gcab-build.sh $work/small $work/small.list $work/s-gcab.cab" \
  >/dev/null
plain_cabinet $work/s.exe $((stub_size + 30720)) $work/s.cab
python3 bench/summarize.py build $work/build-small.json $work/s.cab $work/s-gcab.cab "$small_bytes"

# Extracted files go to memory (tmpfs) when there is one: the disk's write-back
# would otherwise time the disk, not the decoder.
out=$(mktemp -d /dev/shm/kestin-bench.XXXXXX 2>/dev/null || mktemp -d $work/extract.XXXXXX)
trap 'rm -rf "$out"' EXIT
echo; echo "== 2. MSZIP decoding of the same cabinet (hyperfine, $runs runs; files written to $out)"
bench_inflate=$top/$bench/bench_inflate
hyperfine -N --runs "$runs" --warmup 1 --export-json $work/decode.json \
  --prepare "rm -rf $out/x1 $out/x2" \
  -n "kestin-pack extract" "$pack extract $work/p.cab $out/x1" \
  -n "cabextract" "cabextract -q -d $out/x2 $work/p.cab" \
  -n "zlib inflate (memory)" "$bench_inflate $work/p.cab" >/dev/null
python3 bench/summarize.py decode $work/decode.json "$corpus_bytes"
rm -rf "$out"/x1 "$out"/x2

echo; echo "== 3. one file out of a 2,000-file package (in process, 20 picks each)"
$pack build $work/many -o $work/m.exe --stub $stub --dll $dll >/dev/null
(cd $work/many && find . -type f | sed 's|^\./||' | LC_ALL=C sort > $work/many.list)
$work/gcab-build.sh $work/many $work/many.list $work/m-gcab.cab
ours=$($top/$bench/bench_pick $work/m.exe $work/pick 20 'files\0000.txt' 'files\1999.txt')
theirs=$($top/$bench/bench_pick $work/m-gcab.cab $work/pick 20 'files/0000.txt' 'files/1999.txt')
python3 bench/summarize.py pick "$ours" "$theirs"
rm -rf $work/pick

echo; echo "== 4. release sizes (build/win32)"
for f in setup.exe:60884 uncab.dll:30720; do
  name=${f%%:*}; limit=${f##*:}
  size=$(stat -c %s build/win32/$name)
  awk -v n="$name" -v s="$size" -v l="$limit" 'BEGIN { printf "%-10s %7d bytes of %d (%.1f%%)\n", n, s, l, 100 * s / l }'
done
echo "setup.exe carries setup-program.dll ($(stat -c %s build/win32/setup-program.dll) bytes as linked) compressed;" \
     "limit below 91604 (the smallest installer of NSIS 3.08, measured as the peer)"

echo; echo "== 5. install run under Wine: ~2,000 files / 100 MB vs xcopy of the same files (hyperfine, $runs runs)"
# The engine is tested with the x86_64 build; package, library and bench
# program are all taken from there so the library loads into the program.
if [ ! -f build/win64/build.ninja ]; then
  cmake -S . -B build/win64 -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake \
    -DCMAKE_BUILD_TYPE=MinSizeRel >/dev/null
fi
cmake --build build/win64 --target setup uncab bench_install -j $jobs >/dev/null
[ -d $work/install ] || python3 bench/make_install_corpus.py $work/corpus $work/install
$pack build $work/install -o $work/i.exe --stub $top/build/win64/setup.exe --dll $top/build/win64/uncab.dll >/dev/null
install_bytes=$(du -sb --apparent-size $work/install/files | cut -f1)
iout=$(mktemp -d /dev/shm/kestin-install.XXXXXX 2>/dev/null || mktemp -d $work/install-out.XXXXXX)
# Quoted for hyperfine's own word splitting, which would eat the backslashes.
winpath() { echo "'Z:$1'" | tr / '\\'; }
wine=/usr/lib/wine/wine64
tests/wine/wine-session hyperfine -N --runs "$runs" --warmup 1 --export-json $work/install.json \
  --prepare "rm -rf $iout/a $iout/b $iout/w" \
  -n "install run" "$wine $top/build/win64/bench_install.exe $(winpath $work/i.exe) $(winpath $iout/a) $(winpath $iout/w)" \
  -n "xcopy" "$wine cmd /c xcopy $(winpath $work/install/files) $(winpath $iout/b/) /E /I /Q /Y" >/dev/null
rm -rf "$iout"
python3 bench/summarize.py install $work/install.json "$install_bytes"

echo; echo "== 6. the demo package through the wizard under Wine: start to a shown wizard, and the whole headless walk"
cmake --build build/win64 --target setup uncab kestin-e2e -j $jobs >/dev/null
$pack build $top/examples/demo -o $work/demo.exe --stub $top/build/win64/setup.exe --dll $top/build/win64/uncab.dll >/dev/null
mkdir -p $work/demo-shots
for _ in 1 2 3; do
  tests/wine/wine-session /usr/lib/wine/wine64 $top/build/win64/kestin-e2e.exe \
    "Z:$(echo $work/demo.exe | tr / '\\')" "Z:$(echo $work/demo-shots | tr / '\\')" | grep 'wizard shown'
done

echo; echo "== 7. a 100 MB package through the wizard: the demo with the install tree's files added to its samples, vs a plain copy of those files under the same Wine"
big=$work/demo-100mb
rm -rf $big
cp -r $top/examples/demo $big
mkdir -p $big/samples/bulk
cp -r $work/install/files/. $big/samples/bulk/
python3 bench/add_to_list.py $big SampleFiles samples/bulk
$pack build $big -o $work/demo-100mb.exe --stub $top/build/win64/setup.exe --dll $top/build/win64/uncab.dll >/dev/null
rm -rf $big $work/demo-100mb-shots $work/copy-100mb
tests/wine/wine-session bash -c '
  "$KESTIN_WINE" "$1" "$2" "$3" | grep "wizard shown"
  start=$(date +%s%N)
  "$KESTIN_WINE" cmd /c xcopy "$4" "$5" /E /I /Q /Y >/dev/null
  echo "plain copy of the same files (xcopy) $(( ($(date +%s%N) - start) / 1000000 )) ms"' _ \
  $top/build/win64/kestin-e2e.exe "Z:$(echo $work/demo-100mb.exe | tr / '\\')" \
  "Z:$(echo $work/demo-100mb-shots | tr / '\\')" \
  "Z:$(echo $work/install/files | tr / '\\')" "Z:$(echo $work/copy-100mb/ | tr / '\\')"
rm -rf $work/copy-100mb $work/demo-100mb-shots

echo; echo "== 8. start loop: the demo started ${STARTS:-50} times, each in a fresh Wine prefix and display, two CPU burners running"
# The release setup.exe under 32-bit Wine where this machine runs 32-bit
# programs, as make demo does; the x86_64 build under wine64 elsewhere.
tree=win64
if why=$(scripts/can-run-i386.sh); then tree=win32; else echo "the x86_64 build: $why"; fi
cmake --build build/$tree --target setup uncab bench_start -j $jobs >/dev/null
$pack build $top/examples/demo -o $work/demo-$tree.exe --stub $top/build/$tree/setup.exe \
  --dll $top/build/$tree/uncab.dll >/dev/null
bench/start-loop.sh $tree $top/build/$tree/bench_start.exe $work/demo-$tree.exe "Welcome to Kestrel Notes"
