#!/usr/bin/env bash
# Fails when a C++ file changed since the branch left main is not as clang-format writes it.
# The base is the merge base with origin/main (or main); TOLVANE_FORMAT_BASE names another.
# In a shallow clone without that history only the last commit's files are checked.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

base=${TOLVANE_FORMAT_BASE:-}
# A shallow clone first tries to fetch enough history to find the base; offline it goes on.
if [ -z "$base" ] && [ "$(git rev-parse --is-shallow-repository)" = true ]; then
    git fetch -q --deepen=200 origin 2>/dev/null || true
    git fetch -q --depth=200 origin main:refs/remotes/origin/main 2>/dev/null || true
fi
if [ -z "$base" ]; then
    for ref in origin/main main; do
        if git rev-parse -q --verify "$ref^{commit}" >/dev/null &&
            base=$(git merge-base HEAD "$ref" 2>/dev/null); then
            break
        fi
        base=""
    done
fi
# On main itself (or without a base) the last commit is what changed.
if [ -z "$base" ] || [ "$base" = "$(git rev-parse HEAD)" ]; then
    if git rev-parse -q --verify HEAD~1 >/dev/null; then
        base=HEAD~1
    else
        echo "check_format: no earlier commit to compare with; nothing checked"
        exit 0
    fi
fi

# A file only moved (R100) is as it was; one moved and edited counts as changed.
mapfile -t files < <(git diff -M --name-status --diff-filter=ACMR "$base" -- '*.cpp' '*.h' |
    awk -F'\t' '$1 != "R100" { print $NF }')
[ ${#files[@]} -eq 0 ] && exit 0
bad=()
for f in "${files[@]}"; do
    [ -f "$f" ] || continue
    clang-format --dry-run --Werror "$f" >/dev/null 2>&1 || bad+=("$f")
done
if [ ${#bad[@]} -gt 0 ]; then
    echo "Not formatted (run clang-format -i on them):" >&2
    printf '  %s\n' "${bad[@]}" >&2
    exit 1
fi
echo "check_format: ${#files[@]} changed file(s) formatted"
