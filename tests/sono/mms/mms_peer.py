#!/usr/bin/env python3
"""Loopback MMS-over-HTTP peers for the "mms://" tests.

Serves an ASF file the way an MMS server does over HTTP: a describe request
gets the ASF header in a $H chunk, the play request ("xPlayStrm=1") the
header again, each data packet in a $D chunk and a final $E. A request that
is not HTTP (MMS over TCP, which the client tries when HTTP failed) is
closed at once, except where a behaviour speaks MMS over TCP.

One listener per behaviour, each on its own port:
  play     the whole stream, then the end chunk
  stall    reads the request and never answers
  close    the play answer stops after a few packets, mid-chunk
  junk     answers with a head that is not HTTP
  badasf   a proper HTTP answer whose $H chunk holds no ASF header
  refuse   answers "403 Forbidden"
  closed   a port nobody listens on (connections are refused)
  proxy    an HTTP proxy taking CONNECT with the credentials listener:secret
  tcp      answers HTTP with a web page (a complete head, but no stream), then
           plays the whole stream over MMS on TCP
  endless  "HTTP/1.0 200 OK", then a header line every 200 ms, forever (to
           any GET, so it also stands for an http:// station)
  pings    answers HTTP as tcp does, then MMS on TCP with pings only, forever
  hugeasf  a live stream over HTTP whose ASF header's last object claims a
           huge size; the packets repeat forever
  held     answers "HTTP/1.0 200 OK" and then a header line every 200 ms
           until the test says on the release port (MMS_PEER_RELEASE) what
           to do: "p" plays the stream to what it holds and to every later
           request, "f" closes what it holds, "h" holds later requests again,
           "q" asks how many requests it holds (the answer ends with a line
           break)

  http     (with --http) the MP3 file as an HTTP radio station

Usage: mms_peer.py <file.asf> [--http <file.mp3>] -- <command...>
Runs the command with MMS_PEER_<BEHAVIOUR>=<port> in its environment and
exits with its status."""
import base64
import contextlib
import itertools
import os
import socket
import struct
import subprocess
import sys
import threading
import time

HEAD = ("HTTP/1.0 200 OK\r\nServer: Loopback MMS\r\nContent-Type: application/x-mms-framed\r\n"
        "Pragma: no-cache\r\nPragma: features=\"broadcast\"\r\nCache-Control: no-cache\r\n\r\n").encode()


def split_asf(data):
    header_size = struct.unpack_from("<Q", data, 16)[0]
    # The stream's header takes the data object's own head too: the packets
    # follow it directly.
    header = data[:header_size + 50]
    data_object = data[header_size:]
    count = struct.unpack_from("<Q", data_object, 40)[0]
    size = struct.unpack_from("<Q", data_object, 16)[0]
    length = (size - 50) // count
    packets = [data_object[50 + i * length:50 + (i + 1) * length] for i in range(count)]
    return header, packets


def chunk(kind, payload, seq=0):
    if kind in (b"$H", b"$D"):
        ext = struct.pack("<IBBH", seq, 0, 0, len(payload) + 8)
    else:
        ext = struct.pack("<I", seq)
    return kind + struct.pack("<H", len(payload) + len(ext)) + ext + payload


def read_request(conn, first):
    if first != b"GET ":
        return None
    head = first
    while b"\r\n\r\n" not in head and len(head) < 65536:
        more = conn.recv(4096)
        if not more:
            return None
        head += more
    return head.decode("latin-1")


def recv_exactly(conn, size):
    data = b""
    while len(data) < size:
        more = conn.recv(size - len(data))
        if not more:
            raise OSError("closed")
        data += more
    return data


def read_mms_command(conn, first):
    """One client command over MMS on TCP: its number (the first four bytes
    were read already)."""
    rest = recv_exactly(conn, 8)
    length = struct.unpack_from("<I", rest, 4)[0]
    body = recv_exactly(conn, length + 4)
    return struct.unpack_from("<I", first + rest + body, 36)[0] & 0xFFFF


def mms_command(number, live=False):
    packet = bytearray(80)
    packet[0:4] = b"\x01\x00\x00\x00"
    struct.pack_into("<II", packet, 4, 0xB00BFACE, len(packet) - 16)
    packet[12:16] = b"MMS "
    struct.pack_into("<I", packet, 36, 0x00040000 | number)
    if live:
        struct.pack_into("<I", packet, 48, 1)
        packet[63] = 2
    return bytes(packet)


def mms_packet(seq, kind, flags, payload):
    return struct.pack("<IBBH", seq, kind, flags, len(payload) + 8) + payload


