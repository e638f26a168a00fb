#!/usr/bin/env python3
"""Writes the harnesses' seed inputs from the tests' own fixtures into SEED_DIR/<harness>/.

The texts of the unit tests (their C++ string literals), the sample disc's sheet and
the decoder's test streams, cut small. scripts/fuzz merges these into the kept corpora.
    make_seeds.py SOURCE_DIR SEED_DIR
"""
import hashlib
import re
import struct
import sys
from pathlib import Path

source, out = Path(sys.argv[1]), Path(sys.argv[2])

ESCAPES = {'n': '\n', 'r': '\r', 't': '\t', '0': '\0', '\\': '\\', '"': '"', "'": "'"}


def literals(path):
    """The file's string literals, adjacent ones joined, escapes decoded."""
    text = path.read_text(errors='replace')
    found = []
    for run in re.finditer(r'(?:"(?:[^"\\\n]|\\.)*"\s*)+', text):
        parts = re.findall(r'"((?:[^"\\\n]|\\.)*)"', run.group(0))
        joined = ''.join(parts)
        decoded = re.sub(r'\\x([0-9A-Fa-f]{2})|\\(.)',
                         lambda m: chr(int(m.group(1), 16)) if m.group(1) else ESCAPES.get(m.group(2), m.group(2)),
                         joined)
        found.append(decoded)
    return found


def save(harness, data):
    if isinstance(data, str):
        data = data.encode('utf-8', 'surrogateescape')
    folder = out / harness
    folder.mkdir(parents=True, exist_ok=True)
    (folder / hashlib.sha1(data).hexdigest()).write_bytes(data)


def from_tests(harness, files, keep):
    for name in files:
        for text in literals(source / name):
            if keep(text):
                save(harness, text)


# Profile files: every literal that holds a section or a key line.
from_tests('profile_file', ['tests/core/profile_file_test.cpp', 'tests/core/settings_store_test.cpp',
                            'tests/freedb/disc_cache_test.cpp', 'tests/freedb/cdplayer_ini_test.cpp'],
           lambda t: '[' in t or '=' in t)

# CUE sheets: the parser's test sheets and the sample disc's.
SAMPLE_SHEET = '''REM Sonvarek Maker sample disc
PERFORMER "Sonvarek Maker"
TITLE "Sample Disc"
FILE "sample-disc.bin" BINARY
  TRACK 01 AUDIO
    TITLE "Chord"
    INDEX 01 00:00:00
  TRACK 02 AUDIO
    INDEX 01 00:14:23
  TRACK 03 AUDIO
    INDEX 00 00:18:33
    INDEX 01 00:19:33
  TRACK 04 MODE1/2352
    FLAGS DCP
    PREGAP 00:02:00
    INDEX 01 00:31:38
    POSTGAP 00:01:00
'''
sheets = [t for t in literals(source / 'tests/cdrom/cue_sheet_test.cpp') if 'TRACK' in t or 'FILE' in t]
sheets.append(SAMPLE_SHEET)
for sheet in sheets:
    save('cue_sheet', sheet)
# Disc images: the same sheets over a.bin (with 40 sectors) and b.bin (with 10).
for sheet in sheets:
    names = re.sub(r'FILE\s+"[^"]*"', 'FILE "a.bin"', sheet, count=1)
    names = re.sub(r'FILE\s+"[^"]*"(?!.*FILE)', 'FILE "b.bin"', names, flags=re.S) if names.count('FILE') > 1 else names
    save('disc_image', bytes([40, 10]) + names.encode())
save('disc_image', bytes([40, 10]) + b'FILE "a.bin" BINARY\n TRACK 01 AUDIO\n  INDEX 01 00:00:00\n'
     b'FILE "b.bin" BINARY\n TRACK 02 AUDIO\n  INDEX 00 00:00:00\n  INDEX 01 00:00:05\n')

