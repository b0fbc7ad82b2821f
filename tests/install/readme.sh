# The recipes of the README, as printed: sourced by the scripts that run them.
# readme_block FILE SECTION N prints the N-th fenced block (from 1) of the
# section headed "## SECTION"; nothing when there is none.
readme_block() {
  awk -v title="## $2" -v want="$3" '
    /^## / { inside = ($0 == title) }
    inside && /^```/ {
      if (open) { open = 0 } else { open = 1; count++ }
      next
    }
    inside && open && count == want { print }
  ' "$1"
}

# readme_blocks FILE SECTION prints how many fenced blocks the section has.
readme_blocks() {
  awk -v title="## $2" '
    /^## / { inside = ($0 == title) }
    inside && /^```/ { fences++ }
    END { print fences / 2 }
  ' "$1"
}

# copy_tree SOURCE TARGET copies the source tree without builds and packages.
copy_tree() {
  mkdir -p "$2"
  tar -C "$1" --exclude='./build*' --exclude=node_modules --exclude=./.git -cf - . | tar -C "$2" -xf -
}
