# Writes the manual page korvela-cli(1) from doc/cli.md:
#   awk -v version=16.06.10 -v out=korvela-cli.1 -f scripts/cli-manpage.awk doc/cli.md
# The title line (# name: purpose) gives NAME. The prose before the first table becomes
# DESCRIPTION, the rows of every table COMMANDS (one tagged paragraph per command; header and
# delimiter rows left out), the prose after the first table NOTES. Each section is written once,
# whatever the order of headings, prose and tables: a later heading (## ...) becomes a
# subsection heading in every section that receives something under it.
# Markdown read: headings, paragraphs, list items (-, *, +, 1.), tables (\| is a | in a cell),
# code spans and **strong** text (both bold), backslash escapes, fenced code blocks.
# Plain POSIX awk (Debian's mawk).

BEGIN {
    kPipe = "\001"      # an escaped | inside a table row, until the row is split
    kBackquote = "\002" # an escaped backquote, which opens no code span
}

function guard(line) {
    if (line ~ /^[.']/) line = "\\&" line  # a text line must not read as a request
    return line
}

function trim(field) {
    sub(/^[ \t]+/, "", field)
    sub(/[ \t]+$/, "", field)
    return field
}

# Markdown's backslash escapes give the character itself; any other backslash is printed.
function plain(text,    result, i, c) {
    result = ""
    for (i = 1; i <= length(text); i++) {
        c = substr(text, i, 1)
        if (c == "\\" && substr(text, i + 1, 1) ~ /[!-\/:-@[-`{-~]/) c = substr(text, ++i, 1)
        result = result (c == "\\" ? "\\e" : c)
    }
    return result
}

function strong(text,    result) {
    result = ""
    while (match(text, /\*\*[^*]+\*\*/)) {
        result = result substr(text, 1, RSTART - 1) "\\fB" substr(text, RSTART + 2, RLENGTH - 4) \
                 "\\fR"
        text = substr(text, RSTART + RLENGTH)
    }
    return result text
}

# Hyphens in code are minus signs, so options can be copied from the page.
function code(text) {
    gsub(/\\/, "\\e", text)
    gsub(/-/, "\\-", text)
    return text
}

function inline(markdown,    parts, count, i, result) {
    gsub(/\\`/, kBackquote, markdown)
    count = split(markdown, parts, "`")
    result = strong(plain(parts[1]))
    for (i = 2; i <= count; i++) {
        if (i % 2 == 0 && i < count) result = result "\\fB" code(parts[i]) "\\fR"
        else result = result (i % 2 == 0 ? "\\(ga" : "") strong(plain(parts[i]))
    }
    gsub(kBackquote, "\\(ga", result)
    return result
}

function sentence(text) {
    return text ~ /[.!?]$/ ? text : text "."
}

# Appends a line to a section; the heading read last goes first where it has not gone yet.
function emit(name, line) {
    if (heading != "" && !(name in headed)) {
        headed[name] = 1
        body[name] = body[name] ".SS\n" guard(inline(heading)) "\n"
    }
    body[name] = body[name] line "\n"
}

function proseSection() {
    return tablesSeen ? "NOTES" : "DESCRIPTION"
}

# The paragraph or list item read so far goes out.
function flush() {
    if (pending == "") return
    if (pendingMarker == "") emit(proseSection(), ".PP")
    else emit(proseSection(), ".IP " pendingMarker " " (pendingMarker == "\\(bu" ? 2 : 4))
    emit(proseSection(), guard(inline(pending)))
    pending = ""
}

function startBlock(text, marker) {
    flush()
    pending = trim(text)
    pendingMarker = marker
}

function section(name) {
    if (body[name] != "") printf ".SH %s\n%s", name, body[name] > out
}

NR == 1 && /^# / {
    purpose = substr($0, 3)
    sub(/^[^:]*:[ \t]*/, "", purpose)
    next
}

!inFence && !/^[ \t]*\|/ { inTable = 0 }

inFence && /^[ \t]*```/ {
    inFence = 0
    emit(proseSection(), ".fi")
    emit(proseSection(), ".RE")
    next
}

inFence {
    emit(proseSection(), guard(code($0)))
    next
}

/^[ \t]*```/ {
    flush()
    inFence = 1
    emit(proseSection(), ".PP")
    emit(proseSection(), ".RS 4")
    emit(proseSection(), ".nf")
    next
}

/^[ \t]*\|/ {
    flush()
    row = $0
    gsub(/\\\|/, kPipe, row)
    if (!inTable) {  # the header row
        inTable = 1
        tablesSeen = 1
        next
    }
    if (row ~ /^[ \t]*\|[-:| \t]+\|[ \t]*$/) next
    split(row, cell, "|")
    for (i = 2; i <= 4; i++) {
        gsub(kPipe, "|", cell[i])
        cell[i] = inline(trim(cell[i]))
    }
    emit("COMMANDS", ".TP")
    emit("COMMANDS", guard(cell[2]))
    emit("COMMANDS", guard(sentence(cell[3])))
    emit("COMMANDS", ".br")
    emit("COMMANDS", "Output: " sentence(cell[4]))
    next
}

/^#+[ \t]/ {
    flush()
    heading = $0
    sub(/^#+[ \t]+/, "", heading)
    sub(/[ \t]+#+[ \t]*$/, "", heading)
    split("", headed)
    next
}

/^[ \t]*$/ { flush(); next }

/^[ \t]*[-*+][ \t]/ { startBlock(substr(trim($0), 3), "\\(bu"); next }

/^[ \t]*[0-9]+[.)][ \t]/ {
    marker = trim($0)
    sub(/[ \t].*/, "", marker)
    startBlock(substr(trim($0), length(marker) + 2), marker)
    next
}

pending == "" { startBlock($0, ""); next }

{ pending = pending " " trim($0) }

END {
    flush()
    print ".\\\" -*- coding: UTF-8 -*-" > out
    print ".TH KORVELA-CLI 1 \"\" \"korvela-cli " version "\" \"KORVELA\"" > out
    print ".nh" > out    # hyphenated names and options could not be searched for
    print ".ad l" > out  # long command lines are not stretched to the margin
    print ".SH NAME" > out
    print "korvela-cli \\- " inline(purpose) > out
    print ".SH SYNOPSIS" > out
    print ".B korvela-cli\n.I COMMAND ARGUMENT...\n.br" > out
    print ".B korvela-cli\n.I COMMAND\n.B \\-\\-help\n.br" > out
    print ".B korvela-cli \\-\\-help\n.br\n.B korvela-cli \\-\\-version" > out
    section("DESCRIPTION")
    section("COMMANDS")
    section("NOTES")
    close(out)
}
