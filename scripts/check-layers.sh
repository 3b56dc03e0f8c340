#!/usr/bin/env bash
# Checks that every include of the program's code points down the layers:
#   app -> ui, framework, probe, store, platform
#   ui -> framework, probe, store, platform
#   framework -> platform, Qt
#   probe -> platform        store -> platform
#   platform -> the system only (no Qt)
# Only the framework includes Qt. Prints each include that points up or
# sideways and exits 1 when there is one.
#   scripts/check-layers.sh
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)

declare -A allowed=(
    [platform]="platform"
    [probe]="probe platform"
    [store]="store platform"
    [framework]="framework platform"
    [ui]="ui framework probe store platform"
    [app]="app ui framework probe store platform"
)
layers="platform probe store framework ui app tests bench fuzz tools"

status=0
for layer in "${!allowed[@]}"; do
    while IFS= read -r hit; do
        file=${hit%%:*}
        rest=${hit#*:}
        line=${rest%%:*}
        include=${rest#*:}
        if [[ $include =~ \#include[[:space:]]*\<(Q[A-Za-z]*|Qt[A-Za-z]*/) ]]; then
            if [[ $layer != framework ]]; then
                echo "$file:$line: Qt is the framework's alone: $include"
                status=1
            fi
            continue
        fi
        if [[ $include =~ \#include[[:space:]]*\"([a-z]+)/ ]]; then
            target=${BASH_REMATCH[1]}
            [[ " $layers " == *" $target "* ]] || continue
            if [[ " ${allowed[$layer]} " != *" $target "* ]]; then
                echo "$file:$line: $layer/ may not include $target/: $include"
                status=1
            fi
        fi
    done < <(cd "$top" && grep -rn --include='*.h' --include='*.cpp' --include='*.inc' \
        -E '^[[:space:]]*#[[:space:]]*include' "$layer" || true)
done

if [[ $status -eq 0 ]]; then
    echo "layers: every include points down"
fi
exit $status
