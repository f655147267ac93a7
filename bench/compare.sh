# Sourced by scripts/bench.sh and bench/lv2file.sh, which set work (a
# scratch folder) and may set runs (default 20).
#
# compare NAME COMMAND PEER-NAME PEER-COMMAND: both commands side by side in
# one hyperfine run, each run writing $work/out.wav anew, then the ratio of
# the first's time to the peer's (below 1: the first is faster), also kept
# in $work/ratios.
compare() {
    hyperfine -N -w 3 -r "${runs:-20}" --prepare "rm -f $work/out.wav" --export-csv "$work/times.csv" \
        -n "$1" "$2" -n "$3" "$4"
    # Columns: command,mean,stddev,median,user,system,min,max (seconds).
    awk -F, -v a="$1" -v b="$3" 'NR == 2 { am = $2; as = $3; amin = $7; amax = $8 }
        NR == 3 { bm = $2; bs = $3; bmin = $7; bmax = $8 }
        END { printf "%s / %s: %.2f of the time (means %.3f s ± %.3f and %.3f s ± %.3f; runs range %.2f to %.2f)\n",
                     a, b, am / bm, am, as, bm, bs, amin / bmax, amax / bmin }' "$work/times.csv" | tee -a "$work/ratios"
}
