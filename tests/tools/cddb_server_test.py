#!/usr/bin/env python3
"""Drives tools/cddb-server over raw sockets, the way a cddb client talks to it.

Usage: cddb_server_test.py [PATH-TO-cddb-server] [unittest options]
"""

import os
import signal
import socket
import subprocess
import sys
import tempfile
import time
import unittest
import urllib.parse

HERE = os.path.dirname(os.path.abspath(__file__))
SERVER = os.path.join(HERE, "..", "..", "tools", "cddb-server", "cddb-server")
if len(sys.argv) > 1 and not sys.argv[1].startswith("-"):
    SERVER = sys.argv.pop(1)

QUERY_PATH = "/~cddb/cddb.cgi"
SUBMIT_PATH = "/~cddb/submit.cgi"
LIST_FOLLOWS = "list follows (until terminating `.')"


def make_entry(discid, title_lines, offsets, nsecs=2000, tracks=None):
    lines = ["# xmcd", "#", "# Track frame offsets:"]
    lines += [f"#\t{o}" for o in offsets]
    lines += ["#", f"# Disc length: {nsecs} seconds", "#", "# Revision: 0",
              "# Submitted via: cddb-server-test 1.0", "#", f"DISCID={discid}"]
    lines += [f"DTITLE={t}" for t in title_lines]
    lines += ["DYEAR=1999", "DGENRE=Test"]
    for i, name in enumerate(tracks or [f"Track {n + 1}" for n in range(len(offsets))]):
        lines.append(f"TTITLE{i}={name}")
    lines += ["EXTD=", "PLAYORDER="]
    return lines


# discid -> (category, lines, line end)
SPLIT_TITLE = make_entry("0a0b0c0d", ["Split Artist / A title contin", "ued over two lines"],
                         [150, 20000, 40000])
ACCENTED = make_entry("22222222", ["Café / 日本"], [150, 5000])
INEXACT = make_entry("44444444", ["Near Miss / Drifted"], [150, 10000, 30000])
LONG = make_entry("33333333", ["Long / Entry"], [150 + 1000 * n for n in range(99)],
                  tracks=[f"Track number {n} " + "x" * 700 for n in range(99)])
DUPLICATE_BLUES = make_entry("11111111", ["Blues Artist / Same Id"], [150, 7000])
DUPLICATE_ROCK = make_entry("11111111", ["Rock Artist / Same Id"], [150, 9000])

FIXTURES = [
    ("misc", "0a0b0c0d", SPLIT_TITLE, "\r\n"),
    ("jazz", "22222222", ACCENTED, "\n"),
    ("folk", "44444444", INEXACT, "\n"),
    ("classical", "33333333", LONG, "\n"),
    # rock is written first so the answer order cannot come from creation order.
    ("rock", "11111111", DUPLICATE_ROCK, "\n"),
    ("blues", "11111111", DUPLICATE_BLUES, "\n"),
]

SECRET = b"# xmcd\nDTITLE=outside the database\n"


def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)


