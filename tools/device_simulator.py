#!/usr/bin/env python3
"""Plays an instrument for Comfenno (on a pseudo-terminal) or Netfenno (over TCP).

Where it listens or what it opened is printed on standard output, one line each, so that
a script can wait for it:
  PTY <path>                the device end to open (give it to a COMn port, see below)
  LINK <link> -> <path>     with --link: the stable name, re-pointed when the pty is recreated
  LISTENING <host> <port>   --tcp-server: the port to connect to (useful with port 0)
  CONNECTED <peer>          a TCP peer connected, or the client connected
  DROPPED / RESTORED        the connection was dropped / is back (--drop-after, SIGUSR1)
  DONE <count>              --count records were sent; the line stays up until stopped

Devices (--device):
  balance   numbered weights at --rate records per second: "N000001   +100.125 g"; with
            --format status as a balance reports stable gross weights: "ST,GS,+0100.125 g"
  barcode   EAN-13 codes with a valid check digit at --rate per second
  query     answers "?" followed by CR with one numbered reading, sends nothing unasked
  flood     sends as fast as the other side takes it, for soak tests; every record holds a
            sequence number: "SEQ 0000000001 ABCD...", padded to --record-size bytes

Every record ends with --eol (CR LF by default). Nothing is lost: when the other side does
not read, the simulator waits (flow control of the pty or TCP) instead of dropping records.
With --wait-ack the balance and the bar-code reader send their next record only after the
program acknowledged the last one with ACK (code 6), and no sooner than --rate allows.

Examples:
  device_simulator.py --pty --link /tmp/balance --device balance --rate 2
      then in ~/.config/Comfenno/Comfenno.ini:  [Ports]  COM5=/tmp/balance
  device_simulator.py --tcp-server 4001 --device barcode --rate 0.5
  device_simulator.py --tcp-client 127.0.0.1:4001 --device query
  device_simulator.py --pty --link /tmp/scale --device flood --count 100000 \\
      --drop-after 10 --down-for 3 --drop-repeat

Dropping and restoring: --drop-after S drops the connection S seconds after it came up
(for a pty the pty is closed, which the port sees as a device pulled out, and a new one is
created after --down-for seconds, at the same --link path); --drop-repeat keeps doing so.
Sending SIGUSR1 drops at once. SIGINT or SIGTERM ends the simulator.

Python 3 standard library only.
"""

import argparse
import errno
import os
import select
import signal
import socket
import sys
import time
import tty

EOLS = {"crlf": b"\r\n", "cr": b"\r", "lf": b"\n"}


def announce(line):
    print(line, flush=True)


def ean13(number):
    digits = f"{number % 10**12:012d}"
    total = sum(int(d) * (3 if i % 2 else 1) for i, d in enumerate(digits))
    return digits + str((10 - total % 10) % 10)


class Device:
    """What the instrument says; sequence numbers keep counting across drops."""

    def __init__(self, args):
        self.kind = args.device
        self.eol = EOLS[args.eol]
        self.record_size = args.record_size
        self.format = args.format
        self.sequence = 0
        self.request = b""

    def weight(self):
        return 100 + (self.sequence % 1000) * 0.125

    def next_record(self):
        self.sequence += 1
        n = self.sequence
        if self.kind == "balance" and self.format == "status":
            body = f"ST,GS,{self.weight():+09.3f} g".encode()
        elif self.kind == "balance":
            body = f"N{n:06d} {self.weight():+10.3f} g".encode()
        elif self.kind == "barcode":
            body = ean13(4000000000000 + n).encode()
        elif self.kind == "query":
            body = f"S{n:06d} {self.weight():+10.3f} g".encode()
        else:
            body = f"SEQ {n:010d} ".encode()
            fill = max(0, self.record_size - len(body) - len(self.eol))
            body += bytes(65 + (n + i) % 26 for i in range(fill))
        return body + self.eol

    def answers_to(self, received):
        """Records owed for what the other side sent ("?" CR asks the query device)."""
        if self.kind != "query":
            return []
        self.request += received
        replies = []
        while b"\r" in self.request:
            line, self.request = self.request.split(b"\r", 1)
            if line.strip(b"\n") == b"?":
                replies.append(self.next_record())
        return replies


