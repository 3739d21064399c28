#!/usr/bin/env python3
"""The instrument of the soak test: the device simulator's flood device, driven line by line.

It plays the flood device of tools/device_simulator.py (the same records: "SEQ 0000000001
ABC...", 64 bytes with CR LF) on a pseudo-terminal or a TCP connection, as fast as
the other side takes them (soak_device.py pty PATH | tcp-server PORT | tcp-client HOST:PORT),
and takes orders on standard input, one a line:

  drop cut SECONDS     pull the line in the middle of a record, bring it back after SECONDS
  drop clean SECONDS   pull the line between two records, bring it back after SECONDS
  stop                 finish the record under way, send no more, and say STOPPED
  quit                 end

What it did is printed on standard output, one line each:

  PTY / LINK / LISTENING / CONNECTED   as the device simulator says them
  CUT <seq>        record <seq> is cut short by the drop that follows; it is printed before
                   any byte of a later record is sent, so a reader of the log knows of it
                   before the program can have logged anything after it
  DROPPED <seq>    the line is down; <seq> is the last record sent whole before the drop
  RESTORED         the line is back
  STOPPED <seq>    after "stop": <seq> is the last record that will ever be sent

A drop waits until the other side has taken every byte already sent (the pseudo-terminal's
input queue is empty, or every TCP segment is acknowledged), so the only record a drop may
lose is the one it cuts on purpose. Whatever reached the program before the drop must be
logged.
"""

import argparse
import fcntl
import os
import random
import select
import signal
import socket
import struct
import sys
import termios
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools"))
import device_simulator as simulator  # noqa: E402

# Records prepared in one go while the other side keeps up.
BATCH_RECORDS = 256
# How long the other side's taking of the last bytes before a drop may stay without
# progress before the device gives up on it.
DRAIN_PATIENCE_SECONDS = 300
# A queue found empty this many times in a row (a few milliseconds apart) is taken as
# drained: the pseudo-terminal moves written bytes to its reader's queue asynchronously.
DRAIN_CONFIRMATIONS = 5
# Bytes per record (with CR LF), and the seed of where drops cut records.
RECORD_SIZE, SEED = 64, 1


def announce(line):
    print(line, flush=True)


