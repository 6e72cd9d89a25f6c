#!/usr/bin/env bash
# Mutants on the lines a change touched (scripts/mutants.py says how): scripts/mutants.sh [BASE]
# [--list] [--max N] [--seconds S]
exec /usr/bin/python3 "$(dirname "$0")/mutants.py" "$@"
