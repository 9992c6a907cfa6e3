#!/usr/bin/env python3
"""A time server on 127.0.0.1 for the end-to-end scripts.

fake_ntp_server.py MODE SECONDS: prints its port, answers in MODE and ends
by itself after SECONDS. Modes: true (the time now + 0.5 s, so that the
truncated seconds land within half a second of now), hour-off (an hour
ahead), silent (never answers).
"""
import select
import socket
import struct
import sys
import time

NTP_TO_UNIX = 2208988800


def reply(request, mode):
    if mode == "silent" or len(request) != 48:
        return None
    offset = 0.5 if mode == "true" else 3600.0
    now = time.time() + offset
    seconds = (int(now) + NTP_TO_UNIX) & 0xFFFFFFFF
    fraction = int((now % 1) * 2**32)
    header = bytes([0x0C, 2, 6, 0xEC]) + bytes(8) + b"LOCL"
    stamp = struct.pack(">II", seconds, fraction)
    return header + stamp + request[40:48] + stamp + stamp


def main():
    mode, lifetime = sys.argv[1], float(sys.argv[2])
    server = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    server.bind(("127.0.0.1", 0))
    print(server.getsockname()[1], flush=True)
    until = time.monotonic() + lifetime
    while time.monotonic() < until:
        ready, _, _ = select.select([server], [], [], 0.2)
        if not ready:
            continue
        request, peer = server.recvfrom(2048)
        answer = reply(request, mode)
        if answer is not None:
            server.sendto(answer, peer)


if __name__ == "__main__":
    main()
