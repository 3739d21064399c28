#!/usr/bin/env python3
"""Comfenno on a pseudo-terminal device, beside the peers measured in the same run.

Prints, for `comfenno --headless` in log mode and for the yardsticks fed the same stream:
  flood     the device writes 20-byte records as fast as they are read: records/s and MB/s
            (yardsticks: a plain copy of the device to a file, and a per-line script)
  latency   one record every 5 ms (200 records/s): the delay from the device's write to
            the record's line in the log, median and 99th percentile
  ack       the device sends its next record only after the acknowledgement of the last:
            the round trip's median and the records/s (yardstick: the per-line script
            answering each line)
  idle      processor use with no data over 10 s, as a share of one core
Nothing passes or fails: the figures are printed.

  serial_bench.py --comfenno PATH --soak-config PATH [--seconds N]
(both are built by `cmake --build --preset release`: build/release/src/comfenno and
build/release/tests/soak/soak_config)
"""

import argparse
import os
import statistics
import subprocess
import sys
import tempfile
import termios
import time
import tty

HERE = os.path.dirname(os.path.abspath(__file__))
TICKS_PER_SECOND = os.sysconf("SC_CLK_TCK")


def record(number):
    return b"ST,GS,%010d g\r\n" % number  # 20 bytes


class Device:
    """A pseudo-terminal: the bench writes the device's end, the reader opens the other."""

    def __init__(self):
        self.master, slave = os.openpty()
        tty.setraw(self.master)
        self.path = os.ttyname(slave)
        tty.setraw(slave)
        self.slave = slave  # kept open so the line stays up between readers

    def close(self):
        os.close(self.master)
        os.close(self.slave)


def line_count(path):
    try:
        with open(path, "rb") as log:
            return log.read().count(b"\n")
    except FileNotFoundError:
        return 0


def wait_for_lines(path, count, deadline):
    while line_count(path) < count:
        if time.monotonic() > deadline:
            return False
        time.sleep(0.005)
    return True


class Reader:
    """One of the programs that read the device: comfenno, a plain copy or the script."""

    def __init__(self, kind, args, work, device, ack=None):
        self.log = os.path.join(work, kind + ".log")
        if os.path.exists(self.log):
            os.remove(self.log)
        env = dict(os.environ, XDG_CONFIG_HOME=os.path.join(work, "config"))
        if kind == "comfenno":
            config = os.path.join(work, "bench.DE3")
            subprocess.run([args.soak_config, "comfenno", config, self.log, "0", "4096"] +
                           ([ack] if ack else []), check=True)
            os.makedirs(os.path.join(work, "config", "Comfenno"), exist_ok=True)
            with open(os.path.join(work, "config", "Comfenno", "Comfenno.ini"), "w") as ini:
                ini.write("[Ports]\nCOM1=%s\n" % device.path)
            command = [args.comfenno, "--headless", config]
        elif kind == "copy":
            command = ["sh", "-c", 'stty raw -echo < "$0"; exec cat "$0" > "$1"', device.path,
                       self.log]
        else:
            command = [sys.executable, os.path.join(HERE, "line_logger.py"), "--device",
                       device.path, self.log] + (["--ack", ack] if ack else [])
        self.process = subprocess.Popen(command, env=env, stderr=subprocess.DEVNULL)
        time.sleep(1.0)  # the reader opens and sets up the device

    def cpu_seconds(self):
        with open("/proc/%d/stat" % self.process.pid) as stat:
            fields = stat.read().rsplit(")", 1)[1].split()
        return (int(fields[11]) + int(fields[12])) / TICKS_PER_SECOND

    def stop(self):
        self.process.terminate()
        try:
            self.process.wait(10)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()


def flood(reader, device, seconds):
    """Writes as fast as the device takes it; the records logged per second of the run."""
    stop = time.monotonic() + seconds
    sent = 0
    block = 500
    start = time.monotonic()
    while time.monotonic() < stop:
        os.write(device.master, b"".join(record(sent + i) for i in range(block)))
        sent += block
    wait_for_lines(reader.log, sent, time.monotonic() + 60)
    elapsed = time.monotonic() - start
    logged = line_count(reader.log)
    return logged / elapsed, logged * 20 / elapsed / 1e6


def latency(reader, device, count=400, interval=0.005):
    """Sends on schedule and watches the log in one loop, so neither waits for the other."""
    sent_at, seen_at = [], []
    log = None
    start = time.monotonic()
    deadline = start + count * interval + 10
    while len(seen_at) < count and time.monotonic() < deadline:
        now = time.monotonic()
        if len(sent_at) < count and now >= start + len(sent_at) * interval:
            os.write(device.master, record(len(sent_at)))
            sent_at.append(time.monotonic())
        if log is None and os.path.exists(reader.log):
            log = open(reader.log, "rb")
        if log is not None:
            seen_at.extend([time.monotonic()] * log.read().count(b"\n"))
        time.sleep(0.0001)
    if log is not None:
        log.close()
    delays = sorted((seen - sent) * 1000 for seen, sent in zip(seen_at, sent_at))
    if not delays:
        return float("nan"), float("nan")
    return statistics.median(delays), delays[min(len(delays) - 1, int(len(delays) * 0.99))]


def ack_round_trips(device, count=500, ack=b"K"):
    trips = []
    termios.tcflush(device.master, termios.TCIFLUSH)
    start = time.monotonic()
    for i in range(count):
        sent = time.monotonic()
        os.write(device.master, record(i))
        got = b""
        while not got.endswith(ack):
            got += os.read(device.master, 64)
        trips.append((time.monotonic() - sent) * 1000)
    return statistics.median(trips), count / (time.monotonic() - start)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--comfenno", required=True)
    parser.add_argument("--soak-config", required=True)
    parser.add_argument("--seconds", type=float, default=5)
    args = parser.parse_args()
    work = tempfile.mkdtemp(prefix="fenno-serial-bench-")
    print("%-9s %-10s %s" % ("what", "reader", "result"))
    for kind in ("comfenno", "copy", "script"):
        device = Device()
        reader = Reader(kind, args, work, device)
        per_second, megabytes = flood(reader, device, args.seconds)
        print("%-9s %-10s %10.0f records/s  %6.2f MB/s" % ("flood", kind, per_second, megabytes))
        reader.stop()
        device.close()
    for kind in ("comfenno", "script"):
        device = Device()
        reader = Reader(kind, args, work, device)
        median, p99 = latency(reader, device)
        print("%-9s %-10s median %.2f ms  99th percentile %.2f ms" % ("latency", kind, median, p99))
        reader.stop()
        device.close()
    for kind in ("comfenno", "script"):
        device = Device()
        reader = Reader(kind, args, work, device, ack="K")
        median, rate = ack_round_trips(device)
        print("%-9s %-10s median round trip %.2f ms  %.0f records/s" % ("ack", kind, median, rate))
        reader.stop()
        device.close()
    device = Device()
    reader = Reader("comfenno", args, work, device)
    before = reader.cpu_seconds()
    time.sleep(10)
    print("%-9s %-10s %.2f%% of a core" % ("idle", "comfenno",
                                           (reader.cpu_seconds() - before) * 10))
    reader.stop()
    device.close()


if __name__ == "__main__":
    main()
