# Turns the Markdown-like manual page sources in data/man/ into man(7) roff.
#   awk -v version=1.4.5 -v date=2026-12-08 -f markdown_to_man.awk telvo.1.md > telvo.1
#
# Only what those pages use is understood, so a page reads the same as a
# source and as a manual page:
#   # name(1) -- summary     the title line, first in the file
#   ## HEADING               a section;  ### heading  a subsection
#   * term                   a tagged paragraph; its body lines are indented by two
#       four more spaces     an example, shown as typed
#   `literal`, *replaceable* bold and italic; a line ending in \ breaks there
#   a blank line             ends a paragraph
# Every "-" inside `...` and in examples is a minus sign, as options are
# typed; elsewhere "-" stays a hyphen so that words still break there.

function fail(message) {
  printf "%s:%d: %s\n", FILENAME, FNR, message > "/dev/stderr"
  failed = 1
  exit 1
}

# Inline markup of one line of running text.
function inline(text,    out, i, c, code, italic) {
  out = ""
  code = 0
  italic = 0
  for (i = 1; i <= length(text); i++) {
    c = substr(text, i, 1)
    if (c == "\\") {
      out = out "\\e"
    } else if (c == "`") {
      out = out (code ? "\\fR" : "\\fB")
      code = !code
    } else if (c == "*" && !code) {
      out = out (italic ? "\\fR" : "\\fI")
      italic = !italic
    } else if (c == "-" && code) {
      out = out "\\-"
    } else {
      out = out c
    }
  }
  if (code || italic) fail("unclosed ` or * in: " text)
  return protect(out)
}

# A roff line that begins with . or ' would be read as a request.
function protect(line) {
  return (line ~ /^[.']/) ? "\\&" line : line
}

function example(text,    out) {
  out = text
  gsub(/\\/, "\\e", out)
  gsub(/-/, "\\-", out)
  return protect(out)
}

function close_example() {
  if (in_example) print ".fi\n.RE"
  in_example = 0
}

# The request that starts a paragraph after a blank line: inside a tagged
# paragraph's body the text keeps the body's indentation.
function start_paragraph() {
  if (pending_break) print (in_item ? ".IP" : ".PP")
  pending_break = 0
}

BEGIN {
  if (version == "" || date == "") {
    print "markdown_to_man.awk: -v version=... and -v date=... are required" > "/dev/stderr"
    failed = 1
    exit 1
  }
}

FNR == 1 {
  # "# name(1) -- summary"
  if ($0 !~ /^# [a-z][a-z0-9-]*\([1-8]\) -- ./) fail("the first line must be '# name(1) -- summary'")
  name = substr($2, 1, index($2, "(") - 1)
  section = substr($2, index($2, "(") + 1, 1)
  summary = $0
  sub(/^[^ ]* [^ ]* -- /, "", summary)
  printf ".TH \"%s\" \"%s\" \"%s\" \"Telvo %s\" \"User Commands\"\n", toupper(name), section, date,
      version
  print ".SH NAME"
  print name " \\- " inline(summary)
  next
}

/^[ \t]*$/ {
  close_example()
  pending_break = 1
  next
}

/^## / {
  close_example()
  in_item = 0
  pending_break = 0
  print ".SH " toupper(substr($0, 4))
  next
}

/^### / {
  close_example()
  in_item = 0
  pending_break = 0
  print ".SS " inline(substr($0, 5))
  next
}

/^\* / {
  close_example()
  in_item = 1
  pending_break = 0
  print ".TP"
  print inline(substr($0, 3))
  next
}

{
  text = $0
  if (in_item && text ~ /^  /) {
    text = substr(text, 3)
    if (text ~ /^ / && text !~ /^    /) fail("a list item's body is indented by two")
  } else if (text ~ /^ /) {
    if (text !~ /^    /) fail("indent by two inside a list item, by four for an example")
  } else {
    in_item = 0
  }
  if (text ~ /^    /) {
    if (!in_example) {
      start_paragraph()
      print ".RS 4\n.nf"
    }
    in_example = 1
    print example(substr(text, 5))
    next
  }
  close_example()
  start_paragraph()
  if (text ~ /\\$/) {
    print inline(substr(text, 1, length(text) - 1))
    print ".br"
  } else {
    print inline(text)
  }
}

END {
  if (failed) exit 1
  close_example()
  if (name == "") {
    print "markdown_to_man.awk: an empty page" > "/dev/stderr"
    exit 1
  }
}
