#!/usr/bin/env python3
"""A time server on 127.0.0.1 for the end-to-end scripts.

fake_ntp_server.py MODE SECONDS [--shift S] [--hold S] [--late S,S,...]:
prints its port, answers in MODE and ends by itself after SECONDS. Modes:
true (its clock is this machine's, moved by --shift seconds), hour-off (an
hour ahead), silent (never answers). --hold keeps each request that many
seconds between its receive and transmit timestamps; --late sends the n-th
answer that many seconds after its transmit timestamp (the list repeats), as
a slow path back would. --stratum, --mode, --root-delay and --root-dispersion
(seconds) set those fields of every answer; --transmit-early S dates the
transmit timestamp S seconds before the receive timestamp.
"""
import argparse
import select
import socket
import struct
import time

NTP_TO_UNIX = 2208988800


def stamp(unix_time):
    seconds = (int(unix_time // 1) + NTP_TO_UNIX) & 0xFFFFFFFF
    fraction = min(int(round((unix_time % 1) * 2**32)), 2**32 - 1)
    return struct.pack(">II", seconds, fraction)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("mode", choices=["true", "hour-off", "silent"])
    parser.add_argument("lifetime", type=float)
    parser.add_argument("--shift", type=float, default=0.0)
    parser.add_argument("--hold", type=float, default=0.0)
    parser.add_argument("--late", default="0")
    parser.add_argument("--stratum", type=int, default=2)
    parser.add_argument("--mode", dest="reply_mode", type=int, default=4)
    parser.add_argument("--root-delay", type=float, default=0.0)
    parser.add_argument("--root-dispersion", type=float, default=0.0)
    parser.add_argument("--transmit-early", type=float, default=0.0)
    args = parser.parse_args()
    late = [float(x) for x in args.late.split(",")]
    answered = 0
    shift = 3600.0 if args.mode == "hour-off" else args.shift

    server = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    server.bind(("127.0.0.1", 0))
    print(server.getsockname()[1], flush=True)
    until = time.monotonic() + args.lifetime
    while time.monotonic() < until:
        ready, _, _ = select.select([server], [], [], 0.2)
        if not ready:
            continue
        request, peer = server.recvfrom(2048)
        received = time.time() + shift
        if args.mode == "silent" or len(request) != 48:
            continue
        if args.hold > 0:
            time.sleep(args.hold)
        header = (bytes([0x08 | (args.reply_mode & 7), args.stratum & 0xFF, 6, 0xEC])
                  + struct.pack(">iI", int(args.root_delay * 65536), int(args.root_dispersion * 65536)) + b"LOCL")
        transmitted = time.time() + shift
        if args.transmit_early > 0:
            transmitted = received - args.transmit_early
        answer = header + stamp(received) + request[40:48] + stamp(received) + stamp(transmitted)
        time.sleep(late[answered % len(late)])
        answered += 1
        server.sendto(answer, peer)


if __name__ == "__main__":
    main()