class PtyLine:
    def __init__(self, link):
        self.link = link
        self.master = self.slave = None

    def up(self):
        self.master, self.slave = os.openpty()
        # Raw from the start: nothing the simulator sends before the port opens is echoed.
        tty.setraw(self.slave)
        os.set_blocking(self.master, False)
        path = os.ttyname(self.slave)
        announce(f"PTY {path}")
        if self.link:
            temporary = f"{self.link}.{os.getpid()}.new"
            if os.path.lexists(temporary):
                os.unlink(temporary)
            os.symlink(path, temporary)
            os.replace(temporary, self.link)
            announce(f"LINK {self.link} -> {path}")
        return True

    def down(self):
        # The link goes first, as a device's /dev/serial/by-id link goes when it is pulled
        # out: the pseudo-terminal's number is free for the next one any process opens, and a
        # link left behind would lead a port reopening it to another program's device.
        if self.link and os.path.islink(self.link):
            os.unlink(self.link)
        for fd in (self.master, self.slave):
            if fd is not None:
                os.close(fd)
        self.master = self.slave = None

    def close(self):
        self.down()

    def fileno(self):
        return self.master

    def send(self, data):
        try:
            return os.write(self.master, data)
        except BlockingIOError:
            return 0

    def receive(self):
        try:
            return os.read(self.master, 4096)
        except BlockingIOError:
            return b""
        except OSError as error:
            if error.errno == errno.EIO:  # nobody has the device end open
                return b""
            raise


class TcpLine:
    def __init__(self, server_address=None, client_address=None):
        self.server_address = server_address
        self.client_address = client_address
        self.listener = None
        self.connection = None

    def up(self):
        if self.server_address:
            self.listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
            self.listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
            self.listener.bind(self.server_address)
            self.listener.listen(1)
            host, port = self.listener.getsockname()
            self.server_address = (self.server_address[0], port)  # the same port after a drop
            announce(f"LISTENING {host} {port}")
            return True
        return self.try_connect()

    def try_connect(self):
        try:
            self.connection = socket.create_connection(self.client_address, timeout=2)
        except OSError:
            self.connection = None
            return False
        self.connection.setblocking(False)
        announce(f"CONNECTED {self.client_address[0]}:{self.client_address[1]}")
        return True

    def accept(self):
        peer, address = self.listener.accept()
        if self.connection:
            self.connection.close()  # one peer at a time: the newest one
        peer.setblocking(False)
        self.connection = peer
        announce(f"CONNECTED {address[0]}:{address[1]}")

    def down(self):
        for end in (self.connection, self.listener):
            if end:
                end.close()
        self.connection = self.listener = None

    close = down

    def fileno(self):
        return self.connection.fileno() if self.connection else None

    def send(self, data):
        try:
            return self.connection.send(data)
        except (BlockingIOError, InterruptedError):
            return 0
        except OSError:
            self.lost()
            return 0

    def receive(self):
        try:
            data = self.connection.recv(4096)
        except (BlockingIOError, InterruptedError):
            return b""
        except OSError:
            data = b""
        if not data:
            self.lost()
        return data

    def lost(self):
        """The other side closed: a server waits for the next peer, a client calls again."""
        if self.connection:
            self.connection.close()
        self.connection = None


