#!/bin/sh
# Time and peak memory of every zarvqen command on a large configuration
# database, as the tool runs (GNU time's elapsed time and maximum resident
# set size). Prints one markdown table row per command.
#
#   bench/tool_scale.sh [ZARVQEN] [POINTS]
#
# ZARVQEN defaults to build/bin/zarvqen, POINTS to 200000. The database (RID
# 200, ten groups, seven properties a point: name, description, unit, a
# scale, a limit and an IO address of two texts) is built by the tool's own
# import from a generated CSV file; the second database for diff changes
# every hundredth point. Scratch files go to a fresh folder under /tmp.
set -eu

tool=${1:-build/bin/zarvqen}
points=${2:-200000}
case $tool in /*) ;; *) tool=$(pwd)/$tool ;; esac
if [ ! -x /usr/bin/time ]; then
    echo "tool_scale.sh: /usr/bin/time is missing (scripts/install-deps installs it)" >&2
    exit 2
fi
work=$(mktemp -d /tmp/zarvqen-scale-XXXXXX)
trap 'rm -rf "$work"' EXIT
cd "$work"

# GMPID RID.group.block.index: 20000 points a group, 4096 a block. With
# `changed` set, every hundredth point gets another limit (property 8).
generate() {
    awk -v n="$points" -v changed="$1" 'BEGIN {
        print "gmpid,p1:text:0,p3:text:0,p4:text:0,p5:double:0,p8:long:0,p401:text:1,p402:text:1"
        for (i = 0; i < n; i++) {
            g = int(i / 20000) + 1; r = i % 20000
            limit = (changed && i % 100 == 0) ? 99 : 40
            printf "200.%d.%d.%d,P%07d,feeder %d measurement %d,kV,0.001,%d,10.%d.%d.%d:502,%d\n",
                g, int(r / 4096), r % 4096, i, g, r, limit, int(i / 65536), int(i / 256) % 256,
                i % 256, 30001 + i % 1000
        }
    }'
}
generate 0 >points.csv
generate 1 >changed.csv
mkdir b
"$tool" import-csv points.csv --rid 200 -o rs200.dat >/dev/null
"$tool" import-csv changed.csv --rid 200 -o b/rs200.dat >/dev/null

# One row: the command as shown, then the arguments to run.
measure() {
    shown=$1
    shift
    rm -f out.csv out.dat
    /usr/bin/time -v -o time.txt "$tool" "$@" >/dev/null 2>err.txt || true
    secs=$(sed -n 's/.*Elapsed (wall clock) time (h:mm:ss or m:ss): //p' time.txt |
        awk -F: '{ s = 0; for (i = 1; i <= NF; i++) s = s * 60 + $i; printf "%.2f", s }')
    kb=$(sed -n 's/.*Maximum resident set size (kbytes): //p' time.txt)
    printf '| `%s` | %s | %d |\n' "$shown" "$secs" $((kb / 1024))
}

size=$(wc -c <rs200.dat)
echo "points: $points, rs200.dat: $size bytes, points.csv: $(wc -c <points.csv) bytes"
echo
echo "| command | time (s) | peak memory (MB) |"
echo "|---|---:|---:|"
measure "info DB" info rs200.dat
measure "check DB" check rs200.dat
measure "dump DB" dump rs200.dat
measure "dump --format json DB" dump --format json rs200.dat
measure "dump --format csv DB" dump --format csv rs200.dat
measure "diff DB DB2" diff rs200.dat b/rs200.dat
measure "export-csv DB -o out.csv" export-csv rs200.dat -o out.csv
measure "import-csv CSV -o out.dat" import-csv points.csv --rid 200 -o out.dat
measure "import-csv CSV2 --into DB -o out.dat" import-csv changed.csv --into rs200.dat \
    --on-conflict overwrite -o out.dat
measure "demo DIR" demo demo
