#!/usr/bin/env python3
"""Holds many connections open to a morvex2-server, as clients that never finish would.

Usage: hold_connections.py PORT COUNT SECONDS

A third each: idle (connected, sending nothing), kept alive (one request answered, then
silent) and trickling (a request a byte a second); each connects again whenever the server
cuts it off, so that as many stay open as the server lets. The sockets come from many loopback addresses
(127.1.x.y), forty to an address, so that the server's cap per address does not refuse them.
Prints how many were open at the end and how many the server cut off.
"""
import errno
import resource
import selectors
import socket
import sys
import time

REQUEST = b"GET /healthz HTTP/1.1\r\nHost: 127.0.0.1\r\nX-Slow: 0123456789\r\n\r\n"
PER_ADDRESS = 40


def source(index):
    group = index // PER_ADDRESS
    return "127.1.%d.%d" % (group // 250, group % 250 + 1)


class Client:
    def __init__(self, index, kind):
        self.index = index
        self.kind = kind
        self.sock = None
        self.sent = 0
        self.answered = False


def main():
    port, count, seconds = int(sys.argv[1]), int(sys.argv[2]), float(sys.argv[3])
    soft, hard = resource.getrlimit(resource.RLIMIT_NOFILE)
    resource.setrlimit(resource.RLIMIT_NOFILE, (hard, hard))
    selector = selectors.DefaultSelector()
    kinds = ("idle", "kept", "trickle")
    clients = [Client(i, kinds[i % 3]) for i in range(count)]
    cut = 0

    def connect(client):
        sock = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
        sock.bind((source(client.index), 0))
        sock.setblocking(False)
        try:
            sock.connect(("127.0.0.1", port))
        except BlockingIOError:
            pass
        client.sock, client.sent, client.answered = sock, 0, False
        selector.register(sock, selectors.EVENT_READ, client)
        if client.kind == "kept":
            try:
                sock.send(REQUEST.replace(b"\r\n\r\n", b"\r\nConnection: keep-alive\r\n\r\n"))
            except OSError:
                pass

    def drop(client):
        selector.unregister(client.sock)
        client.sock.close()
        client.sock = None

    for client in clients:
        connect(client)
    end = time.monotonic() + seconds
    next_tick = time.monotonic() + 1
    while time.monotonic() < end:
        for key, _ in selector.select(timeout=0.2):
            client = key.data
            try:
                data = client.sock.recv(65536)
            except OSError:
                data = b""
            if data and client.kind == "kept" and not client.answered:
                client.answered = True
                continue
            if not data or client.kind != "kept":
                cut += 1
                drop(client)
                connect(client)
        if time.monotonic() >= next_tick:
            next_tick += 1
            for client in clients:
                if client.sock and client.kind == "trickle":
                    try:
                        client.sock.send(REQUEST[client.sent % len(REQUEST):][:1])
                        client.sent += 1
                    except OSError as error:
                        if error.errno not in (errno.EAGAIN, errno.ENOTCONN):
                            cut += 1
                            drop(client)
                            connect(client)
    held = sum(1 for client in clients if client.sock)
    print("held %d of %d connections; the server cut off %d" % (held, count, cut))


if __name__ == "__main__":
    main()
