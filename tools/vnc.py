#!/usr/bin/env python3
"""A small VNC client for looking at and touching the program on Qt's VNC
platform (the demo without a display, and the screen tests).

RFB 3.3 to 3.8, no authentication, raw encoding only; Python's standard
library only. Commands run in the order given, on one connection:

  shot FILE.png           save the whole screen as PNG
  tap X Y                 press and release the (only) pointer button at X,Y
  hold X Y SECONDS        press at X,Y, keep it pressed that long, release
  wait SECONDS            pause
  pixel X Y               print the colour at X,Y as rrggbb
  waitpixel X Y RRGGBB [TOLERANCE]
                          wait (at most --timeout seconds) until the pixel at
                          X,Y has that colour (each channel within TOLERANCE,
                          default 24); prints the seconds waited
  waitchange X Y W H      wait until that area differs from how it looks now;
                          prints the seconds waited
  tapuntil X Y PX PY RRGGBB
                          tap X,Y every half second until the pixel PX,PY
                          has that colour (a touch that has taken effect);
                          prints the seconds waited and the taps it took

With --since EPOCH (seconds, as date +%s.%N prints them) each command line
of output starts with the seconds from EPOCH to the end of the command.

Examples:
  tools/vnc.py --port 5900 shot home.png
  tools/vnc.py --port 5900 tap 397 190 wait 1 shot settings.png

The connection is retried until --connect-timeout, so the tool can be started
together with the program. Exit status 0, or 1 when a wait timed out or the
connection failed (the message goes to stderr).
"""

import argparse
import socket
import struct
import sys
import time
import zlib


class VncError(Exception):
    pass


