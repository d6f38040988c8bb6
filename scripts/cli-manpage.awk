# Writes the manual page korvela-cli(1) from doc/cli.md:
#   awk -v version=16.06.10 -v out=korvela-cli.1 -f scripts/cli-manpage.awk doc/cli.md
# The page has the paragraphs and the list of the document as DESCRIPTION, its command table as
# COMMANDS (one tagged paragraph per command), and what follows the table as NOTES.
# Plain POSIX awk (Debian's mawk).

# A line of text: one that starts like a request is guarded.
function text(line) {
    if (line ~ /^[.']/) line = "\\&" line
    print line > out
}

function request(line) {
    print line > out
}

# `code` becomes bold; hyphens in code are minus signs, so options can be copied.
function inline(markdown,    parts, count, i, result, code) {
    count = split(markdown, parts, "`")
    result = parts[1]
    for (i = 2; i <= count; i++) {
        if (i % 2 == 0) {
            code = parts[i]
            gsub(/-/, "\\-", code)
            result = result "\\fB" code "\\fR"
        } else {
            result = result parts[i]
        }
    }
    return result
}

function trim(field) {
    sub(/^[ \t]+/, "", field)
    sub(/[ \t]+$/, "", field)
    return field
}

# The paragraph or list item read so far goes out.
function flush() {
    if (pending == "") return
    if (pendingItem) request(".IP \\(bu 2")
    else request(".PP")
    text(inline(pending))
    pending = ""
}

function section(name) {
    flush()
    request(".SH " name)
}

NR == 1 && /^# / {
    title = substr($0, 3)
    split(title, nameAndPurpose, ": ")
    request(".TH KORVELA-CLI 1 \"\" \"korvela-cli " version "\" \"KORVELA\"")
    request(".SH NAME")
    text("korvela-cli \\- " nameAndPurpose[2])
    request(".SH SYNOPSIS")
    request(".B korvela-cli")
    request(".I COMMAND ARGUMENT...")
    request(".br")
    request(".B korvela-cli \\-\\-help")
    request(".br")
    request(".B korvela-cli \\-\\-version")
    section("DESCRIPTION")
    next
}

/^\|/ {
    cells = split($0, cell, "|")
    if (!inTable) {
        inTable = 1
        section("COMMANDS")
        next
    }
    if ($0 ~ /^\|[-| ]+\|$/) next
    request(".TP")
    text(inline(trim(cell[2])))
    text(inline(trim(cell[3])) ".")
    request(".br")
    text("Output: " inline(trim(cell[4])) ".")
    next
}

inTable {
    inTable = 0
    afterTable = 1
    section("NOTES")
}

/^[ \t]*$/ { flush(); next }

/^- / {
    flush()
    pending = substr($0, 3)
    pendingItem = 1
    next
}

{
    if (pending == "") {
        pending = trim($0)
        pendingItem = 0
    } else {
        pending = pending " " trim($0)
    }
}

END {
    flush()
    close(out)
}
