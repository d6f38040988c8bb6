"""Reads a DXF file with ezdxf and lists what a CAD program would see in it.

Output (UTF-8, tab-separated): "encoding", "codepage", "audit" (error and fix counts, then
the messages), then per INSERT of the model space: the insertion, followed by the POINTs and
TEXTs of its block, coordinates as Python's shortest float texts.
"""
import sys

import ezdxf


def coordinates(vector):
    return [repr(float(value)) for value in vector]


def main(path):
    doc = ezdxf.readfile(path)
    lines = [["encoding", doc.encoding], ["codepage", str(doc.header.get("$DWGCODEPAGE"))]]
    auditor = doc.audit()
    lines.append(["audit", str(len(auditor.errors)), str(len(auditor.fixes))])
    for entry in auditor.errors + auditor.fixes:
        lines.append(["audit-message", str(entry.message)])
    lines.append(["layers"] + [layer.dxf.name for layer in doc.layers])
    for insert in doc.modelspace().query("INSERT"):
        lines.append(["INSERT", insert.dxf.name, insert.dxf.layer] + coordinates(insert.dxf.insert))
        for entity in doc.blocks[insert.dxf.name]:
            if entity.dxftype() == "POINT":
                lines.append(["POINT", entity.dxf.layer] + coordinates(entity.dxf.location))
            elif entity.dxftype() == "TEXT":
                lines.append(["TEXT", entity.dxf.layer] + coordinates(entity.dxf.insert) +
                             [repr(float(entity.dxf.height)), entity.dxf.text])
            else:
                lines.append(["OTHER", entity.dxftype()])
    sys.stdout.buffer.write("".join("\t".join(line) + "\n" for line in lines).encode("utf-8"))


if __name__ == "__main__":
    main(sys.argv[1])