class Vnc:
    """One RFB connection with a 32-bit true-colour copy of the screen."""

    def __init__(self, host="127.0.0.1", port=5900, connect_timeout=10.0, io_timeout=5.0):
        deadline = time.monotonic() + connect_timeout
        while True:
            try:
                self.sock = socket.create_connection((host, port), timeout=io_timeout)
                break
            except OSError as e:
                if time.monotonic() >= deadline:
                    raise VncError("cannot connect to %s:%d: %s" % (host, port, e))
                time.sleep(0.05)
        self.sock.settimeout(io_timeout)
        self._handshake()

    # ---- bytes on the wire ------------------------------------------------

    def _recv(self, n):
        data = bytearray()
        while len(data) < n:
            chunk = self.sock.recv(n - len(data))
            if not chunk:
                raise VncError("the server closed the connection")
            data += chunk
        return bytes(data)

    def _handshake(self):
        banner = self._recv(12)
        if not banner.startswith(b"RFB ") or banner[7:8] != b"." or banner[-1:] != b"\n":
            raise VncError("not an RFB server: %r" % banner)
        major, minor = int(banner[4:7]), int(banner[8:11])
        if major != 3:
            raise VncError("unsupported RFB version %d.%d" % (major, minor))
        minor = 8 if minor >= 8 else (7 if minor == 7 else 3)
        self.sock.sendall(b"RFB 003.%03d\n" % minor)
        if minor == 3:
            (kind,) = struct.unpack(">I", self._recv(4))
            if kind == 0:
                raise VncError("connection refused: " + self._reason())
            if kind != 1:
                raise VncError("the server asks for authentication (type %d)" % kind)
        else:
            (count,) = struct.unpack(">B", self._recv(1))
            if count == 0:
                raise VncError("connection refused: " + self._reason())
            kinds = self._recv(count)
            if 1 not in kinds:
                raise VncError("the server asks for authentication (types %s)" % list(kinds))
            self.sock.sendall(b"\x01")
            if minor == 8:
                (result,) = struct.unpack(">I", self._recv(4))
                if result != 0:
                    raise VncError("security handshake failed: " + self._reason())
        self.sock.sendall(b"\x01")  # shared session
        self.width, self.height = struct.unpack(">HH", self._recv(4))
        self._recv(16)  # the server's pixel format: replaced below
        (name_len,) = struct.unpack(">I", self._recv(4))
        self.name = self._recv(name_len).decode("latin-1")
        # 32 bits per pixel, little-endian, blue in the lowest byte.
        self.sock.sendall(struct.pack(">B3xBBBBHHHBBB3x", 0, 32, 24, 0, 1, 255, 255, 255, 16, 8, 0))
        self.sock.sendall(struct.pack(">BxHi", 2, 1, 0))  # raw encoding only
        self.pixels = bytearray(self.width * self.height * 4)

    def _reason(self):
        try:
            (n,) = struct.unpack(">I", self._recv(4))
            return self._recv(n).decode("latin-1")
        except (VncError, OSError):
            return "(no reason given)"

    def refresh(self, timeout=5.0):
        """Asks for the whole screen and reads until it has arrived."""
        self.sock.sendall(struct.pack(">BBHHHH", 3, 0, 0, 0, self.width, self.height))
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            (kind,) = struct.unpack(">B", self._recv(1))
            if kind == 0:
                self._read_update()
                return
            if kind == 1:  # colour map entries: not used with true colour
                _, _, n = struct.unpack(">BHH", self._recv(5))
                self._recv(6 * n)
            elif kind == 2:  # bell
                pass
            elif kind == 3:  # cut text
                _, n = struct.unpack(">3sI", self._recv(7))
                self._recv(n)
            else:
                raise VncError("unknown server message %d" % kind)
        raise VncError("no screen update within %.1f s" % timeout)

    def _read_update(self):
        _, rects = struct.unpack(">BH", self._recv(3))
        for _ in range(rects):
            x, y, w, h, encoding = struct.unpack(">HHHHi", self._recv(12))
            if encoding == 0:
                data = self._recv(w * h * 4)
                if x + w > self.width or y + h > self.height:
                    raise VncError("rectangle outside the screen")
                for row in range(h):
                    start = ((y + row) * self.width + x) * 4
                    self.pixels[start:start + w * 4] = data[row * w * 4:(row + 1) * w * 4]
            elif encoding == -239:  # cursor pseudo-encoding: pixels and mask
                self._recv(w * h * 4 + ((w + 7) // 8) * h)
            elif encoding == -223:  # desktop size
                self.width, self.height = w, h
                self.pixels = bytearray(w * h * 4)
            else:
                raise VncError("unexpected encoding %d" % encoding)

    # ---- what a person does ----------------------------------------------

    def pixel(self, x, y):
        i = (y * self.width + x) * 4
        b, g, r = self.pixels[i], self.pixels[i + 1], self.pixels[i + 2]
        return r, g, b

    def area(self, x, y, w, h):
        return b"".join(bytes(self.pixels[((y + r) * self.width + x) * 4:((y + r) * self.width + x + w) * 4])
                        for r in range(h))

    def tap(self, x, y, hold=0.08):
        self.sock.sendall(struct.pack(">BBHH", 5, 0, x, y))
        self.sock.sendall(struct.pack(">BBHH", 5, 1, x, y))
        time.sleep(hold)
        self.sock.sendall(struct.pack(">BBHH", 5, 0, x, y))

    def save_png(self, path):
        rows = bytearray()
        for y in range(self.height):
            rows.append(0)  # no filter
            line = self.pixels[y * self.width * 4:(y + 1) * self.width * 4]
            rgb = bytearray(self.width * 3)
            rgb[0::3] = line[2::4]
            rgb[1::3] = line[1::4]
            rgb[2::3] = line[0::4]
            rows += rgb

        def chunk(tag, body):
            return struct.pack(">I", len(body)) + tag + body + struct.pack(">I", zlib.crc32(tag + body) & 0xFFFFFFFF)

        header = struct.pack(">IIBBBBB", self.width, self.height, 8, 2, 0, 0, 0)
        with open(path, "wb") as f:
            f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(bytes(rows), 6)) +
                    chunk(b"IEND", b""))

    def wait_until(self, condition, timeout, period=0.05):
        """Refreshes until condition() holds; the seconds it took, or None."""
        start = time.monotonic()
        while True:
            self.refresh()
            if condition():
                return time.monotonic() - start
            if time.monotonic() - start >= timeout:
                return None
            time.sleep(period)

    def close(self):
        self.sock.close()