class Server:
    """One server process on a fresh temporary database."""

    def __init__(self):
        self.tmp = tempfile.TemporaryDirectory(prefix="cddb-server-test-")
        self.base = self.tmp.name
        self.root = os.path.join(self.base, "db")
        self.log = os.path.join(self.base, "requests.log")
        for category, discid, lines, eol in FIXTURES:
            write(os.path.join(self.root, category, discid),
                  "".join(line + eol for line in lines).encode("utf-8"))
        # Bait beside the database: a path that climbs out of ROOT would find these.
        write(os.path.join(self.base, "x", "12345678"), SECRET)
        write(os.path.join(self.base, "etc", "12345678"), SECRET)
        port_file = os.path.join(self.base, "port")
        self.proc = subprocess.Popen(
            [sys.executable, SERVER, "--root", self.root, "--port", "0",
             "--port-file", port_file, "--log", self.log],
            stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        deadline = time.monotonic() + 5
        while not os.path.exists(port_file):
            if self.proc.poll() is not None or time.monotonic() > deadline:
                self.stop()
                raise RuntimeError("cddb-server did not start: "
                                   + self.proc.stderr.read().decode(errors="replace"))
            time.sleep(0.01)
        with open(port_file) as f:
            self.port = int(f.read())
        self.banner = self.proc.stdout.readline().decode()

    def stop(self):
        if self.proc.poll() is None:
            self.proc.send_signal(signal.SIGTERM)
            try:
                self.proc.wait(timeout=5)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait()
        self.proc.stdout.close()
        self.proc.stderr.close()
        self.tmp.cleanup()

    def connect(self):
        return socket.create_connection(("127.0.0.1", self.port), timeout=5)

    def exchange(self, raw, half_close=True, tail=None):
        """Send a request, read until the server closes. tail is sent after a pause,
        like the uncounted bytes a submitting client sends last."""
        with self.connect() as sock:
            sock.sendall(raw)
            if tail is not None:
                time.sleep(0.05)
                sock.sendall(tail)
            if half_close:
                sock.shutdown(socket.SHUT_WR)
            chunks = []
            while chunk := sock.recv(65536):
                chunks.append(chunk)
        return b"".join(chunks)

    def post(self, path, body, headers=(), half_close=True):
        head = f"POST {path} HTTP/1.0\r\n"
        head += "".join(f"{name}: {value}\r\n" for name, value in headers)
        head += f"Content-Length: {len(body)}\r\n\r\n"
        return self.exchange(head.encode("latin-1") + body, half_close)

    def cddb(self, cmd, proto=6, path=QUERY_PATH):
        fields = [("cmd", cmd), ("hello", "tester localhost cddb-server-test 1.0")]
        if proto is not None:
            fields.append(("proto", str(proto)))
        return Reply(self.post(path, urllib.parse.urlencode(fields).encode("ascii"),
                               [("Content-Type", "application/x-www-form-urlencoded")]))


class Reply:
    def __init__(self, raw):
        self.raw = raw
        head, sep, self.body = raw.partition(b"\r\n\r\n")
        assert sep, f"no header end in {raw!r}"
        lines = head.decode("latin-1").split("\r\n")
        self.status = lines[0]
        self.headers = {}
        for line in lines[1:]:
            name, _, value = line.partition(":")
            self.headers[name.strip().lower()] = value.strip()

    def text(self):
        codec = "utf-8" if self.charset() == "UTF-8" else "latin-1"
        return self.body.decode(codec)

    def lines(self):
        text = self.text()
        assert text.endswith("\r\n"), repr(text)
        return text[:-2].split("\r\n")

    def charset(self):
        return self.headers["content-type"].partition("charset=")[2]


def listing(code, text, entries):
    return [f"{code} {text}"] + [f"{c} {d} {t}" for c, d, t in entries] + ["."]


class ServerTestCase(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.server = Server()

    @classmethod
    def tearDownClass(cls):
        cls.server.stop()

    def assertOk(self, reply):
        self.assertEqual(reply.status, "HTTP/1.0 200 OK")
        self.assertEqual(reply.headers.get("connection"), "close")


class QueryTests(ServerTestCase):
    def test_single_match_joins_continued_title(self):
        for discid in ("0a0b0c0d", "0A0B0C0D"):
            with self.subTest(discid=discid):
                reply = self.server.cddb(f"cddb query {discid} 3 150 20000 40000 2000")
                self.assertOk(reply)
                self.assertEqual(reply.lines(), [
                    "200 misc 0a0b0c0d Split Artist / A title continued over two lines"])

    def test_several_exact_matches_by_protocol_level(self):
        matches = [("blues", "11111111", "Blues Artist / Same Id"),
                   ("rock", "11111111", "Rock Artist / Same Id")]
        cases = [(1, 211, "Found inexact matches"), (3, 211, "Found inexact matches"),
                 (4, 210, "Found exact matches"), (6, 210, "Found exact matches")]
        for proto, code, text in cases:
            with self.subTest(proto=proto):
                reply = self.server.cddb("cddb query 11111111 2 150 7000 1000", proto)
                self.assertEqual(reply.lines(), listing(code, f"{text}, {LIST_FOLLOWS}", matches))

    def test_inexact_match_on_offsets(self):
        found = listing(211, f"Found inexact matches, {LIST_FOLLOWS}",
                        [("folk", "44444444", "Near Miss / Drifted")])
        none = ["202 No match for disc ID 99999999."]
        cases = [
            ("same offsets", "3 150 10000 30000", found),
            ("300 frames later", "3 450 10300 30300", found),
            ("300 frames earlier", "3 0 9700 29700", found),
            ("one offset 301 off", "3 150 10000 30301", none),
            ("extra track", "4 150 10000 30000 40000", none),
            ("missing track", "2 150 10000", none),
        ]
        for name, toc, expected in cases:
            with self.subTest(name):
                for proto in (3, 6):
                    reply = self.server.cddb(f"cddb query 99999999 {toc} 2000", proto)
                    self.assertEqual(reply.lines(), expected)

    def test_syntax_errors(self):
        cases = [
            "cddb query",
            "cddb query 0a0b0c0d",
            "cddb query 0a0b0c0 3 150 20000 40000 2000",
            "cddb query 0a0b0c0d0 3 150 20000 40000 2000",
            "cddb query 0a0b0c0g 3 150 20000 40000 2000",
            "cddb query 0a0b0c0d three 150 20000 40000 2000",
            "cddb query 0a0b0c0d 3 150 20000 2000",
            "cddb query 0a0b0c0d 3 150 20000 40000 50000 2000",
            "cddb query 0a0b0c0d 3 150 20000 40000",
            "cddb query 0a0b0c0d 3 150 -20000 40000 2000",
            "cddb query 0a0b0c0d 3 150 20000 40000 2000s",
        ]
        for cmd in cases:
            with self.subTest(cmd):
                self.assertEqual(self.server.cddb(cmd).lines(), ["500 Command syntax error."])

    def test_unrecognized_commands(self):
        for cmd in ("", "cddb", "cddb write rock 12345678", "sites", "query 0a0b0c0d"):
            with self.subTest(cmd=cmd):
                self.assertEqual(self.server.cddb(cmd).lines(), ["500 Unrecognized command."])

    def test_protocol_levels(self):
        single = ["200 misc 0a0b0c0d Split Artist / A title continued over two lines"]
        bad = ["501 Illegal CDDB protocol level."]
        cases = [(None, single), (1, single), (5, single), (6, single),
                 (0, bad), (7, bad), ("x", bad), ("-1", bad)]
        for proto, expected in cases:
            with self.subTest(proto=proto):
                reply = self.server.cddb("cddb query 0a0b0c0d 3 150 20000 40000 2000", proto)
                self.assertEqual(reply.lines(), expected)


class ReadTests(ServerTestCase):
    def test_read_present_entry(self):
        # The fixture is stored with "\r\n" ends: each line must still end in one "\r\n".
        reply = self.server.cddb("cddb read misc 0A0B0C0D")
        self.assertOk(reply)
        self.assertEqual(reply.lines(),
                         ["210 misc 0a0b0c0d CD database entry follows (until terminating `.')"]
                         + SPLIT_TITLE + ["."])

    def test_read_absent_entry(self):
        cases = [("rock", "0a0b0c0d"), ("soundtrack", "deadbeef")]
        for category, discid in cases:
            with self.subTest(category=category):
                reply = self.server.cddb(f"cddb read {category} {discid}")
                self.assertEqual(reply.lines(),
                                 [f"401 {category} {discid} No such CD entry in database."])

    def test_long_entry_served_whole(self):
        reply = self.server.cddb("cddb read classical 33333333")
        expected = ("210 classical 33333333 CD database entry follows (until terminating `.')\r\n"
                    + "".join(line + "\r\n" for line in LONG) + ".\r\n").encode("latin-1")
        self.assertGreater(len(expected), 60 * 1024)
        self.assertEqual(reply.body, expected)

    def test_names_cannot_escape_the_root(self):
        cases = ["cddb read ../x 12345678",
                 "cddb read rock/../../etc 12345678",
                 "cddb read rock ../../x/12345678",
                 "cddb read rock ../x",
                 "cddb read .. 12345678",
                 "cddb read /etc 12345678",
                 "cddb read pop 12345678",
                 "cddb read rock",
                 "cddb read rock 12345678 extra"]
        for cmd in cases:
            with self.subTest(cmd):
                reply = self.server.cddb(cmd)
                self.assertEqual(reply.lines(), ["500 Command syntax error."])


class CharsetTests(ServerTestCase):
    def test_query_and_read_by_protocol_level(self):
        cases = [(3, "ISO-8859-1", b"Caf\xe9 / ??"),
                 (5, "ISO-8859-1", b"Caf\xe9 / ??"),
                 (6, "UTF-8", "Café / 日本".encode("utf-8"))]
        for proto, charset, title in cases:
            with self.subTest(proto=proto):
                query = self.server.cddb("cddb query 22222222 2 150 5000 1000", proto)
                self.assertEqual(query.charset(), charset)
                self.assertEqual(query.body, b"200 jazz 22222222 " + title + b"\r\n")
                read = self.server.cddb("cddb read jazz 22222222", proto)
                self.assertEqual(read.charset(), charset)
                self.assertIn(b"\r\nDTITLE=" + title + b"\r\n", read.body)


class HttpTests(ServerTestCase):
    def query_body(self):
        return b"cmd=cddb+query+0a0b0c0d+3+150+20000+40000+2000&hello=a+b+c+d&proto=6"

    def request(self, target, method="POST", eol="\r\n"):
        body = self.query_body()
        head = eol.join([f"{method} {target} HTTP/1.0", f"Content-Length: {len(body)}", "", ""])
        return head.encode("ascii") + body

    def assertServing(self):
        reply = self.server.cddb("cddb query 0a0b0c0d 3 150 20000 40000 2000")
        self.assertTrue(reply.body.startswith(b"200 misc 0a0b0c0d "), reply.raw)

    def test_request_targets(self):
        cases = [
            (self.request(QUERY_PATH), "HTTP/1.0 200 OK"),
            (self.request(f"http://freedb.example.org{QUERY_PATH}"), "HTTP/1.0 200 OK"),
            (self.request(f"http://freedb.example.org:8880{QUERY_PATH}"), "HTTP/1.0 200 OK"),
            (self.request(QUERY_PATH, eol="\n"), "HTTP/1.0 200 OK"),
            (self.request("/~cddb/other.cgi"), "HTTP/1.0 404 Not Found"),
            (self.request("http://freedb.example.org/"), "HTTP/1.0 404 Not Found"),
            (self.request(QUERY_PATH, method="GET"), "HTTP/1.0 405 Method Not Allowed"),
            (self.request(SUBMIT_PATH, method="PUT"), "HTTP/1.0 405 Method Not Allowed"),
        ]
        for raw, status in cases:
            with self.subTest(raw[:60]):
                reply = Reply(self.server.exchange(raw))
                self.assertEqual(reply.status, status)
                if status.endswith("200 OK"):
                    self.assertTrue(reply.body.startswith(b"200 misc 0a0b0c0d "))

    def test_malformed_requests_answered_400(self):
        cases = [
            b"\x00\xff\xfe\x80garbage\r\n\r\n",
            b"no blank line and then the client stops",
            b"POST\r\n\r\n",
            b"POST /~cddb/cddb.cgi\r\n\r\n",
            b"POST /~cddb/cddb.cgi HTTP/1.0 extra\r\n\r\n",
            b"POST /~cddb/cddb.cgi HTTP/1.0\r\nno colon here\r\n\r\n",
            b"POST /~cddb/cddb.cgi HTTP/1.0\r\nContent-Length: -5\r\n\r\n",
            b"POST /~cddb/cddb.cgi HTTP/1.0\r\nContent-Length: lots\r\n\r\n",
            b"POST /~cddb/cddb.cgi HTTP/1.0\r\nContent-Length: 100\r\n\r\ncmd=short",
            b"POST /~cddb/cddb.cgi HTTP/1.0\r\nX-Big: " + b"a" * (70 * 1024) + b"\r\n\r\n",
        ]
        for raw in cases:
            with self.subTest(raw[:40]):
                reply = self.server.exchange(raw)
                self.assertTrue(reply.startswith(b"HTTP/1.0 400 Bad Request\r\n"), reply[:80])
                self.assertServing()
        # A client that connects and leaves without a word gets nothing and harms nothing.
        self.server.connect().close()
        self.assertServing()

    def test_client_that_keeps_its_side_open(self):
        start = time.monotonic()
        reply = Reply(self.server.exchange(self.request(QUERY_PATH), half_close=False))
        self.assertTrue(reply.body.startswith(b"200 misc 0a0b0c0d "))
        self.assertLess(time.monotonic() - start, 3)

    def test_idle_connection_does_not_block_others(self):
        with self.server.connect() as idle:
            idle.sendall(b"POST /~cddb/cddb.cgi HTTP/1.0\r\n")
            self.assertServing()

    def test_log_holds_raw_requests(self):
        raw = self.request(f"http://h{QUERY_PATH}")
        self.server.exchange(raw)
        with open(self.server.log, "rb") as f:
            self.assertIn(raw + b"----\n", f.read())


def submission(discid, entry, category="rock", mode="submit", charset=None, omit=(),
               replace=()):
    headers = {"Category": category, "Discid": discid, "User-Email": "tester@example.org",
               "Submit-Mode": mode, "X-Cddbd-Note": "sent by the test"}
    if charset:
        headers["Charset"] = charset
    headers.update(replace)
    for name in omit:
        headers.pop(name)
    head = f"POST {SUBMIT_PATH} HTTP/1.0\r\n"
    head += "".join(f"{k}: {v}\r\n" for k, v in headers.items())
    head += f"Content-Length: {len(entry)}\r\n\r\n\r\n"
    return head.encode("ascii") + entry


class SubmissionTests(ServerTestCase):
    def submit(self, raw, half_close=True):
        # The final "\r\n" is not counted in Content-Length and comes late.
        return Reply(self.server.exchange(raw, half_close, tail=b"\r\n"))

    def stored(self, category, discid):
        folder = os.path.join(self.server.root, ".submissions")
        names = sorted(n for n in os.listdir(folder) if n.startswith(f"{category}-{discid}-")) \
            if os.path.isdir(folder) else []
        contents = []
        for name in names:
            with open(os.path.join(folder, name), "rb") as f:
                contents.append((name, f.read()))
        return contents

    def entry_bytes(self, lines, codec="utf-8"):
        return "".join(line + "\r\n" for line in lines).encode(codec)

    def test_submit_is_stored_and_served(self):
        lines = make_entry("5a5a5a5a", ["Submitter / Été 日本"], [150, 3000, 6000])
        raw = submission("5a5a5a5a", self.entry_bytes(lines), charset="UTF-8")
        # Like a real client: no half-close, the server has to wait out the tail.
        reply = self.submit(raw, half_close=False)
        self.assertOk(reply)
        self.assertEqual(reply.body, b"200 OK, submission has been sent.\r\n")
        self.assertEqual(self.stored("rock", "5a5a5a5a"),
                         [("rock-5a5a5a5a-1.txt", raw + b"\r\n")])
        with open(os.path.join(self.server.root, "rock", "5a5a5a5a"), "rb") as f:
            self.assertEqual(f.read(), "".join(line + "\n" for line in lines).encode("utf-8"))

        query = self.server.cddb("cddb query 5A5A5A5A 3 150 3000 6000 100")
        self.assertEqual(query.lines(), ["200 rock 5a5a5a5a Submitter / Été 日本"])
        read = self.server.cddb("cddb read rock 5a5a5a5a")
        self.assertEqual(read.lines()[1:], lines + ["."])

        # A resubmission keeps the first one and replaces the entry.
        lines2 = make_entry("5a5a5a5a", ["Submitter / Corrected"], [150, 3000, 6000])
        raw2 = submission("5a5a5a5a", self.entry_bytes(lines2), charset="utf-8")
        self.assertEqual(self.submit(raw2).body, b"200 OK, submission has been sent.\r\n")
        self.assertEqual(self.stored("rock", "5a5a5a5a"),
                         [("rock-5a5a5a5a-1.txt", raw + b"\r\n"),
                          ("rock-5a5a5a5a-2.txt", raw2 + b"\r\n")])
        query = self.server.cddb("cddb query 5a5a5a5a 3 150 3000 6000 100")
        self.assertEqual(query.lines(), ["200 rock 5a5a5a5a Submitter / Corrected"])

    def test_latin1_submission_stored_as_utf8(self):
        lines = make_entry("6b6b6b6b", ["Chanteur / Chère"], [150, 3000])
        for charset in (None, "ISO-8859-1"):
            with self.subTest(charset=charset):
                raw = submission("6b6b6b6b", self.entry_bytes(lines, "latin-1"),
                                 category="folk", charset=charset)
                self.assertEqual(self.submit(raw).body, b"200 OK, submission has been sent.\r\n")
                with open(os.path.join(self.server.root, "folk", "6b6b6b6b"), "rb") as f:
                    self.assertIn("DTITLE=Chanteur / Chère\n".encode("utf-8"), f.read())

    def test_test_mode_stores_only_the_request(self):
        lines = make_entry("7c7c7c7c", ["Trial / Run"], [150, 3000, 9000, 12000])
        raw = submission("7c7c7c7c", self.entry_bytes(lines), category="jazz", mode="test")
        self.assertEqual(self.submit(raw).body, b"200 OK, submission has been sent.\r\n")
        self.assertEqual(self.stored("jazz", "7c7c7c7c"), [("jazz-7c7c7c7c-1.txt", raw + b"\r\n")])
        self.assertFalse(os.path.exists(os.path.join(self.server.root, "jazz", "7c7c7c7c")))
        self.assertEqual(self.server.cddb("cddb query 7c7c7c7c 4 150 3000 9000 12000 100").lines(),
                         ["202 No match for disc ID 7c7c7c7c."])

    def test_bad_headers_rejected_and_not_stored(self):
        missing = "500 Missing required header information."
        invalid = "500 Invalid header information."
        cases = [
            ({"omit": ["Category"]}, missing),
            ({"omit": ["Discid"]}, missing),
            ({"omit": ["User-Email"]}, missing),
            ({"omit": ["Submit-Mode"]}, missing),
            ({"replace": {"Category": ""}}, missing),
            ({"category": "pop"}, invalid),
            ({"category": "rock/../../etc"}, invalid),
            ({"replace": {"Discid": "8d8d8d8"}}, invalid),
            ({"replace": {"Discid": "../../x/8d8d8d8d"}}, invalid),
            ({"replace": {"Discid": "8d8d8d8z"}}, invalid),
            ({"mode": "maybe"}, invalid),
            ({"charset": "KOI8-R"}, invalid),
            ({"replace": {"User-Email": "nobody"}}, invalid),
        ]
        entry = self.entry_bytes(make_entry("8d8d8d8d", ["Bad / Headers"], [150]))
        for kwargs, expected in cases:
            with self.subTest(**{k: str(v) for k, v in kwargs.items()}):
                reply = Reply(self.server.exchange(submission("8d8d8d8d", entry, **kwargs)))
                self.assertEqual(reply.lines(), [expected])
        folder = os.path.join(self.server.root, ".submissions")
        leftovers = [n for n in os.listdir(folder) if "8d8d8d8d" in n] \
            if os.path.isdir(folder) else []
        self.assertEqual(leftovers, [])
        self.assertEqual(self.server.cddb("cddb query 8d8d8d8d 1 150 100").lines(),
                         ["202 No match for disc ID 8d8d8d8d."])

    def test_body_that_is_not_an_entry(self):
        cases = [("9e9e9e90", b"DTITLE=No / Header\r\n", None),
                 ("9e9e9e91", b"", None),
                 ("9e9e9e92", b"# xmcd\r\nDTITLE=Broken \xff\r\n", "UTF-8")]
        for discid, body, charset in cases:
            with self.subTest(discid=discid):
                raw = submission(discid, body, category="misc", charset=charset)
                self.assertEqual(self.submit(raw).lines(), ["500 Invalid entry."])
                self.assertEqual(self.stored("misc", discid),
                                 [(f"misc-{discid}-1.txt", raw + b"\r\n")])
                self.assertFalse(os.path.exists(os.path.join(self.server.root, "misc", discid)))


class LifecycleTests(unittest.TestCase):
    def test_announces_port_and_stops_on_signal(self):
        for sig in (signal.SIGTERM, signal.SIGINT):
            with self.subTest(signal=sig.name):
                server = Server()
                try:
                    self.assertEqual(server.banner, f"listening on 127.0.0.1:{server.port}\n")
                    server.proc.send_signal(sig)
                    self.assertEqual(server.proc.wait(timeout=5), 0)
                    self.assertEqual(server.proc.stderr.read(), b"")
                finally:
                    server.stop()


if __name__ == "__main__":
    unittest.main()
