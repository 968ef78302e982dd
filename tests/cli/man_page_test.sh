#!/usr/bin/env bash
# Checks that every option of linewright-count --help is described in its manual page, and that
# the page describes no option the program lacks.
# Usage: man_page_test.sh path/to/linewright-count path/to/linewright-count.1
set -uo pipefail
bin=$1
page=$2

options() { grep -oE '(^|[^a-zA-Z0-9-])--?[a-z][a-z-]*' | sed -E 's/^[^-]*//' | sort -u; }

from_help=$("$bin" --help | grep -E '^ +-' | options)
# In roff a '-' is written '\-'; only the option paragraphs (.TP) name options.
from_page=$(sed 's/\\-/-/g' "$page" | awk '/^\.TP/ { getline; print }' | grep -E '^\.(B|BR|BI) +-' | options)

if [[ "$from_help" != "$from_page" ]]; then
    echo "FAIL: the options of --help and of the manual page differ"
    diff <(echo "$from_help") <(echo "$from_page")
    exit 1
fi
# Every format and sort column the help names is in the page too.
# Read once, not piped: grep -q leaving early would kill sed with SIGPIPE, which pipefail reports.
page_text=$(sed 's/\\-/-/g' "$page")
for word in table tsv csv json path fixmes code comments total fixmes-change code-change \
    comments-change total-change; do
    if ! grep -qw "$word" <<<"$page_text"; then
        echo "FAIL: the manual page does not mention '$word'"
        exit 1
    fi
done
echo "options agree: $(echo $from_help)"