# READ TOC answers: audio discs, a disc with a data track, in LBA form.
def toc(first, starts, data_tracks=()):
    tracks = list(range(first, first + len(starts) - 1))
    body = b''
    for k, start in enumerate(starts):
        number = tracks[k] if k < len(tracks) else 0xAA
        control = 0x14 if number in data_tracks else 0x10
        body += struct.pack('>BBBBI', 0, control, number, 0, start)
    head = struct.pack('>HBB', 2 + len(body), first, tracks[-1])
    return (head + body).ljust(804, b'\0')

save('disc_toc', toc(1, [0, 1073, 1458, 2498, 6753]))
save('disc_toc', toc(1, [0, 15000, 30000, 52000], data_tracks=(3,)))
save('disc_toc', toc(2, [150, 300]))
save('disc_toc', toc(1, list(range(0, 100 * 200, 200))))

# Sense data: fixed and descriptor format, as drives send them.
save('sense_data', bytes([0x70, 0, 0x03, 0, 0, 0, 0, 10, 0, 0, 0, 0, 0x11, 0x00, 0, 0, 0, 0]))
save('sense_data', bytes([0xF0, 0, 0x02, 0, 0, 0, 0, 10, 0, 0, 0, 0, 0x3A, 0x01, 0, 0, 0, 0]))
save('sense_data', bytes([0x71, 0, 0x05, 0, 0, 0, 0, 4, 0, 0, 0, 0]))
save('sense_data', bytes([0x72, 0x05, 0x24, 0x00, 0, 0, 0, 0]))

# cddb answers: the reply texts of the parser tests behind an HTTP header, and the
# framing tests' answers as they are.
for text in literals(source / 'tests/freedb/cddb_query_test.cpp'):
    if re.match(r'\s*\d{3}', text):
        save('cddb_reply', 'HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\n\r\n' + text)
for text in literals(source / 'tests/freedb/cddb_http_test.cpp'):
    if 'HTTP' in text:
        save('cddb_reply', text)


# WAV files: the layouts the readers meet, a few samples each.
def le(value, size):
    return value.to_bytes(size, 'little')


def chunk(name, body):
    return name + le(len(body), 4) + body + (b'\0' if len(body) % 2 else b'')


def wav(samples, channels=2, rate=44100, bits=16, tag=1, extra_fmt=b'', before=b'', after=b''):
    fmt = le(tag, 2) + le(channels, 2) + le(rate, 4) + le(rate * channels * bits // 8, 4) + \
        le(channels * bits // 8, 2) + le(bits, 2) + extra_fmt
    body = b'WAVE' + chunk(b'fmt ', fmt) + before + chunk(b'data', samples) + after
    return b'RIFF' + le(len(body), 4) + body


def pcm(values):
    return b''.join(struct.pack('<h', v) for v in values)


sine = pcm([int(12000 * ((i * 7) % 32 - 16) / 16) for i in range(256)])
extensible = le(22, 2) + le(16, 2) + le(3, 4) + le(1, 2) + bytes.fromhex('000000001000800000aa00389b71')
wavs = [
    wav(sine),
    wav(sine[:200], channels=1, rate=22050),
    wav(sine, tag=0xFFFE, extra_fmt=extensible),
    wav(sine, extra_fmt=le(0, 2), before=chunk(b'LIST', b'INFOISFT\x04\0\0\0abc\0'), after=chunk(b'id3 ', b'x' * 9)),
    wav(pcm([-32768, 32767, 1000, -1000])),
    wav(pcm([0] * 16)),
    wav(sine[:101]),
    wav(sine, bits=8),
]
for data in wavs:
    save('wav_header', data)
    save('wav_normalizer', data + bytes([95]))
    save('mp3_encoding', data)

# MPEG files for the decoding job: an options byte, then the start of a test stream.
streams = sorted((source / 'tests/data/mpeg/robustness').glob('l3-*.bit'))
streams += sorted((source / 'tests/data/mpeg/iso').glob('*L3*.bit'))[:4]
for n, stream in enumerate(streams):
    save('mp3_decoding', bytes([(n * 37) & 0xFF]) + stream.read_bytes()[:4000])
