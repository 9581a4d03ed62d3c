#!/usr/bin/env python3
"""Forwards 127.0.0.1:LISTEN to 127.0.0.1:TARGET, holding every packet back
DELAY_MS / 2 in each direction, so that each round trip through it costs
DELAY_MS more: a workstation far from the server, on one machine.

    bench/delay_proxy.py LISTEN TARGET DELAY_MS

Only loopback on both sides; packets keep their order and are not held up
behind each other (a burst costs one delay, not one per packet)."""

import asyncio
import sys

LOOPBACK = "127.0.0.1"


async def pump(reader, writer, delay):
    loop = asyncio.get_running_loop()
    queue = asyncio.Queue()

    async def send():
        while True:
            due, data = await queue.get()
            if data is None:
                break
            wait = due - loop.time()
            if wait > 0:
                await asyncio.sleep(wait)
            writer.write(data)
            await writer.drain()
        writer.close()

    sender = asyncio.ensure_future(send())
    try:
        while True:
            data = await reader.read(65536)
            if not data:
                break
            queue.put_nowait((loop.time() + delay, data))
    except ConnectionError:
        pass
    queue.put_nowait((0, None))
    try:
        await sender
    except ConnectionError:
        pass


async def main(listen, target, delay_ms):
    half = delay_ms / 2000.0

    async def accept(client_reader, client_writer):
        try:
            server_reader, server_writer = await asyncio.open_connection(LOOPBACK, target)
        except OSError:
            client_writer.close()
            return
        await asyncio.gather(pump(client_reader, server_writer, half), pump(server_reader, client_writer, half))

    server = await asyncio.start_server(accept, LOOPBACK, listen)
    async with server:
        await server.serve_forever()


if __name__ == "__main__":
    if len(sys.argv) != 4:
        sys.exit(__doc__)
    asyncio.run(main(int(sys.argv[1]), int(sys.argv[2]), float(sys.argv[3])))
