#!/usr/bin/env bash
# SPDX-FileCopyrightText: The Vivrel developers
# SPDX-License-Identifier: GPL-3.0-or-later

# Gives every tracked source, script and build file the two lines of its copyright and
# licence, as comments in the file's own syntax: after a shebang or an XML declaration
# where there is one, followed by a blank line. Files that have them are left alone, so
# running it again changes nothing. What cannot carry a comment (pictures, corpora,
# JSON, catalogues) is described in .reuse/dep5 instead.
#   spdx-headers.sh           add the lines where they are missing
#   spdx-headers.sh --check   list the files that lack them; exit 1 if any does
set -euo pipefail
cd "$(dirname "$0")/.."

check=0
case "${1:-}" in
  "") ;;
  --check) check=1 ;;
  *) echo "usage: $0 [--check]" >&2; exit 2 ;;
esac

# REUSE-IgnoreStart
tag_copyright="SPDX-FileCopyrightText: The Vivrel developers"
tag_licence="SPDX-License-Identifier:"
# REUSE-IgnoreEnd

# The comment syntax of a file, by its name: "//", "#", "xml", "roff", or nothing for
# a file this script leaves to .reuse/dep5.
style_of() {
  case "$1" in
    fuzz/corpus/* | LICENSES/* | LICENSE) ;;
    *.cpp | *.h | *.h.in) echo "//" ;;
    *.sh | *.cmake | */CMakeLists.txt | CMakeLists.txt | .ci/run | .gitignore | \
      .clang-format | .reuse/dep5 | *.txt | *.desktop | *.conf | packaging/*.lintian-overrides) echo "#" ;;
    *.xml | *.md | *.svg) echo "xml" ;;
    *.[1-8]) echo "roff" ;;
  esac
}

# The licence of a file: its AppStream description is free of conditions, as software
# centres require of such metadata.
licence_of() {
  case "$1" in
    *.metainfo.xml) echo "CC0-1.0" ;;
    *) echo "GPL-3.0-or-later" ;;
  esac
}

header_of() {
  local style=$1 licence=$2
  case "$style" in
    "//" | "#") printf '%s %s\n%s %s %s\n' "$style" "$tag_copyright" "$style" "$tag_licence" "$licence" ;;
    xml) printf '<!--\n%s\n%s %s\n-->\n' "$tag_copyright" "$tag_licence" "$licence" ;;
    roff) printf '.\\" %s\n.\\" %s %s\n' "$tag_copyright" "$tag_licence" "$licence" ;;
  esac
}

lacking=()
tmp=""
trap '[ -z "$tmp" ] || rm -f "$tmp"' EXIT
while IFS= read -r -d '' file; do
  [ -f "$file" ] && [ ! -L "$file" ] || continue
  style=$(style_of "$file")
  [ -n "$style" ] || continue
  # grep -c reads all it is given: no early close for pipefail to take as a failure.
  if head -n 12 "$file" | grep -c "$tag_licence" >/dev/null; then
    continue
  fi
  lacking+=("$file")
  [ "$check" = 1 ] && continue

  first=$(head -n 1 "$file")
  keep=0
  case "$first" in
    '#!'* | '<?xml'*) keep=1 ;;
  esac
  tmp=$(mktemp "$file.XXXXXX")
  {
    [ "$keep" = 1 ] && printf '%s\n' "$first"
    header_of "$style" "$(licence_of "$file")"
    # A blank line between the header and what follows, unless there is one already
    # (roff reads a blank line as a break, so a manual page gets none).
    next=$(sed -n "$((keep + 1))p" "$file")
    [ "$style" != roff ] && [ -n "$next" ] && echo
    tail -n +$((keep + 1)) "$file"
  } >"$tmp"
  chmod --reference="$file" "$tmp"
  mv "$tmp" "$file"
  tmp=""
done < <(git ls-files -z)

if [ "$check" = 1 ]; then
  if ((${#lacking[@]})); then
    echo "These files lack their SPDX lines (scripts/spdx-headers.sh adds them):" >&2
    printf '  %s\n' "${lacking[@]}" >&2
    exit 1
  fi
  exit 0
fi
((${#lacking[@]})) && printf 'SPDX lines added to %s files\n' "${#lacking[@]}"
exit 0
