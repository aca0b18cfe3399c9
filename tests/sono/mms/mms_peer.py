#!/usr/bin/env python3
"""Loopback MMS-over-HTTP peers for the "mms://" tests.

Serves an ASF file the way an MMS server does over HTTP: a describe request
gets the ASF header in a $H chunk, the play request ("xPlayStrm=1") the
header again, each data packet in a $D chunk and a final $E. A request that
is not HTTP (MMS over TCP, tried first by the client) is closed at once.

One listener per behaviour, each on its own port:
  play     the whole stream, then the end chunk
  stall    reads the request and never answers
  close    the play answer stops after a few packets, mid-chunk
  junk     answers with a head that is not HTTP
  badasf   a proper HTTP answer whose $H chunk holds no ASF header
  refuse   answers "403 Forbidden"
  closed   a port nobody listens on (connections are refused)
  proxy    an HTTP proxy taking CONNECT with the credentials listener:secret

  http     (with --http) the MP3 file as an HTTP radio station

Usage: mms_peer.py <file.asf> [--http <file.mp3>] -- <command...>
Runs the command with MMS_PEER_<BEHAVIOUR>=<port> in its environment and
exits with its status."""
import base64
import os
import socket
import struct
import subprocess
import sys
import threading

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


def read_request(conn):
    first = conn.recv(4)
    if first != b"GET ":
        return None
    head = first
    while b"\r\n\r\n" not in head and len(head) < 65536:
        more = conn.recv(4096)
        if not more:
            return None
        head += more
    return head.decode("latin-1")


def serve(conn, behaviour, header, packets):
    with conn:
        request = read_request(conn)
        if request is None:
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
        out = HEAD + chunk(b"$H", header)
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
    for behaviour in ("play", "stall", "close", "junk", "badasf", "refuse", "proxy"):
        env["MMS_PEER_" + behaviour.upper()] = str(listen(behaviour, header, packets))
    env["MMS_PEER_CLOSED"] = str(closed_port())
    if split == 3:
        with open(args[2], "rb") as f:
            env["MMS_PEER_HTTP"] = str(listen("http", f.read(), None))
    return subprocess.call(args[split + 1:], env=env)


if __name__ == "__main__":
    sys.exit(main())
