#!/usr/bin/env python3
"""A scripted HTTP peer on 127.0.0.1 for the stream tests.

The script file holds one reply per line: "close <hex>" or "stall <hex>".
Connection n gets reply n: its bytes ("{PORT}" replaced by our port), then
the connection is closed, or held silent until the client closes it. Prints
"PORT n" first, then "REQUEST <hex>" for each request head received. Every
wait ends at the deadline, so the process never outlives a test for long."""
import select
import socket
import sys
import time

DEADLINE = time.monotonic() + 60


def left():
    return max(0.0, DEADLINE - time.monotonic())


def read_head(conn):
    data = b""
    while b"\r\n\r\n" not in data and left() > 0:
        ready, _, _ = select.select([conn], [], [], left())
        if not ready:
            break
        chunk = conn.recv(4096)
        if not chunk:
            break
        data += chunk
    return data


def hold_until_closed(conn):
    while left() > 0:
        ready, _, _ = select.select([conn], [], [], left())
        if not ready:
            return
        try:
            if not conn.recv(4096):
                return
        except OSError:
            return


def main(script):
    with open(script) as lines:
        replies = [line.split() for line in lines if line.strip()]
    server = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    server.bind(("127.0.0.1", 0))
    server.listen(8)
    port = server.getsockname()[1]
    print("PORT %d" % port, flush=True)
    for reply in replies:
        ready, _, _ = select.select([server], [], [], left())
        if not ready:
            break
        conn, _ = server.accept()
        with conn:
            print("REQUEST %s" % read_head(conn).hex(), flush=True)
            body = bytes.fromhex(reply[1] if len(reply) > 1 else "").replace(b"{PORT}", str(port).encode())
            try:
                conn.sendall(body)
            except OSError:
                continue
            if reply[0] == "stall":
                hold_until_closed(conn)
    server.close()


if __name__ == "__main__":
    main(sys.argv[1])
