#!/usr/bin/env python3
"""Writes the seed corpus of the fuzz targets into tests/fuzz/corpus/<target>/.

The seeds are real module lines, frames and register reports, laid out the way each target
reads its input through libFuzzer's FuzzedDataProvider: byte strings from the front of the
input, numbers and choices from its back (the first one read is the last byte). When a target
changes the order in which it reads, change its seeds here and run this script again.
"""

import pathlib
import re
import shutil
import struct

HERE = pathlib.Path(__file__).resolve().parent
CORPUS = HERE / "corpus"
MAX_PAYLOAD = 36
LINE_CONTINUES = 0xC0


class Seed:
    """One input, written in the order the target reads it."""

    def __init__(self):
        self.front = bytearray()
        self.back = bytearray()  # in reading order

    def number(self, low, high, value, bits=64):
        span = high - low
        offset = value - low
        assert 0 <= offset <= span, (low, high, value)
        count = 0
        while count * 8 < bits and (span >> (count * 8)) > 0:
            count += 1
        for i in reversed(range(count)):  # most significant byte is read first
            self.back.append((offset >> (8 * i)) & 0xFF)
        return self

    def byte(self, value):
        return self.number(0, 255, value, 8)

    def flag(self, value):
        return self.byte(1 if value else 0)

    def int32(self, value):
        return self.number(-(2**31), 2**31 - 1, value, 32)

    def uint(self, value, bits):
        return self.number(0, 2**bits - 1, value, bits)

    def text(self, data, max_length):
        """A byte string as consumeByteArray reads it: its length, then its bytes."""
        self.number(0, max_length, len(data))
        self.front += data
        return self

    def utf16(self, text, max_units):
        """A text as consumeText reads it: its length in UTF-16 units, then the units."""
        units = text.encode("utf-16-le")
        self.number(0, max_units, len(units) // 2)
        self.front += units
        return self

    def raw_double(self, value):
        """consumeAnyDouble's first choice: the value's bits."""
        self.number(0, 3, 0)
        return self.uint(struct.unpack("<Q", struct.pack("<d", value))[0], 64)

    def usual_int(self, low, high, value):
        """consumeAnyInt's usual branch."""
        return self.number(0, 3, 1).number(low, high, value)

    def small_pixels(self, value):
        """consumePixels' small branch."""
        return self.flag(False).number(0, 400, value)

    def bytes(self):
        return bytes(self.front) + bytes(reversed(self.back))


def frame(msg_id, msg_type, payload):
    """The 40 bytes of a device frame: id, type, length + 3, payload, zeros, XOR checksum."""
    assert len(payload) <= MAX_PAYLOAD
    body = bytes([msg_id, msg_type, len(payload) + 3]) + payload
    checksum = 0
    for b in body:
        checksum ^= b
    return body + bytes(39 - len(body)) + bytes([checksum])


def line_pieces(line):
    """A module line as the unit sends it: 36-byte pieces, all but the last of type 0xC0."""
    pieces = []
    for offset in range(0, len(line), MAX_PAYLOAD):
        piece = line[offset : offset + MAX_PAYLOAD]
        last = offset + MAX_PAYLOAD >= len(line)
        payload = piece if len(piece) == MAX_PAYLOAD else piece + b"\0"
        pieces.append((0 if last else LINE_CONTINUES, payload))
    return pieces


FIRMWARE_VERSION = bytes(4) + struct.pack("<4i", 2, 1, 0, 0)
LEVELS = struct.pack("<2f", -20.5, -12.0)
SERIAL = b"PH000020\0"
HARDWARE_ID = b"PARLONA-HW-0003"
LONG_CLCC = b'+CLCC: 1,0,0,0,0,"+4930123456789012",145,"Studio Hotline Berlin"'
REAL_FRAMES = [
    frame(5, 0, FIRMWARE_VERSION),
    frame(15, 0, LEVELS),
    frame(3, 0, b"+CPIN: READY\0"),
    frame(3, 0, b'+CLCC: 1,1,4,0,0,"0612345678",129\0'),
    frame(4, 0, bytes([45, 0x10, 0x01])),
    frame(1, 0, SERIAL),
    frame(2, 0, HARDWARE_ID),
    frame(16, 0, b"\1"),
]


def frame_seeds():
    seeds = {}
    for i, f in enumerate(REAL_FRAMES):
        seeds[f"check-{i}"] = Seed().number(0, 2, 0).text(f, 42)
    broken = bytearray(REAL_FRAMES[2])
    broken[5] ^= 0x20
    seeds["check-bad-checksum"] = Seed().number(0, 2, 0).text(bytes(broken), 42)
    # A levels frame built, then bit 3 of its second payload byte flipped.
    built = Seed().number(0, 2, 1).byte(15).byte(0).text(LEVELS, MAX_PAYLOAD)
    seeds["build-levels"] = built.number(0, 3 + len(LEVELS) - 1, 4).number(0, 7, 3)
    link = Seed().number(0, 2, 2).number(0, 64, len(REAL_FRAMES) + 1)
    for f in REAL_FRAMES:
        link.number(0, 3, 2).text(f, 40)
    link.number(0, 3, 1).text(REAL_FRAMES[0] + b"\0", 42)  # one byte too long
    command = b"AT+CPIN?\0"
    link.byte(3).byte(0).number(-2, MAX_PAYLOAD + 2, len(command)).text(command, len(command))
    seeds["link-reports"] = link
    return seeds


def payload_seeds():
    payloads = {
        "levels": LEVELS,
        "firmware-version": FIRMWARE_VERSION + bytes(16),
        "serial": SERIAL.ljust(MAX_PAYLOAD, b"\0"),
        "debug-text": b"\1Boot done\0".ljust(MAX_PAYLOAD, b"\0"),
        "hardware-id": HARDWARE_ID + bytes(21),
        "codec-register": bytes([45, 0x10, 0x01]) + bytes(33),
        "line": b"OK\0".ljust(MAX_PAYLOAD, b"\0"),
    }
    seeds = {f"read-{name}": Seed().number(0, 4, 0).text(p, MAX_PAYLOAD + 12) for name, p in payloads.items()}
    writers = Seed().number(0, 4, 1)
    for part in struct.unpack("<2I", LEVELS):
        writers.uint(part, 32)
    for part in (2, 1, 0, 0):
        writers.int32(part)
    seeds["write-numbers"] = writers.byte(45).uint(0x110, 16).flag(True)
    for name, text in (("serial", "PH000020"), ("command", "AT+QSIDET=250"), ("accents", "Caf\u00e9 \u20ac")):
        seeds[f"write-text-{name}"] = Seed().number(0, 4, 2).utf16(text, 48).flag(False)
    for i, line in enumerate([LONG_CLCC, b"+CPIN: READY", bytes(b"x" * 520)]):
        seeds[f"line-messages-{i}"] = Seed().number(0, 4, 3).text(line, 600).flag(False)
    return seeds


def module_line(seed, line):
    """A whole line cut into messages by the codec (step 4)."""
    return seed.number(0, 15, 4).flag(False).flag(False).text(line, 700)


def module_message(seed, msg_type, payload):
    """One id-3 message (step 8): type choice 0 is 0xC0, 2 is an ordinary line end."""
    seed.number(0, 15, 8).number(0, 7, 1).number(0, 4, 0 if msg_type == LINE_CONTINUES else 2)
    return seed.text(payload, MAX_PAYLOAD + 12).flag(False)


def module_session(lines, parse_steps=2):
    seed = Seed()
    for line in lines:
        module_line(seed, line)
    for _ in range(parse_steps):
        seed.number(0, 15, 0)
    return seed


def module_lines_seeds():
    seeds = {
        "startup": module_session([b"AT+CPIN?", b"+CPIN: READY", b"OK", b"ATI", b"Quectel", b"UC20",
                                   b"Revision: UC20EAR02A05E4G", b"OK", b"AT+GMI", b"Quectel", b"OK"], 3),
        "incoming-call": module_session([b"RING", b"AT+CLCC", b'+CLCC: 1,1,4,0,0,"0612345678",129', b"OK",
                                         b"+QTONEDET: 49", b"OK"]),
        "signal-codec-sidetone": module_session([b"AT+CSQ", b"+CSQ: 20,99", b"OK", b"AT+QSPCH", b"+QSPCH: 1,7,0",
                                                 b"OK", b"AT+QSIDET?", b"+QSIDET: 250", b"OK"], 3),
        "sim-pin": module_session([b"AT+CPIN?", b"+CME ERROR: 11", b"OK", b"+CPIN: SIM PIN", b"OK"]),
        "phonebook": module_session([b"AT+CPBR=1,10", b'+CPBR: 1,"0612345678",129,"Studio"',
                                     b'+CPBR: 2,"+4930123456",145,"Desk"', b"OK"]),
        "text-message": module_session([b'AT+CMGS="0612345678"', b"> ", b"+CMGS: 12", b"OK"]),
        "long-line-cut": module_session([b"AT+QIND", b"+QIND: " + b"x" * 600, b"OK"]),
    }
    pieces = Seed()
    module_line(pieces, b"AT+CLCC")
    for msg_type, payload in line_pieces(LONG_CLCC):
        module_message(pieces, msg_type, payload)
    module_message(pieces, 0, b"OK\0".ljust(MAX_PAYLOAD, b"\0")).number(0, 15, 0)
    seeds["long-line-in-pieces"] = pieces
    call = Seed().number(0, 15, 3).flag(True).text(b"0612345678", 48)
    module_line(call, b'ATD0612345678;')
    module_line(call, b"OK").number(0, 15, 2)  # then the link is lost
    seeds["call-then-link-lost"] = call
    return seeds


# Register values after power-up, as a unit reports them once connected (0 to 79).
NAU8810_REPORT = {1: 0x000, 2: 0x000, 3: 0x000, 4: 0x050, 5: 0x000, 6: 0x140, 7: 0x000, 10: 0x000,
                  11: 0x0FF, 14: 0x100, 15: 0x0FF, 18: 0x12C, 19: 0x02C, 20: 0x02C, 21: 0x02C, 22: 0x02C,
                  24: 0x032, 25: 0x000, 27: 0x000, 28: 0x000, 29: 0x000, 30: 0x000, 32: 0x038, 33: 0x00B,
                  34: 0x032, 35: 0x000, 36: 0x008, 37: 0x00C, 38: 0x093, 39: 0x0E9, 40: 0x000, 44: 0x003,
                  45: 0x010, 47: 0x100, 49: 0x002, 50: 0x001, 54: 0x039, 56: 0x001, 60: 0x000, 79: 0x000}


def register_report(seed, values):
    seed.number(0, 100, len(values))
    for address, value in values:
        payload = bytes([address, value & 0xFF, value >> 8]).ljust(MAX_PAYLOAD, b"\0")
        seed.number(0, 7, 1).byte(0).text(payload, MAX_PAYLOAD + 4)
    return seed


def register_report_seeds():
    full = [(a, NAU8810_REPORT.get(a, 0)) for a in range(80)]
    seeds = {"full-report": register_report(Seed(), full)}
    eq = register_report(Seed(), full)
    eq.number(0, 2, 0).flag(True).number(-2, 30, 18).number(-2, 6, 2).number(0, 7, 2)  # band 3 gain 18
    eq.number(0, 2, 0).flag(True).number(-2, 30, 1).number(-2, 6, 2).number(0, 7, 1)  # band 3 wide
    eq.number(0, 2, 0).flag(True).number(-2, 30, 1).number(-2, 6, 0).number(0, 7, 5)  # 850 Hz
    seeds["full-report-then-eq"] = eq
    levels = register_report(Seed(), full[40:50])
    levels.number(0, 2, 1).flag(True).number(-2, 300, 40).flag(False).number(0, 7, 0)  # PGA gain
    levels.number(0, 2, 1).flag(True).number(-2, 300, 200).flag(False).number(0, 7, 3)  # DAC gain
    levels.number(0, 2, 1).flag(True).number(-2, 300, 0).flag(True).number(0, 7, 4)  # DAC mute
    levels.number(0, 2, 2).flag(False).byte(45).uint(0x13F, 16)  # raw write
    seeds["report-then-levels"] = levels
    # Once found by the fuzzer: the notch filter at the most extreme sample rates overflowed.
    notch = Seed()
    notch.front += bytes.fromhex("ffff851a3d8500")
    seeds["notch-extreme-sample-rate"] = notch
    return seeds


# The panel's default bands, and the curve of the equaliser page's picture: a cut below 100 Hz, a
# lift around 850 Hz and more air above 5 kHz.
DEFAULT_BANDS = [(0.0, 12000, 1.0, 1.0, 3, True), (0.0, 10000, 1.0, 1.0, 3, True), (0.0, 8000, 1.0, 1.0, 3, True),
                 (0.0, 6000, 1.0, 1.0, 3, True), (0.0, 4000, 1.0, 1.0, 3, True), (0.0, 2000, 1.0, 1.0, 0, True)]
PICTURE_BANDS = [(0.0, 100, 1.0, 1.0, 1, True), (6.0, 850, 1.0, 1.0, 3, True), (0.0, 2400, 2.0, 1.0, 3, True),
                 (-3.0, 3200, 0.5, 1.0, 7, True), (4.5, 5300, 1.0, 1.0, 4, True), (0.0, 2000, 1.0, 1.0, 0, False)]


def eq_curve_seed(bands, width, height, points):
    seed = Seed().flag(False).usual_int(-10, 200000, 48000)
    for gain, frequency, bandwidth, slope, band_type, on in bands:
        seed.raw_double(gain).flag(False).usual_int(-10, 30000, frequency)
        seed.raw_double(bandwidth).raw_double(slope).usual_int(-1, 9, band_type).flag(on)
    seed.small_pixels(width).small_pixels(height).small_pixels(20).small_pixels(20)
    seed.usual_int(-10, 200000, 48000).flag(True).raw_double(2.04)
    seed.number(0, 15, 0).int32(points) if points > 40 else seed.number(0, 15, 1).number(-3, 40, points)
    for value in (12.5, 1000.0, 0.0, 1.0):
        seed.raw_double(value)
    return seed


def eq_curve_seeds():
    return {
        "default-bands": eq_curve_seed(DEFAULT_BANDS, 380, 220, 40),
        "picture-bands": eq_curve_seed(PICTURE_BANDS, 380, 220, 1024),
        "picture-bands-few-points": eq_curve_seed(PICTURE_BANDS, 200, 120, 12),
    }


def panel_properties():
    header = (HERE / "../../src/audio/OrvaneEQPanel.h").read_text()
    return [(m.group(2), m.group(1)) for m in re.finditer(r"Q_PROPERTY\(\s*(\w+)\s+(\w+)", header)]


def eq_panel_seed(settings, width=380, height=220):
    properties = panel_properties()
    names = [name for name, _ in properties]
    types = dict(properties)
    seed = Seed().small_pixels(width).small_pixels(height)
    for name, value in settings:
        seed.number(0, 7, 1).number(0, len(properties) - 1, names.index(name))
        kind = types[name]
        if kind == "double":
            seed.raw_double(value)
        elif kind == "bool":
            seed.flag(value)
        elif kind == "QColor":
            seed.uint(value, 32)
        elif name in ("AxisBorderWidth", "AxisLeftMargin", "AnchorSize", "ActiveCurveWidth",
                      "InactiveCurveWidth", "AnchorPickupSize"):
            seed.small_pixels(value)
        else:
            seed.usual_int(-10, 50000, value)
    return seed


def eq_panel_seeds():
    picture = [("TypeBand1", 1), ("FrequencyBand1", 100), ("GainBand2", 6.0), ("FrequencyBand2", 850),
               ("TypeBand5", 4), ("GainBand5", 4.5), ("FrequencyBand5", 5300), ("LCOn", True),
               ("FrequencyLowCut", 60)]
    return {
        "picture": eq_panel_seed(picture),
        "few-points-no-text": eq_panel_seed([("NrOfPoints", 24), ("ShowGainText", False),
                                             ("ShowFrequencyText", False), ("GainBand3", -12.0)], 160, 120),
        "colours-and-widths": eq_panel_seed([("ActiveCurveColor", 0xFFFF8000), ("ActiveCurveWidth", 3),
                                             ("AnchorSize", 6), ("EQOn", False), ("LogGrid", False)]),
    }


class FileSeed:
    """A file as it stands, for the targets that read a whole file."""

    def __init__(self, data):
        self.data = data

    def bytes(self):
        return self.data


def contact_csv_seeds():
    """Phonebook exports as spreadsheets and address books write them."""
    return {
        "export": FileSeed(b"first_name,last_name,phone_number,info\r\n"
                           b"Anna,de Vries,'+31 20 123 4567,\"Studio B, line 2\"\r\n"
                           b"\"Doe, John\",Smith,0612345678,\"says \"\"hi\"\"\nand more\"\r\n"
                           b"'=SUM(A1),'@home,'-5,'''+x\r\n"),
        "excel-nl": FileSeed(b"\xef\xbb\xbfVoornaam;Achternaam;Telefoonnummer;Opmerkingen\r\n"
                             b"J\xc3\xbcrgen;M\xc3\xbcller;+49 30 1234567;\"a;b\"\r\n"
                             b"Piet;Jansen;06-12345678;\r\n"),
        "windows-1252": FileSeed(b"Last Name,First name,Mobile,Notes\r\n"
                                 b"M\xfcller,Ren\xe9e,0612,\x80 5 \x93ok\x94\r\n"),
        "reordered-lf": FileSeed(b"phone_number,first_name,last_name\n 030 ,Anna,\n\nBert,,x\n"),
        "ambiguous": FileSeed(b"First name;Last name;Phone;Mobile\n"),
    }


def contact_vcard_seeds():
    """Address book exports in vCard 2.1, 3.0 and 4.0."""
    return {
        "v21-quoted-printable": FileSeed(
            b"BEGIN:VCARD\r\nVERSION:2.1\r\nN;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:M=C3=BCller;J=\r\n"
            b"=C3=BCrgen\r\nTEL;HOME:020 1\r\nTEL;CELL;PREF:06 2\r\n"
            b"NOTE;CHARSET=ISO-8859-1;QUOTED-PRINTABLE:Caf=E9 =3D 1\r\nEND:VCARD\r\n"),
        "v30-export": FileSeed(
            b"BEGIN:VCARD\r\nVERSION:3.0\r\nN:Lef\xc3\xa8vre;\xc3\x89mile;Paul;Dr.;\r\n"
            b"FN:\xc3\x89mile Lef\xc3\xa8vre\r\nitem1.TEL;TYPE=\"cell:x\":+33 1\r\nTEL;TYPE=WORK,VOICE:999\r\n"
            b"EMAIL;TYPE=work:e@x.org\r\nNOTE:one\\ntwo\\, \\;\r\n  folded\r\nPHOTO;ENCODING=b:AAAA\r\n\tBBBB\r\n"
            b"END:VCARD\r\n"),
        "v40-tel-uri": FileSeed(
            b"BEGIN:VCARD\nVERSION:4.0\nFN:Ann Lee\nTEL;VALUE=uri;TYPE=\"cell,voice\":tel:+1-555-0100\n"
            b"TEL;VALUE=uri;PREF=2;TYPE=work:tel:+1-555-0101;ext=7\nTEL;PREF=1:tel:+1-555-0102\nEND:VCARD\n"),
        "company": FileSeed(b"BEGIN:VCARD\nN:;;;;\nFN:Radio Noord\nTEL:050 1234567\nEND:VCARD\n"),
    }


def main():
    targets = {
        "frame": frame_seeds(),
        "payload": payload_seeds(),
        "module_lines": module_lines_seeds(),
        "register_report": register_report_seeds(),
        "eq_curve": eq_curve_seeds(),
        "eq_panel": eq_panel_seeds(),
        "contact_csv": contact_csv_seeds(),
        "contact_vcard": contact_vcard_seeds(),
    }
    shutil.rmtree(CORPUS, ignore_errors=True)
    for target, seeds in targets.items():
        folder = CORPUS / target
        folder.mkdir(parents=True)
        for name, seed in seeds.items():
            (folder / name).write_bytes(seed.bytes())


if __name__ == "__main__":
    main()