class FloodRecords:
    """The flood device's records, made quickly; byte for byte what the simulator makes."""

    def __init__(self, record_size, eol=b"\r\n"):
        self.eol = eol
        self.size = record_size
        fill = max(0, record_size - len("SEQ 0000000000 ") - len(eol))
        letters = bytes(range(65, 91)) * (fill // 26 + 2)
        self.fills = [letters[shift:shift + fill] for shift in range(26)]

    def record(self, sequence):
        return b"SEQ %010d " % sequence + self.fills[sequence % 26] + self.eol

    def records(self, first, count):
        return b"".join(self.record(sequence) for sequence in range(first, first + count))


def same_as_simulator(records, record_size, samples=(1, 2, 25, 26, 27, 9999)):
    """Whether FloodRecords matches the simulator's own flood device."""
    options = argparse.Namespace(device="flood", eol="crlf", record_size=record_size,
                                 format="numbered")
    device = simulator.Device(options)
    for sequence in range(1, max(samples) + 1):
        expected = device.next_record()
        if sequence in samples and expected != records.record(sequence):
            return False
    return True


class Outbox:
    """Records waiting to be sent: whole records from `first`, `offset` bytes of them sent."""

    def __init__(self, records):
        self.records = records
        self.first = 1
        self.data = b""
        self.offset = 0

    def pending(self):
        return len(self.data) - self.offset

    def refill(self):
        if self.pending() > 0:
            return
        self.first += len(self.data) // self.records.size
        self.data = self.records.records(self.first, BATCH_RECORDS)
        self.offset = 0

    def ensure(self, end):
        """Makes sure the records up to byte `end` of data are prepared."""
        while len(self.data) < end:
            start = self.first + len(self.data) // self.records.size
            self.data += self.records.records(start, BATCH_RECORDS)

    def last_whole(self):
        """The last record sent whole."""
        return self.first + self.offset // self.records.size - 1

    def sequence_at(self, offset):
        return self.first + offset // self.records.size

    def skip_to_record_boundary(self):
        """Forgets the rest of a record cut short: the next connection starts a new record."""
        size = self.records.size
        self.offset = -(-self.offset // size) * size
        self.ensure(self.offset)


def queued_bytes(fd, request):
    return struct.unpack("i", fcntl.ioctl(fd, request, struct.pack("i", 0)))[0]


class SoakDevice:
    def __init__(self, line):
        self.line = line
        self.outbox = Outbox(FloodRecords(RECORD_SIZE))
        self.stopping = False
        self.commands = b""
        self.random = random.Random(SEED)

    def is_tcp(self):
        return isinstance(self.line, simulator.TcpLine)

    def connected(self):
        return not self.is_tcp() or self.line.connection is not None

    def bring_up(self):
        while not self.line.up():
            time.sleep(0.2)
        self.wait_for_peer()

    def wait_for_peer(self):
        while not self.connected():
            if self.line.listener:
                readable, _, _ = select.select([self.line.listener], [], [], 0.2)
                if readable:
                    self.line.accept()
            elif not self.line.try_connect():
                time.sleep(0.2)

    def unread_by_peer(self):
        if not self.connected():
            return 0
        if self.is_tcp():  # sent and not acknowledged
            return queued_bytes(self.line.connection.fileno(), termios.TIOCOUTQ)
        return queued_bytes(self.line.slave, termios.FIONREAD)  # in the reader's queue

    def take_received(self):
        if self.line.fileno() is None:
            return
        while select.select([self.line.fileno()], [], [], 0)[0]:
            if not self.line.receive():
                return

    def send_some(self, limit=None):
        """Sends what the line takes now, not beyond byte `limit` of the outbox."""
        end = len(self.outbox.data) if limit is None else limit
        if end <= self.outbox.offset or not self.connected():
            return 0
        sent = self.line.send(self.outbox.data[self.outbox.offset:end])
        self.outbox.offset += sent
        return sent

    def send_until(self, end):
        """Sends up to byte `end` of the outbox, as fast as the other side takes it."""
        self.outbox.ensure(end)
        last_progress = time.monotonic()
        while self.outbox.offset < end:
            if not self.connected():
                raise ConnectionError("the program went away while a record was being sent")
            select.select([self.line.fileno()], [self.line.fileno()], [], 0.2)
            self.take_received()
            if self.send_some(end) > 0:
                last_progress = time.monotonic()
            elif time.monotonic() - last_progress > DRAIN_PATIENCE_SECONDS:
                raise TimeoutError("the program stopped taking bytes")

    def wait_until_drained(self):
        last_change = time.monotonic()
        unread, confirmations = self.unread_by_peer(), 0
        while confirmations < DRAIN_CONFIRMATIONS:
            time.sleep(0.005 if unread == 0 else 0.02)
            self.take_received()
            now_unread = self.unread_by_peer()
            confirmations = confirmations + 1 if now_unread == 0 else 0
            if now_unread != unread:
                last_change = time.monotonic()
            elif time.monotonic() - last_change > DRAIN_PATIENCE_SECONDS:
                raise TimeoutError("the program stopped taking bytes")
            unread = now_unread

    def record_end(self):
        """Byte offset where the record under way ends (the current offset between records)."""
        size = self.outbox.records.size
        return -(-self.outbox.offset // size) * size

    def cut_point(self):
        """Byte offset to stop at so that one record is left without its CR."""
        size = self.outbox.records.size
        within = self.outbox.offset % size
        if 0 < within <= size - 2:
            return self.outbox.offset  # the record under way has not had its CR yet
        start = self.record_end()
        return start + self.random.randint(1, size - 2)

    def drop(self, cut, down_for):
        end = self.cut_point() if cut else self.record_end()
        if cut:
            announce(f"CUT {self.outbox.sequence_at(end)}")
        self.send_until(end)
        self.wait_until_drained()
        self.take_received()
        last_whole = self.outbox.last_whole()
        self.line.down()
        announce(f"DROPPED {last_whole}")
        self.outbox.skip_to_record_boundary()
        time.sleep(down_for)
        self.bring_up()
        announce("RESTORED")

    def stop(self):
        self.send_until(self.record_end())
        self.stopping = True
        announce(f"STOPPED {self.outbox.last_whole()}")

    def obey(self, order):
        words = order.split()
        if words[:1] == ["drop"] and len(words) == 3 and words[1] in ("cut", "clean"):
            self.drop(words[1] == "cut", float(words[2]))
        elif words == ["stop"]:
            self.stop()
        elif words == ["quit"]:
            raise SystemExit(0)
        else:
            sys.stderr.write(f"soak_device: unknown order {order!r}\n")

    def read_orders(self):
        chunk = os.read(sys.stdin.fileno(), 4096)
        if not chunk:
            raise SystemExit(0)  # the driver is gone
        self.commands += chunk
        while b"\n" in self.commands:
            order, self.commands = self.commands.split(b"\n", 1)
            self.obey(order.decode())

    def step(self):
        if not self.connected():
            self.wait_for_peer()
            return
        if not self.stopping:
            self.outbox.refill()
        fd = self.line.fileno()
        writers = [fd] if self.outbox.pending() > 0 and not self.stopping else []
        readable, writable, _ = select.select([fd, sys.stdin.fileno()], writers, [], 0.2)
        if fd in readable:
            self.take_received()
        if writable and self.connected():
            self.send_some()
        if sys.stdin.fileno() in readable:
            self.read_orders()

    def run(self):
        self.bring_up()
        while True:
            self.step()


def make_line(argv):
    """pty PATH (a pseudo-terminal reached through the link PATH), tcp-server PORT (listen on
    127.0.0.1:PORT, 0 for any free port) or tcp-client HOST:PORT (call, again after drops)."""
    kind, where = argv
    if kind == "pty":
        return simulator.PtyLine(where)
    if kind == "tcp-server":
        return simulator.TcpLine(server_address=("127.0.0.1", int(where)))
    return simulator.TcpLine(client_address=simulator.host_and_port(where))


def main(argv):
    device = SoakDevice(make_line(argv))
    if not same_as_simulator(device.outbox.records, RECORD_SIZE):
        sys.stderr.write("soak_device: records differ from the device simulator's\n")
        return 1
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(0))
    try:
        device.run()
    except KeyboardInterrupt:
        pass
    finally:
        device.line.close()
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