class Simulator:
    def __init__(self, args, line):
        self.args = args
        self.line = line
        self.device = Device(args)
        self.pending = b""
        self.drop_requested = False
        self.up_since = None
        self.next_record_at = time.monotonic()
        self.sent_records = 0
        self.done_announced = False
        self.awaiting_ack = False

    def run(self):
        signal.signal(signal.SIGUSR1, lambda *_: setattr(self, "drop_requested", True))
        while not self.bring_up():
            time.sleep(0.5)
        while True:
            if self.drop_due():
                self.drop_and_restore()
                if not self.args.drop_repeat:
                    self.args.drop_after = None
                continue
            self.step()

    def bring_up(self):
        if not self.line.up():
            return False
        self.up_since = time.monotonic()
        return True

    def drop_due(self):
        if self.drop_requested:
            return True
        after = self.args.drop_after
        return after is not None and time.monotonic() - self.up_since >= after

    def drop_and_restore(self):
        self.drop_requested = False
        self.line.down()
        self.pending = b""  # a record cut off by the drop is not sent again
        self.awaiting_ack = False  # nor is its acknowledgement awaited
        announce("DROPPED")
        time.sleep(self.args.down_for)
        while not self.bring_up():
            time.sleep(0.5)
        announce("RESTORED")

    def wants_to_send(self):
        if self.pending or self.device.kind == "query":
            return bool(self.pending)
        if self.args.count is not None and self.sent_records >= self.args.count:
            return False
        if self.awaiting_ack:
            return False
        return self.device.kind == "flood" or time.monotonic() >= self.next_record_at

    def step(self):
        if isinstance(self.line, TcpLine) and self.line.connection is None:
            self.wait_for_peer()
            return
        if not self.pending and self.wants_to_send():
            self.pending = self.next_record()
        fd = self.line.fileno()
        writers = [fd] if self.pending else []
        listener = getattr(self.line, "listener", None)
        readers = [fd] + ([listener] if listener else [])
        readable, writable, _ = select.select(readers, writers, [], self.wait_time())
        if listener in readable:
            self.line.accept()  # a new peer replaces the current one
            return
        if fd in readable:
            received = self.line.receive()
            if received and self.args.echo_received:
                sys.stderr.write(f"received {received!r}\n")
            if b"\x06" in received:
                self.awaiting_ack = False
            for reply in self.device.answers_to(received):
                self.pending += reply
        if writable and self.pending and self.line.fileno() is not None:
            self.pending = self.pending[self.line.send(self.pending):]
        self.announce_done()

    def next_record(self):
        self.sent_records += 1
        self.awaiting_ack = self.args.wait_ack and self.device.kind != "flood"
        if self.device.kind != "flood":
            self.next_record_at = max(self.next_record_at + 1.0 / self.args.rate, time.monotonic() - 1)
        return self.device.next_record()

    def wait_time(self):
        if self.pending or self.awaiting_ack:
            return 0.2
        if self.device.kind in ("balance", "barcode") and not self.finished():
            return min(0.2, max(0.0, self.next_record_at - time.monotonic()))
        return 0.2

    def finished(self):
        return self.args.count is not None and self.sent_records >= self.args.count

    def announce_done(self):
        if self.finished() and not self.pending and not self.done_announced:
            self.done_announced = True
            announce(f"DONE {self.sent_records}")

    def wait_for_peer(self):
        if self.line.listener:
            readable, _, _ = select.select([self.line.listener], [], [], 0.2)
            if readable:
                self.line.accept()
                self.up_since = time.monotonic()
        elif not self.line.try_connect():
            time.sleep(0.5)


def host_and_port(text):
    host, _, port = text.rpartition(":")
    if not host or not port.isdigit():
        raise argparse.ArgumentTypeError("expected HOST:PORT")
    return host, int(port)


def parse_arguments(argv):
    parser = argparse.ArgumentParser(
        description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    where = parser.add_mutually_exclusive_group(required=True)
    where.add_argument("--pty", action="store_true", help="play the device on a new pseudo-terminal")
    where.add_argument("--tcp-server", type=int, metavar="PORT",
                       help="listen on PORT (0: any free port) and talk to the newest peer")
    where.add_argument("--tcp-client", type=host_and_port, metavar="HOST:PORT",
                       help="connect to HOST:PORT, calling again whenever the connection ends")
    parser.add_argument("--link", metavar="PATH",
                        help="with --pty: a symbolic link to the pty, kept pointing at it when it is recreated")
    parser.add_argument("--bind", default="0.0.0.0", metavar="ADDRESS",
                        help="with --tcp-server: the address to listen on (default 0.0.0.0)")
    parser.add_argument("--device", choices=["balance", "barcode", "query", "flood"], default="balance")
    parser.add_argument("--rate", type=float, default=1.0, help="records per second (balance, barcode)")
    parser.add_argument("--count", type=int, help="stop sending after this many records")
    parser.add_argument("--record-size", type=int, default=64, help="bytes per flood record")
    parser.add_argument("--eol", choices=sorted(EOLS), default="crlf", help="end of each record")
    parser.add_argument("--drop-after", type=float, metavar="SECONDS",
                        help="drop the connection this long after it came up")
    parser.add_argument("--down-for", type=float, default=2.0, metavar="SECONDS",
                        help="how long a dropped connection stays down (default 2)")
    parser.add_argument("--drop-repeat", action="store_true", help="keep dropping after every --drop-after")
    parser.add_argument("--format", choices=["numbered", "status"], default="numbered",
                        help="what a balance record looks like (see above)")
    parser.add_argument("--wait-ack", action="store_true",
                        help="send the next record only after an ACK for the last one")
    parser.add_argument("--echo-received", action="store_true",
                        help="show on standard error what the program sends to the device")
    args = parser.parse_args(argv)
    if args.rate <= 0:
        parser.error("--rate must be above 0")
    if args.link and not args.pty:
        parser.error("--link goes with --pty")
    return args


def main(argv):
    args = parse_arguments(argv)
    if args.pty:
        line = PtyLine(args.link)
    elif args.tcp_server is not None:
        line = TcpLine(server_address=(args.bind, args.tcp_server))
    else:
        line = TcpLine(client_address=args.tcp_client)
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(0))
    try:
        Simulator(args, line).run()
    except KeyboardInterrupt:
        pass
    finally:
        line.close()
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