def serve_mms_tcp(conn, first, header, packets):
    """The stream over MMS on TCP: each command answered, the header, the
    packets and the end of the stream."""
    replies = {0x01: 0x01, 0x02: 0x02, 0x05: 0x06, 0x15: 0x11, 0x33: 0x21, 0x07: 0x05}
    while True:
        number = read_mms_command(conn, first)
        if number not in replies:
            first = recv_exactly(conn, 4)
            continue
        conn.sendall(mms_command(replies[number], live=number == 0x05))
        if number == 0x15:
            conn.sendall(mms_packet(0, 2, 0x0C, header))
        if number == 0x07:
            for seq, packet in enumerate(packets):
                conn.sendall(mms_packet(seq, 4, 0, packet))
            conn.sendall(mms_command(0x1E))
            return
        first = recv_exactly(conn, 4)


def ping_forever(conn, first):
    """Answers the first command over MMS on TCP with pings only."""
    read_mms_command(conn, first)

    def drain():
        try:
            while conn.recv(4096):
                pass
        except OSError:
            pass

    threading.Thread(target=drain, daemon=True).start()
    while True:
        conn.sendall(mms_command(0x1B))
        time.sleep(0.05)


def huge_last_object(header):
    """The header with its last object (the one before the data object)
    claiming a size far past the header."""
    header = bytearray(header)
    end = struct.unpack_from("<Q", header, 16)[0]
    at, last = 30, 30
    while at + 24 <= end:
        last = at
        at += struct.unpack_from("<Q", header, at + 16)[0]
    struct.pack_into("<Q", header, last + 16, 1 << 40)
    return bytes(header)


# A complete answer, but no stream: the client then tries MMS over TCP.
WEB_PAGE = (b"HTTP/1.0 200 OK\r\nServer: Loopback Web\r\nContent-Type: text/html\r\n\r\n"
            b"<html><body>Not a stream</body></html>")


HELD = threading.Condition()
HELD_STATE = {"mode": "hold", "fails": 0, "holding": 0}


def peer_gone(conn):
    """True once the other side has closed the connection."""
    try:
        return conn.recv(1, socket.MSG_PEEK | socket.MSG_DONTWAIT) == b""
    except BlockingIOError:
        return False
    except OSError:
        return True


def wait_for_release(conn):
    """Keeps a held request alive with header lines until the test releases
    it; true when it is to be played."""
    with HELD:
        if HELD_STATE["mode"] == "play":
            conn.sendall(HEAD)
            return True
        fails = HELD_STATE["fails"]
        HELD_STATE["holding"] += 1
    try:
        conn.sendall(b"HTTP/1.0 200 OK\r\n")
        for n in itertools.count():
            with HELD:
                HELD.wait_for(lambda: HELD_STATE["mode"] == "play" or HELD_STATE["fails"] != fails, timeout=0.2)
                if HELD_STATE["mode"] == "play":
                    break
                if HELD_STATE["fails"] != fails:
                    return False
            if peer_gone(conn):
                return False
            conn.sendall(b"X-Held: %d\r\n" % n)
    finally:
        with HELD:
            HELD_STATE["holding"] -= 1
    # The rest of the play answer's head follows the status line sent.
    conn.sendall(HEAD[len(b"HTTP/1.0 200 OK\r\n"):])
    return True


def release_loop(server):
    while True:
        conn, _ = server.accept()
        with conn, contextlib.suppress(OSError):
            order = conn.recv(1)
            with HELD:
                if order == b"p":
                    HELD_STATE["mode"] = "play"
                elif order == b"f":
                    HELD_STATE["fails"] += 1
                elif order == b"h":
                    HELD_STATE["mode"] = "hold"
                HELD.notify_all()
                holding = HELD_STATE["holding"]
            conn.sendall(b"%d\n" % holding if order == b"q" else b"ok")


