#!/bin/bash
# Runs the README's Slurm script as written, once per array task with the
# SLURM_* variables a node would set, then the README's join (--merge), and
# compares the joined table with one unsliced run of the same plan; then
# joins again without one slice, which must name its runs and change nothing.
# Usage: cluster_test.sh README.md DIR_OF_davrel3-batch
set -euo pipefail
readme="$1"
export PATH="$2:$PATH"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# The fenced block after a marker line.
block() {
  awk -v marker="<!-- $1 -->" '
    $0 == marker { found = 1; next }
    found && /^```/ { if (inside) exit; inside = 1; next }
    inside { print }' "$readme"
}
block slurm-script > "$work/sweep.sh"
block slurm-join > "$work/join.sh"
[ -s "$work/sweep.sh" ] && [ -s "$work/join.sh" ] || { echo "README blocks not found"; exit 1; }

tasks="$(sed -n 's/^#SBATCH --array=1-\([0-9]*\)$/\1/p' "$work/sweep.sh")"
[ -n "$tasks" ] || { echo "no #SBATCH --array=1-N line"; exit 1; }
grep -q -- "--merge" "$work/join.sh" || { echo "the join does not use --merge"; exit 1; }

cd "$work"
for k in $(seq 1 "$tasks"); do
  if [ "$k" -eq 1 ]; then
    # A cluster that does not set the CPU count: one thread.
    env -u SLURM_CPUS_PER_TASK SLURM_ARRAY_TASK_ID="$k" SLURM_ARRAY_TASK_COUNT="$tasks" bash sweep.sh 2> "log-$k"
  else
    SLURM_ARRAY_TASK_ID="$k" SLURM_ARRAY_TASK_COUNT="$tasks" SLURM_CPUS_PER_TASK=2 bash sweep.sh 2> "log-$k"
  fi
done
bash join.sh 2> join.err || { echo "the join failed:"; cat join.err; exit 1; }
[ ! -s join.err ] || { echo "the join complained:"; cat join.err; exit 1; }

# The same plan in one piece gives the same bytes.
# The plan is the command's first line (its options go on after a backslash).
plan="$(grep -m1 '^davrel3-batch ' sweep.sh | sed 's/ *\\$//')"
eval "$plan --threads 2" > whole.csv
cmp whole.csv sweep.csv || { echo "the joined slices differ from one run of the plan"; exit 1; }
runs="$(eval "$plan --dry-run" | sed -n 's/^runs: //p')"
grep -q "\"runs\": $runs," sweep.csv.manifest.json || { echo "the joined manifest does not count $runs runs"; exit 1; }
grep -q '"complete": true' sweep.csv.manifest.json || { echo "the joined manifest is not complete"; exit 1; }

# A slice that never arrived: its runs are named, exit 2, sweep.csv is kept.
missing=$((tasks / 2 + 1))
mv "slices/slice-$missing.csv" lost.csv
status=0
bash join.sh 2> gap.err || status=$?
[ "$status" -eq 2 ] || { echo "a join with a slice missing exited $status, not 2"; exit 1; }
grep -q "runs are missing: " gap.err || { echo "the missing runs are not named:"; cat gap.err; exit 1; }
cmp whole.csv sweep.csv || { echo "a failed join changed sweep.csv"; exit 1; }
echo "cluster script: $tasks slices joined into $(($(wc -l < sweep.csv) - 1)) rows; a missing slice: $(cat gap.err)"
