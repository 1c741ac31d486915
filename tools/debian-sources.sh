# Reads the machine's own APT sources and prints, as deb822 stanzas, the Debian entries of
# one type that hold main. Sourced by windows-qt.sh (and by its test); defines one function:
#   debian_sources CODENAME TYPE FILE...
# CODENAME is the release (bookworm): an entry is Debian's when a suite is CODENAME or
# CODENAME-something (bookworm-updates, bookworm-security); other suites of the entry are
# dropped, and entries of other archives that hold a "main" too (vendors' own) are left out.
# TYPE is deb or deb-src. Files ending in .sources are read as deb822, all others as one-line
# entries ("deb [signed-by=...] URI SUITE COMPONENT..."); files that are not there are skipped,
# and so are disabled entries (Enabled: no). Each stanza printed has Types: deb-src and the
# entry's URIs, suites, components and Signed-By (a key file, a fingerprint or a key written
# into the field, kept as it is), so the source entry comes from the same mirror with the
# same key.
#   write_deb_src TARGET CODENAME FILE...
# Writes those stanzas into TARGET when the FILEs have no Debian deb-src entry holding main
# yet, and returns 0; returns 1 having written nothing when TARGET is there already or such
# an entry is; returns 2 with a message when no Debian entry holds main.
debian_sources() {
  local codename=$1 type=$2 file files=()
  shift 2
  for file in "$@"; do
    [ -f "$file" ] && files+=("$file")
  done
  [ ${#files[@]} -gt 0 ] || return 0
  awk -v codename="$codename" -v want="$type" "$_debian_sources_awk" "${files[@]}"
}

write_deb_src() {
  local target=$1 codename=$2 entries
  shift 2
  [ ! -e "$target" ] || return 1
  [ -z "$(debian_sources "$codename" deb-src "$@")" ] || return 1
  entries=$(debian_sources "$codename" deb "$@")
  if [ -z "$entries" ]; then
    echo "no Debian ($codename) entry holding main among the APT sources: $*" >&2
    return 2
  fi
  printf '%s\n' "$entries" >"$target"
}

# mawk-compatible: no gawk extensions.
_debian_sources_awk='
function reset() { types = ""; uris = ""; suites = ""; comps = ""; signed = ""; enabled = "yes"; field = "" }
function has(list, word,   n, i, w) {
  n = split(list, w, /[ \t]+/)
  for (i = 1; i <= n; i++) if (w[i] == word) return 1
  return 0
}
function debian_suites(list,   n, i, w, out) {
  out = ""
  n = split(list, w, /[ \t]+/)
  for (i = 1; i <= n; i++)
    if (w[i] == codename || index(w[i], codename "-") == 1) out = out (out == "" ? "" : " ") w[i]
  return out
}
function join(old, val, more) { return more && old != "" ? old " " val : val }
function set(name, val, more) {
  if (name == "types") types = join(types, val, more)
  else if (name == "uris") uris = join(uris, val, more)
  else if (name == "suites") suites = join(suites, val, more)
  else if (name == "components") comps = join(comps, val, more)
  else if (name == "signed-by") signed = val
  else if (name == "enabled") enabled = val
}
function trim(s) { sub(/^[ \t]+/, "", s); sub(/[ \t]+$/, "", s); return s }
function emit(   keep) {
  if (tolower(enabled) == "no" || !has(types, want) || !has(comps, "main") || uris == "") return
  keep = debian_suites(suites)
  if (keep == "") return
  if (printed++) print ""
  print "Types: deb-src"
  print "URIs: " uris
  print "Suites: " keep
  print "Components: " comps
  if (signed != "") print "Signed-By:" (substr(signed, 1, 1) == "\n" ? "" : " ") signed
}
BEGIN { reset() }
FNR == 1 {  # a new file: finish the last stanza of the one before
  if (format == "deb822") emit()
  reset()
  format = FILENAME ~ /\.sources$/ ? "deb822" : "oneline"
}
format == "deb822" {
  line = $0
  sub(/\r$/, "", line)
  if (line ~ /^#/) next
  if (line ~ /^[ \t]*$/) { emit(); reset(); next }
  if (line ~ /^[ \t]/) {  # a continuation line: a key written into Signed-By keeps its lines
    if (field == "signed-by") signed = signed "\n" line
    else set(field, trim(line), 1)
    next
  }
  colon = index(line, ":")
  if (colon == 0) next
  field = tolower(trim(substr(line, 1, colon - 1)))
  set(field, trim(substr(line, colon + 1)), 0)
  next
}
{
  line = $0
  sub(/\r$/, "", line)
  sub(/#.*/, "", line)
  line = trim(line)
  if (line == "") next
  reset()
  split(line, head, /[ \t]+/)
  types = head[1]
  rest = trim(substr(line, length(types) + 1))
  if (substr(rest, 1, 1) == "[") {
    close_at = index(rest, "]")
    if (close_at == 0) next
    n = split(substr(rest, 2, close_at - 2), opt, /[ \t]+/)
    for (i = 1; i <= n; i++) {
      eq = index(opt[i], "=")
      if (eq > 0 && tolower(substr(opt[i], 1, eq - 1)) == "signed-by") signed = substr(opt[i], eq + 1)
    }
    rest = trim(substr(rest, close_at + 1))
  }
  n = split(rest, word, /[ \t]+/)
  if (n < 3) next
  uris = word[1]
  suites = word[2]
  for (i = 3; i <= n; i++) comps = comps (i > 3 ? " " : "") word[i]
  emit()
}
END { if (format == "deb822") emit() }
'