def serve(conn, behaviour, header, packets):
    with conn, contextlib.suppress(OSError):
        first = recv_exactly(conn, 4)
        if behaviour in ("tcp", "pings") and first != b"GET ":
            if behaviour == "tcp":
                serve_mms_tcp(conn, first, header, packets)
            else:
                ping_forever(conn, first)
            return
        request = read_request(conn, first)
        if request is None:
            return
        if behaviour in ("tcp", "pings"):
            conn.sendall(WEB_PAGE)
            return
        held = behaviour == "held"
        if held:
            if not wait_for_release(conn):
                return
            behaviour = "play"
        if behaviour == "endless":
            conn.sendall(b"HTTP/1.0 200 OK\r\n")
            for n in itertools.count():
                time.sleep(0.2)
                conn.sendall(b"X-Padding: %d\r\n" % n)
        if behaviour == "hugeasf":
            conn.sendall(HEAD + chunk(b"$H", huge_last_object(header)))
            if "xPlayStrm=1" in request:
                for seq, packet in enumerate(itertools.cycle(packets)):
                    conn.sendall(chunk(b"$D", packet, seq & 0xFFFFFFFF))
            return
        if behaviour == "stall":
            try:
                conn.settimeout(60)
                conn.recv(1)
            except OSError:
                pass
            return
        if behaviour == "junk":
            conn.sendall(b"\x00\xffNOT-HTTP garbage\r\n\x01\x02\r\n\r\n" + os.urandom(512))
            return
        if behaviour == "http":
            try:
                conn.sendall(b"ICY 200 OK\r\nicy-name: Loopback HTTP\r\nContent-Type: audio/mpeg\r\n\r\n" + header)
            except OSError:
                pass
            return
        if behaviour == "refuse":
            conn.sendall(b"HTTP/1.0 403 Forbidden\r\nContent-Type: text/plain\r\n\r\nno")
            return
        if behaviour == "badasf":
            conn.sendall(HEAD + chunk(b"$H", os.urandom(600)) + chunk(b"$D", os.urandom(600)))
            return
        playing = "xPlayStrm=1" in request
        out = (b"" if held else HEAD) + chunk(b"$H", header)
        if not playing:
            conn.sendall(out)
            return
        conn.sendall(out)
        for seq, packet in enumerate(packets):
            data = chunk(b"$D", packet, seq)
            if behaviour == "close" and seq == 5:
                conn.sendall(data[:len(data) // 2])
                conn.shutdown(socket.SHUT_RDWR)
                return
            try:
                conn.sendall(data)
            except OSError:
                return
        try:
            conn.sendall(chunk(b"$E", b"", 0))
        except OSError:
            pass


def pipe(source, target):
    try:
        while True:
            data = source.recv(65536)
            if not data:
                break
            target.sendall(data)
    except OSError:
        pass
    finally:
        for s in (source, target):
            try:
                s.shutdown(socket.SHUT_RDWR)
            except OSError:
                pass


def tunnel(conn):
    head = b""
    while b"\r\n\r\n" not in head and len(head) < 65536:
        more = conn.recv(4096)
        if not more:
            conn.close()
            return
        head += more
    lines = head.decode("latin-1").split("\r\n")
    method, target = lines[0].split(" ")[:2]
    wanted = "Proxy-Authorization: Basic " + base64.b64encode(b"listener:secret").decode()
    if method != "CONNECT" or wanted not in lines:
        conn.sendall(b"HTTP/1.0 407 Proxy Authentication Required\r\n\r\n")
        conn.close()
        return
    host, port = target.rsplit(":", 1)
    upstream = socket.create_connection((host, int(port)))
    conn.sendall(b"HTTP/1.0 200 Connection established\r\n\r\n")
    threading.Thread(target=pipe, args=(upstream, conn), daemon=True).start()
    pipe(conn, upstream)


def listen(behaviour, header, packets):
    server = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    server.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    server.bind(("127.0.0.1", 0))
    server.listen(16)

    def loop():
        while True:
            conn, _ = server.accept()
            if behaviour == "proxy":
                threading.Thread(target=tunnel, args=(conn,), daemon=True).start()
            else:
                threading.Thread(target=serve, args=(conn, behaviour, header, packets), daemon=True).start()

    threading.Thread(target=loop, daemon=True).start()
    return server.getsockname()[1]


def closed_port():
    probe = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    probe.bind(("127.0.0.1", 0))
    port = probe.getsockname()[1]
    probe.close()
    return port


def main():
    args = sys.argv[1:]
    if "--" not in args or args.index("--") not in (1, 3) or (args.index("--") == 3 and args[1] != "--http"):
        print(__doc__)
        return 2
    split = args.index("--")
    with open(args[0], "rb") as f:
        header, packets = split_asf(f.read())
    env = dict(os.environ)
    for behaviour in ("play", "stall", "close", "junk", "badasf", "refuse", "proxy", "tcp", "endless", "pings",
                      "hugeasf", "held"):
        env["MMS_PEER_" + behaviour.upper()] = str(listen(behaviour, header, packets))
    release = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    release.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    release.bind(("127.0.0.1", 0))
    release.listen(4)
    threading.Thread(target=release_loop, args=(release,), daemon=True).start()
    env["MMS_PEER_RELEASE"] = str(release.getsockname()[1])
    env["MMS_PEER_CLOSED"] = str(closed_port())
    if split == 3:
        with open(args[2], "rb") as f:
            env["MMS_PEER_HTTP"] = str(listen("http", f.read(), None))
    return subprocess.call(args[split + 1:], env=env)


if __name__ == "__main__":
    sys.exit(main())
