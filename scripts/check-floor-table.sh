#!/usr/bin/env bash
# check-floor-table.sh [ROOT]: holds the table of the folders (the block between
# '<!-- floors -->' and '<!-- /floors -->' in README.md or docs/*.md) to cmake/floors.txt:
# every floor's folder in one row, with its kind, the rows from the roof down. Rows that
# name no floor (tests/, cmake/ ...) are left alone.
set -euo pipefail
cd "${1:-$(dirname "$0")/..}"

declare -A floor=() kind=()
while read -r number folder folder_kind; do
    [[ $number =~ ^[0-9]+$ ]] || continue
    floor[$folder]=$number
    kind[$folder]=$folder_kind
done < cmake/floors.txt

documents=(README.md)
shopt -s nullglob
documents+=(docs/*.md)
holders=()
for document in "${documents[@]}"; do
    [[ -f $document ]] || continue
    count=$(grep -c '^<!-- floors -->$' "$document" || true)
    for ((k = 0; k < count; k++)); do holders+=("$document"); done
done
if ((${#holders[@]} != 1)); then
    echo "${#holders[@]} tables of the folders ('<!-- floors -->') in ${documents[*]}; there must be one"
    exit 1
fi
document=${holders[0]}
block=$(sed -n '/^<!-- floors -->$/,/^<!-- \/floors -->$/p' "$document")
if [[ $(tail -n 1 <<< "$block") != '<!-- /floors -->' ]]; then
    echo "$document: the table of the folders has no '<!-- /floors -->' after it"
    exit 1
fi

faults=0
fault() {
    echo "$document: $1"
    faults=$((faults + 1))
}
declare -A seen=()
above=''
above_floor=''
while IFS='|' read -r _ folder_cell kind_cell _; do
    row_kind=${kind_cell//[[:space:]]/}
    for folder in $(grep -o '`[^`/]*/`' <<< "$folder_cell" | tr -d '`/'); do
        [[ -n ${floor[$folder]:-} ]] || continue
        [[ -z ${seen[$folder]:-} ]] || fault "'$folder/' has two rows"
        seen[$folder]=1
        [[ $row_kind == "${kind[$folder]}" ]] ||
            fault "'$folder/' is of kind '$row_kind' in the table, '${kind[$folder]}' in cmake/floors.txt"
        if [[ -n $above_floor ]] && ((floor[$folder] > above_floor)); then
            fault "'$folder/' (floor ${floor[$folder]}) is listed below '$above/' (floor $above_floor); the rows go from the roof down"
        fi
        above=$folder
        above_floor=${floor[$folder]}
    done
done < <(grep '^|' <<< "$block")

for folder in "${!floor[@]}"; do
    [[ -n ${seen[$folder]:-} ]] || fault "'$folder/' is a floor in cmake/floors.txt but has no row"
done

if ((faults > 0)); then
    echo "$faults disagreement(s) between the table of the folders and cmake/floors.txt"
    exit 1
fi
echo "the table of the folders in $document agrees with cmake/floors.txt"
