"""Extracts the MusicXML schema that MuseScore 3 carries inside its program, with the xml.xsd
and xlink.xsd it imports, so that xmllint can validate offline.

    python3 extract_musicxml_schema.py PATH/TO/mscore3 OUT_DIR

Writes OUT_DIR/musicxml.xsd, xml.xsd and xlink.xsd and prints the schema's version line; exits
1 when the program holds no schema it can find.
"""
import re
import struct
import sys
import zlib


def compressed_schema(program):
    # Compressed resources are a 4-byte big-endian length and a zlib stream.
    for match in re.finditer(rb"\x78[\x01\x5e\x9c\xda]", program):
        start = match.start()
        if start < 4:
            continue
        length = struct.unpack(">I", program[start - 4:start])[0]
        if not 10000 < length < 10000000:
            continue
        try:
            head = zlib.decompressobj().decompress(program[start:start + 4096], 512)
        except zlib.error:
            continue
        if b"MusicXML W3C XML schema" not in head:
            continue
        return zlib.decompressobj().decompress(program[start:start + length], length)
    return None


def plain_schema(program, target_namespace):
    marker = b'<xs:schema targetNamespace="' + target_namespace + b'"'
    at = program.find(marker)
    if at < 0:
        return None
    start = program.rfind(b"<?xml", 0, at)
    end = program.find(b"</xs:schema>", at)
    if start < 0 or end < 0:
        return None
    return program[start:end + len(b"</xs:schema>")] + b"\n"


def main():
    program = open(sys.argv[1], "rb").read()
    schema = compressed_schema(program)
    xml = plain_schema(program, b"http://www.w3.org/XML/1998/namespace")
    xlink = plain_schema(program, b"http://www.w3.org/1999/xlink")
    if schema is None or xml is None or xlink is None:
        print("no MusicXML schema found in " + sys.argv[1])
        sys.exit(1)
    schema = re.sub(rb'schemaLocation="[^"]*/(xml|xlink)\.xsd"', rb'schemaLocation="\1.xsd"',
                    schema)
    for name, data in (("musicxml.xsd", schema), ("xml.xsd", xml), ("xlink.xsd", xlink)):
        with open(f"{sys.argv[2]}/{name}", "wb") as out:
            out.write(data)
    version = re.search(rb"Version ([0-9.]+)", schema)
    print("MusicXML schema version " + (version.group(1).decode() if version else "unknown"))


main()
