#!/usr/bin/env python3
"""A slow stretch of network between the games and the world tables' server,
for the shared-folder test: every request goes through to the server at once,
except the first result sent for each ticket, which is held until RELEASE
exists. Says its port on its first line of standard output; writes to LOG,
one line each, "held TICKET" when it holds a result and "answered METHOD PATH
STATUS" for every answer it hands back.

Usage: held_result_proxy.py SERVER_HOST:PORT LOG RELEASE
"""
import asyncio
import os
import re
import sys

upstream_host, upstream_port = sys.argv[1].rsplit(':', 1)
log_path, release_path = sys.argv[2], sys.argv[3]
results_seen = set()
RESULT = re.compile(r'^POST /api/v1/tickets/([0-9a-f]{32})/replay HTTP/1\.1$')


def note(line):
    with open(log_path, 'a', encoding='ascii') as log:
        log.write(line + '\n')


async def read_message(reader):
    """One HTTP/1.1 message with a Content-Length body: (head, body), or None at the end."""
    try:
        head = await reader.readuntil(b'\r\n\r\n')
    except (asyncio.IncompleteReadError, ConnectionError):
        return None
    length = re.search(rb'(?im)^content-length:\s*([0-9]+)\s*$', head)
    body = await reader.readexactly(int(length.group(1))) if length else b''
    return head, body


async def answer_of(request):
    """The server's answer to one request, on a connection of its own: one
    kept open while a result is held would be closed by the server as idle."""
    server_reader, server_writer = await asyncio.open_connection(upstream_host, int(upstream_port))
    try:
        server_writer.write(request[0] + request[1])
        await server_writer.drain()
        return await read_message(server_reader)
    finally:
        server_writer.close()


async def serve(client_reader, client_writer):
    try:
        while True:
            request = await read_message(client_reader)
            if request is None:
                return
            line = request[0].split(b'\r\n', 1)[0].decode('latin-1')
            result = RESULT.match(line)
            if result and result.group(1) not in results_seen:
                results_seen.add(result.group(1))
                note('held ' + result.group(1))
                while not os.path.exists(release_path):
                    await asyncio.sleep(0.05)
            answer = await answer_of(request)
            if answer is None:
                note('unanswered ' + ' '.join(line.split(' ')[:2]))
                return
            status = answer[0].split(b' ', 2)[1].decode('latin-1')
            note('answered ' + ' '.join(line.split(' ')[:2]) + ' ' + status)
            client_writer.write(answer[0] + answer[1])
            await client_writer.drain()
    finally:
        client_writer.close()


async def main():
    listener = await asyncio.start_server(serve, '127.0.0.1', 0)
    print('listening on %d' % listener.sockets[0].getsockname()[1], flush=True)
    async with listener:
        await listener.serve_forever()


asyncio.run(main())
