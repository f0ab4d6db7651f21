#!/bin/bash
# Every include in src/ points to the file's own folder, to a folder below it
# or to the public header. The folders, from the bottom up, are listed in
# layers below.
#
#     check_layers.sh SRC_DIR
set -u
layers=(platform settings midi markers analysis notation listing session dialogs interface)
declare -A rank
for i in "${!layers[@]}"; do rank[${layers[$i]}]=$i; done
status=0
cd "$1" || exit 2
for file in */*; do
    folder=${file%%/*}
    [ -n "${rank[$folder]:-}" ] || { echo "$file: folder $folder has no place in the layers"; status=1; continue; }
    while IFS=: read -r line text; do
        target=${text#*\"}
        target=${target%%\"*}
        [ "$target" != vlmidiin.h ] || continue  # the public header's types serve every layer
        used=${target%%/*}
        if [ -z "${rank[$used]:-}" ] || [ "${rank[$used]}" -gt "${rank[$folder]}" ]; then
            echo "$file:$line includes $target, above $folder"
            status=1
        fi
    done < <(grep -n '^#include "' "$file")
done
[ "$status" -ne 0 ] || echo "every include points down or sideways"
exit "$status"
