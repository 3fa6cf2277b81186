#!/usr/bin/env python3
"""rate.py BUILD_DIR [SECONDS]: how fast cusim delivers a block-mode measurement on a Unix link.

Starts BUILD_DIR/sim/cu/cusim twice (--flat-out, then the realistic default), measures for
SECONDS (default 3) as a bare monitor would (discovery, wheel trigger every 3 pulses, start,
read every frame, stop) and prints traces and blocks per second and the data rate."""
import os
import socket
import struct
import subprocess
import sys
import tempfile
import time


def csum(data):
    if len(data) % 2:
        data += b"\0"
    s = sum(struct.unpack("!%dH" % (len(data) // 2), data))
    while s >> 16:
        s = (s & 0xFFFF) + (s >> 16)
    return ~s & 0xFFFF


class Monitor:
    def __init__(self, path):
        self.own = path + ".mon"
        if os.path.exists(self.own):
            os.unlink(self.own)
        self.s = socket.socket(socket.AF_UNIX, socket.SOCK_DGRAM)
        self.s.bind(self.own)
        self.s.setsockopt(socket.SOL_SOCKET, socket.SO_RCVBUF, 4 << 20)
        self.cu_path = path
        self.cu = b"\xff" * 6
        self.pn = 1

    def command(self, code, sub=0, args=()):
        args = list(args) + [0] * (8 - len(args))
        f = bytearray(150)
        f[0:6] = self.cu
        f[6:12] = bytes([2, 0, 0x5E, 0x10, 0, 1])
        f[12:14] = b"\x08\x00"
        ip = bytearray(struct.pack("!BBHHHBBH4s4s", 0x45, 0, 136, 0, 0, 128, 17, 0,
                                   bytes([192, 168, 1, 1]), bytes([192, 168, 1, 2])))
        ip[10:12] = struct.pack("!H", csum(bytes(ip)))
        f[14:34] = ip
        f[34:42] = struct.pack("!HHHH", 1365, 1365, 116, 0)
        f[42:54] = struct.pack("!HHII", 0x5555, 0x5501, 0, 0)
        f[54:60] = struct.pack("!HHH", self.pn, code, sub)
        f[60:92] = struct.pack("!8I", *args)
        f[146:150] = bytes([0, 1, 0, 1])
        pseudo = bytes(f[26:34]) + b"\0\x11" + bytes(f[38:40]) + bytes(f[34:40]) + b"\0\0" + bytes(f[42:])
        f[40:42] = struct.pack("!H", csum(pseudo))
        pn = self.pn
        self.pn += 1
        self.s.sendto(bytes(f), self.cu_path)
        return pn

    def ask(self, code, sub=0, args=(), on_data=None):
        pn = self.command(code, sub, args)
        self.s.settimeout(3)
        while True:
            f = self.s.recv(65536)
            if f[56] == 1 and struct.unpack("!H", f[58:60])[0] == pn:
                return f
            if on_data:
                on_data(f)


def measure(build, seconds, extra):
    d = tempfile.mkdtemp(prefix="cusim-rate-")
    path = os.path.join(d, "cu.sock")
    cu = subprocess.Popen([os.path.join(build, "sim/cu/cusim"), "--link", "unix:" + path,
                           "--gps-rate", "0"] + extra, stdout=subprocess.DEVNULL)
    try:
        for _ in range(500):
            if os.path.exists(path):
                break
            time.sleep(0.01)
        m = Monitor(path)
        m.cu = m.ask(0xFFFF)[6:12]
        for code, sub, args in ((5, 0xFFFF, (ord("W"), 1)), (8, 0xFFFF, (1,)), (22, 1, (1,)),
                                (6, 1, (3,)), (9, 1, (1, 0))):
            m.ask(code, sub, args)
        count = {"frames": 0, "bytes": 0}

        def take(f):
            count["frames"] += 1
            count["bytes"] += len(f)

        m.ask(12)
        t0 = time.monotonic()
        m.s.settimeout(0.5)
        while time.monotonic() - t0 < seconds:
            try:
                take(m.s.recv(65536))
            except socket.timeout:
                pass
        stop = m.ask(13, on_data=take)
        elapsed = time.monotonic() - t0
        blocks, traces = struct.unpack("!II", stop[60:68])
        return traces / elapsed, blocks / elapsed, count["bytes"] / elapsed / 1e6, count["frames"], blocks
    finally:
        cu.terminate()
        cu.wait()
        subprocess.call(["rm", "-rf", d])


def main():
    build = sys.argv[1] if len(sys.argv) > 1 else "build"
    seconds = float(sys.argv[2]) if len(sys.argv) > 2 else 3.0
    for name, extra in (("flat out", ["--flat-out"]), ("realistic", [])):
        tps, bps, mbs, frames, blocks = measure(build, seconds, extra)
        print("%-10s %8.0f traces/s %9.0f blocks/s %7.2f MB/s  (%d of %d blocks received)"
              % (name, tps, bps, mbs, frames, blocks))


if __name__ == "__main__":
    main()