def colour_close(a, b, tolerance):
    return all(abs(p - q) <= tolerance for p, q in zip(a, b))


def parse_colour(text):
    text = text.lstrip("#")
    if len(text) != 6:
        raise ValueError("colour must be rrggbb: " + text)
    return tuple(int(text[i:i + 2], 16) for i in (0, 2, 4))


def run(vnc, words, timeout, since=None):
    """Carries out the command words; False when a wait timed out."""
    ok = True
    i = 0

    def report(text):
        if since is not None:
            text = "%.3f %s %s" % (time.time() - since, cmd, text)
        print(text, flush=True)

    def take(n):
        nonlocal i
        if i + n > len(words):
            raise ValueError("missing arguments for '%s'" % words[i - 1])
        args = words[i:i + n]
        i += n
        return args

    while i < len(words):
        cmd = words[i]
        i += 1
        if cmd == "shot":
            (path,) = take(1)
            vnc.refresh()
            vnc.save_png(path)
            if since is not None:
                report(path)
        elif cmd == "tap":
            x, y = map(int, take(2))
            vnc.tap(x, y)
        elif cmd == "hold":
            x, y = map(int, take(2))
            (seconds,) = take(1)
            vnc.tap(x, y, hold=float(seconds))
        elif cmd == "wait":
            (seconds,) = take(1)
            time.sleep(float(seconds))
        elif cmd == "pixel":
            x, y = map(int, take(2))
            vnc.refresh()
            report("%02x%02x%02x" % vnc.pixel(x, y))
        elif cmd == "waitpixel":
            x, y = map(int, take(2))
            (colour,) = take(1)
            wanted = parse_colour(colour)
            tolerance = 24
            if i < len(words) and words[i].isdigit():
                tolerance = int(take(1)[0])
            took = vnc.wait_until(lambda: colour_close(vnc.pixel(x, y), wanted, tolerance), timeout)
            if took is None:
                print("waitpixel %d %d %s: timed out, last %02x%02x%02x" % ((x, y, colour) + vnc.pixel(x, y)),
                      file=sys.stderr)
                ok = False
            else:
                report("%.3f" % took)
        elif cmd == "waitchange":
            x, y, w, h = map(int, take(4))
            vnc.refresh()
            before = vnc.area(x, y, w, h)
            took = vnc.wait_until(lambda: vnc.area(x, y, w, h) != before, timeout)
            if took is None:
                print("waitchange: nothing changed within %.1f s" % timeout, file=sys.stderr)
                ok = False
            else:
                report("%.3f" % took)
        elif cmd == "tapuntil":
            x, y, px, py = map(int, take(4))
            (colour,) = take(1)
            wanted = parse_colour(colour)
            start = time.monotonic()
            taps = 0
            while True:
                vnc.tap(x, y)
                taps += 1
                took = vnc.wait_until(lambda: colour_close(vnc.pixel(px, py), wanted, 24), 0.5)
                if took is not None:
                    report("%.3f %d" % (time.monotonic() - start, taps))
                    break
                if time.monotonic() - start >= timeout:
                    print("tapuntil: no effect of %d taps within %.1f s" % (taps, timeout), file=sys.stderr)
                    ok = False
                    break
        else:
            raise ValueError("unknown command '%s'" % cmd)
    return ok


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--host", default="127.0.0.1")
    parser.add_argument("--port", type=int, default=5900)
    parser.add_argument("--connect-timeout", type=float, default=10.0)
    parser.add_argument("--timeout", type=float, default=10.0, help="limit of waitpixel and waitchange (s)")
    parser.add_argument("--since", type=float, help="report times from this epoch (s)")
    parser.add_argument("commands", nargs=argparse.REMAINDER)
    args = parser.parse_args(argv)
    try:
        vnc = Vnc(args.host, args.port, args.connect_timeout)
        try:
            return 0 if run(vnc, args.commands, args.timeout, args.since) else 1
        finally:
            vnc.close()
    except (VncError, OSError, ValueError) as e:
        print("vnc: %s" % e, file=sys.stderr)
        return 1


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
