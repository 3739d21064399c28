#!/usr/bin/env python3
"""Soak test: the headless programs logging a flood device while things go wrong.

Each program runs `--headless` in log mode against the flood device (soak_device.py), which
sends numbered records as fast as the line takes them: comfenno on a pseudo-terminal (as
COM5), netfenno over loopback TCP (as server, or client with --netfenno-role client). One
fault comes every 2.5 s while records flow, the kinds in turn: the line pulled in the middle
of a record, the line pulled between two records (each down 1.5 s), the log folder
unwritable for 3.5 s. Two clients on a private session bus read live-data items and send
commands all along. A log beyond 256 MiB is checked, renamed away and deleted.

Checked: every record sent whole is logged exactly once, in order, byte for byte (only the
records a drop cut in half, which the device names before sending more, may be missing);
peak resident memory stays within 64 MiB (160 MiB with --sanitized: shadow memory and a
16 MiB quarantine); the bus clients saw whole records, nothing going back and every command
accepted, and RecordNumber ends equal to the records logged; each outage was told once on
standard error and, for comfenno, each drop as a loss and a return, nothing else; SIGTERM
ends the program with status 0. Nothing is judged by the clock: a wait fails only when
nothing moves for three minutes. Exits 0 when everything held, 77 without python3-dbus.

Short form (CTest soak_short):  soak.py --short --build build/release
Long form, by hand:             soak.py --seconds 3600 --build build/release
The work folder is kept (its path printed) after a run that failed, or with --keep.
"""

import argparse
import collections
import dataclasses
import os
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import time

from soak_device import RECORD_SIZE, FloodRecords

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCE_DIR = os.path.dirname(os.path.dirname(HERE))
SKIPPED = 77
PROGRAMS = ("comfenno", "netfenno")
SERVICES = {"comfenno": "dde.Comfenno.Soak", "netfenno": "dde.Netfenno.Soak"}
# A wait fails only when nothing moves for this long.
PATIENCE_SECONDS = 180
# The log is read in pieces of at most this size between two looks at everything else.
READ_PIECE = 8 << 20
# A log file beyond this size is renamed away once checked, to keep the disk free.
ROTATE_BYTES = 256 << 20
SAMPLE_SECONDS = 0.5
FAULT_KINDS = ("line cut", "log folder", "line clean")
# Seconds between two faults, a dropped line stays down, the log folder stays unwritable.
FAULT_EVERY, DOWN_FOR, LOG_OUTAGE = 2.5, 1.5, 3.5
# comfenno's InputBufferSize: what it takes from the port per tick (its default is 4096).
INPUT_BUFFER = 65536
# The memory bound, in MiB of resident memory, of a plain build and of a build with the
# address sanitizer (shadow memory, and a quarantine of freed blocks kept at the size below).
MEMORY_BOUND_MIB = 64
SANITIZED_MEMORY_BOUND_MIB = 160
ASAN_QUARANTINE_MIB = 16
MAX_TOLD = 20


class SoakFailure(Exception):
    """A run that cannot go on."""


def program_environment(work, bus_address, sanitized):
    environment = {name: value for name, value in os.environ.items()
                   if name not in ("DISPLAY", "WAYLAND_DISPLAY", "LC_ALL", "LANGUAGE")}
    environment.update(DBUS_SESSION_BUS_ADDRESS=bus_address, LANG="C",
                       XDG_CONFIG_HOME=os.path.join(work, "config"))
    if sanitized and "quarantine_size_mb" not in environment.get("ASAN_OPTIONS", ""):
        # Freed memory is held back from reuse up to this much (256 MiB by default).
        options = [environment.get("ASAN_OPTIONS", ""), f"quarantine_size_mb={ASAN_QUARANTINE_MIB}"]
        environment["ASAN_OPTIONS"] = ":".join(option for option in options if option)
    return environment


def start_bus_daemon(work):
    daemon = subprocess.Popen(["dbus-daemon", "--session", "--nofork", "--nopidfile",
                               "--print-address=1"], stdout=subprocess.PIPE,
                              stderr=open(os.path.join(work, "dbus-daemon.err"), "w"), text=True)
    address = daemon.stdout.readline().strip()
    if not address:
        raise SoakFailure("dbus-daemon gave no address")
    return daemon, address


def end_process(process):
    """SIGTERM, then SIGKILL when it does not end within 30 s."""
    if process.poll() is None:
        process.send_signal(signal.SIGTERM)
        try:
            process.wait(30)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait()


def wait_with_usage(process, wait_seconds):
    """Waits for the process; answers its exit status and resource usage, or None."""
    deadline = time.monotonic() + wait_seconds
    while time.monotonic() < deadline:
        pid, status, usage = os.wait4(process.pid, os.WNOHANG)
        if pid == process.pid:
            process.returncode = os.waitstatus_to_exitcode(status)
            return process.returncode, usage
        time.sleep(0.05)
    return None


def free_tcp_port():
    with socket.socket() as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


def resident_kib(pid):
    try:
        with open(f"/proc/{pid}/status") as status:
            for line in status:
                if line.startswith("VmRSS:"):
                    return int(line.split()[1])
    except OSError:
        pass
    return 0


class Device:
    """soak_device.py as a child process: orders in, what it did out."""

    def __init__(self, work, where):
        command = [sys.executable, "-u", os.path.join(HERE, "soak_device.py")] + where
        self.process = subprocess.Popen(command, stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                        stderr=open(os.path.join(work, "device.err"), "w"))
        os.set_blocking(self.process.stdout.fileno(), False)
        self.said = open(os.path.join(work, "device.out"), "wb")
        self.pending = b""
        self.events = collections.deque()
        self.cut = set()
        self.stopped_at = None
        self.drop_under_way = False

    def order(self, text):
        self.process.stdin.write(text.encode() + b"\n")
        self.process.stdin.flush()

    def drop(self, cut, down_for):
        self.drop_under_way = True
        self.order(f"drop {'cut' if cut else 'clean'} {down_for}")

    def poll(self):
        """Takes in what the device said since the last look."""
        try:
            chunk = os.read(self.process.stdout.fileno(), 1 << 16)
        except BlockingIOError:
            chunk = b""
        self.pending += chunk
        self.said.write(chunk)
        while b"\n" in self.pending:
            line, self.pending = self.pending.split(b"\n", 1)
            self.take(line.decode().split())
        return bool(chunk)

    def take(self, words):
        if not words:
            return
        if words[0] == "CUT":
            self.cut.add(int(words[1]))
        elif words[0] == "RESTORED":
            self.drop_under_way = False
        elif words[0] == "STOPPED":
            self.stopped_at = int(words[1])
        self.events.append(words)

    def wait_for(self, word, alive=lambda: True):
        """Waits until the device says `word`; answers the rest of that line."""
        last_progress = time.monotonic()
        while True:
            while self.events:
                words = self.events.popleft()
                if words[0] == word:
                    return words[1:]
            if self.process.poll() is not None and not self.poll():
                raise SoakFailure(f"the device ended before it said {word}")
            if self.poll():
                last_progress = time.monotonic()
            elif time.monotonic() - last_progress > PATIENCE_SECONDS or not alive():
                raise SoakFailure(f"the device did not say {word}")
            time.sleep(0.05)


# The log line of each record: the record as sent, its ending CR kept (it is part of the
# record's one field), and CR LF after it.
LOGGED_RECORDS = FloodRecords(RECORD_SIZE + 1, eol=b"\r\r\n")


class LogChecker:
    """Follows the log as it grows and checks it against the records the device sent."""

    def __init__(self, path, device):
        self.path = path
        self.records = LOGGED_RECORDS
        self.device = device
        self.file = None
        self.rotated = False
        self.rotations = 0
        self.buffer = b""
        self.offset = 0  # bytes of the log taken so far, over all files
        self.next_sequence = 1
        self.logged = 0
        self.problems = []
        self.problems_untold = 0

    def problem(self, text):
        if len(self.problems) < MAX_TOLD:
            self.problems.append(text)
        else:
            self.problems_untold += 1

    def expected_from(self, count):
        """The records expected next, up to `count` of them, and how many records that is."""
        sequences = []
        sequence = self.next_sequence
        while len(sequences) < count:
            if sequence not in self.device.cut:
                sequences.append(sequence)
            sequence += 1
        return b"".join(self.records.record(s) for s in sequences), sequence

    def take_whole_records(self):
        """The quick way: a run of records exactly as expected."""
        count = min(len(self.buffer) // self.records.size, 65536)
        if count == 0:
            return False
        expected, after = self.expected_from(count)
        if self.buffer[:len(expected)] != expected:
            return False
        self.advance(len(expected), count, after)
        return True

    def advance(self, length, lines, next_sequence):
        self.buffer = self.buffer[length:]
        self.offset += length
        self.logged += lines
        self.next_sequence = next_sequence

    def skip_cut_records(self):
        self.device.poll()
        while self.next_sequence in self.device.cut:
            self.next_sequence += 1

    def take_one_line(self):
        """The slow way, after a mismatch: one line, told apart."""
        end = self.buffer.find(b"\n")
        if end < 0:
            return False
        line = self.buffer[:end + 1]
        self.skip_cut_records()
        sequence = self.sequence_of(line)
        if sequence is None:
            self.problem(f"log byte {self.offset}: not a whole record: {line[:100]!r}")
            self.advance(len(line), 0, self.next_sequence)
        elif sequence < self.next_sequence:
            self.problem(f"log byte {self.offset}: record {sequence} again "
                         f"(record {self.next_sequence} expected)")
            self.advance(len(line), 0, self.next_sequence)
        else:
            if sequence > self.next_sequence:
                self.problem(f"log byte {self.offset}: records {self.next_sequence} to "
                             f"{sequence - 1} missing")
            self.advance(len(line), 1, sequence + 1)
        return True

    def sequence_of(self, line):
        try:
            sequence = int(line[4:14])
        except ValueError:
            return None
        return sequence if sequence > 0 and line == self.records.record(sequence) else None

    def check_buffer(self):
        while self.take_whole_records() or self.take_one_line():
            pass

    def read_piece(self):
        if self.file is None:
            try:
                self.file = open(self.path, "rb")
            except OSError:
                return False
        piece = self.file.read(READ_PIECE)
        if not piece:
            return self.follow_rotation()
        self.buffer += piece
        self.check_buffer()
        return True

    def consume(self, budget_bytes=None):
        """Reads and checks what was appended; at most about `budget_bytes` at once."""
        taken = 0
        while self.read_piece():
            taken += READ_PIECE
            if budget_bytes is not None and taken >= budget_bytes:
                break

    def rotate_if_large(self):
        """Renames a large log away; the program starts a new one with its next write."""
        if self.file is None or self.rotated or os.fstat(self.file.fileno()).st_size < ROTATE_BYTES:
            return
        os.rename(self.path, self.path + ".checked")
        self.rotated = True
        self.rotations += 1

    def follow_rotation(self):
        """Once the program has made the new file, the renamed one is complete."""
        if not self.rotated or not os.path.exists(self.path):
            return False
        rest = self.file.read()
        self.buffer += rest
        self.check_buffer()
        self.file.close()
        os.unlink(self.path + ".checked")
        self.file, self.rotated = None, False
        return True

    def finish(self):
        self.consume()
        self.skip_cut_records()
        if self.buffer:
            self.problem(f"log ends in an unfinished line: {self.buffer[:100]!r}")
        if self.problems_untold:
            self.problems.append(f"{self.problems_untold} more problems in the log")


class LogFolder:
    """The log folder, made unwritable and writable again."""

    def __init__(self, path):
        self.path = path
        self.away = path + ".away"
        self.unwritable = False

    def take_away(self):
        if os.geteuid() == 0:
            os.rename(self.path, self.away)
            with open(self.path, "w"):
                pass  # a plain file where the folder was: nothing can be created under it
        else:
            os.chmod(self.path, 0)
        self.unwritable = True

    def give_back(self):
        if not self.unwritable:
            return
        if os.geteuid() == 0:
            os.unlink(self.path)
            os.rename(self.away, self.path)
        else:
            os.chmod(self.path, 0o755)
        self.unwritable = False


class FaultSchedule:
    """One fault every FAULT_EVERY seconds, the kinds in turn, until `end` has passed and
    each kind came args.min_faults times; the last fault is let run its course."""

    def __init__(self, args, device, log_folder, end):
        self.args = args
        self.device = device
        self.log_folder = log_folder
        self.end = end
        self.counts = collections.Counter()
        self.next_at = time.monotonic() + FAULT_EVERY
        self.turn = 0
        self.log_back_at = None

    def enough(self):
        return (time.monotonic() >= self.end and
                all(self.counts[kind] >= self.args.min_faults for kind in FAULT_KINDS))

    def over(self):
        return self.enough() and self.log_back_at is None and not self.device.drop_under_way

    def tick(self):
        now = time.monotonic()
        if self.log_back_at is not None and now >= self.log_back_at:
            self.log_folder.give_back()
            self.log_back_at = None
        # Each fault starts while records flow: a log outage while the line is down would
        # find nothing to write, and the device carries out one drop at a time.
        if now < self.next_at or self.device.drop_under_way or self.enough():
            return
        kind = FAULT_KINDS[self.turn % len(FAULT_KINDS)]
        self.next_at = now + FAULT_EVERY
        self.turn += 1
        if kind == "log folder":
            if self.log_back_at is None:
                self.log_folder.take_away()
                self.log_back_at = now + LOG_OUTAGE
                self.counts[kind] += 1
        else:
            self.device.drop(kind == "line cut", DOWN_FOR)
            self.counts[kind] += 1

    def stop(self):
        self.log_folder.give_back()
        self.log_back_at = None


EXPECTED_MESSAGES = {
    "line lost": "was disconnected",
    "line back": "is connected again",
    "log write failed": "File I/O Error Writing To:",
}
# A message text goes on in lines starting with these.
CONTINUATIONS = ("/", "Not a directory", "Permission denied", "No such file")


def classify_messages(text):
    """Counts of the expected messages, and the unexpected lines."""
    counts = collections.Counter()
    unexpected = []
    for line in text.replace("\a", "").splitlines():
        kinds = [kind for kind, phrase in EXPECTED_MESSAGES.items() if phrase in line]
        if kinds:
            counts[kinds[0]] += 1
        elif line.strip() and not line.startswith(CONTINUATIONS):
            unexpected.append(line)
    return counts, unexpected


@dataclasses.dataclass
class Result:
    program: str
    seconds: float = 0
    sent: int = 0
    logged: int = 0
    cut: int = 0
    faults: collections.Counter = dataclasses.field(default_factory=collections.Counter)
    rotations: int = 0
    peak_kib: int = 0
    settled_kib: int = 0
    cpu_seconds: float = 0
    bus_calls: int = 0
    problems: list = dataclasses.field(default_factory=list)


class ProgramSoak:
    def __init__(self, program, args, work):
        self.program = program
        self.args = args
        self.work = work
        self.result = Result(program)
        self.processes = []
        self.engine = self.device = self.bus = None
        self.log_folder = LogFolder(os.path.join(work, "logs"))
        os.makedirs(self.log_folder.path)
        os.makedirs(os.path.join(work, "config"))

    def start(self):
        daemon, self.bus_address = start_bus_daemon(self.work)
        self.processes.append(daemon)
        if self.program == "comfenno":
            self.start_serial()
        elif self.args.netfenno_role == "server":
            self.start_tcp_server()
        else:
            self.start_tcp_client()
        self.wait_for_service()
        self.start_bus_clients()

    def start_device(self, where):
        self.device = Device(self.work, where)
        self.processes.append(self.device.process)

    def start_serial(self):
        link = os.path.join(self.work, "device")
        self.start_device(["pty", link])
        self.device.wait_for("LINK")
        store = os.path.join(self.work, "config", "Comfenno")
        os.makedirs(store)
        with open(os.path.join(store, "Comfenno.ini"), "w") as ini:
            ini.write(f"[Ports]\nCOM5={link}\n")
        self.start_engine(["4", str(INPUT_BUFFER)], ".DE3")

    def start_tcp_server(self):
        port = free_tcp_port()
        self.start_engine(["server", str(port)], ".DO3")
        self.start_device(["tcp-client", f"127.0.0.1:{port}"])

    def start_tcp_client(self):
        self.start_device(["tcp-server", "0"])
        port = self.device.wait_for("LISTENING")[1]
        self.start_engine(["client", "127.0.0.1", port], ".DO3")

    def log_path(self):
        return os.path.join(self.log_folder.path, "soak.log")

    def start_engine(self, where, extension):
        config = os.path.join(self.work, "soak" + extension)
        subprocess.run([self.args.soak_config, self.program, config, self.log_path()]
                       + where, check=True)
        command = [self.args.program_path[self.program], "--headless", config]
        self.engine = subprocess.Popen(
            command, cwd=self.work,
            env=program_environment(self.work, self.bus_address, self.args.sanitized),
            stdin=subprocess.DEVNULL, stdout=open(os.path.join(self.work, "engine.out"), "w"),
            stderr=open(os.path.join(self.work, "engine.err"), "w"))
        self.processes.append(self.engine)

    def wait_for_service(self):
        import dbus
        self.bus = dbus.bus.BusConnection(self.bus_address)
        deadline = time.monotonic() + PATIENCE_SECONDS
        while not self.bus.name_has_owner(SERVICES[self.program]):
            if self.engine.poll() is not None or time.monotonic() > deadline:
                raise SoakFailure(f"{self.program} did not offer {SERVICES[self.program]}")
            time.sleep(0.1)

    def start_bus_clients(self):
        common = [self.bus_address, SERVICES[self.program]]
        if self.program == "comfenno":
            common.append("serial")
        self.bus_clients = []
        for role in ("reader", "commander"):
            client = subprocess.Popen(
                [sys.executable, os.path.join(HERE, "soak_bus_client.py"), role] + common,
                stdout=subprocess.PIPE, text=True,
                stderr=open(os.path.join(self.work, f"bus-{role}.err"), "w"))
            self.bus_clients.append(client)
            self.processes.append(client)

    def run(self):
        checker = LogChecker(self.log_path(), self.device)
        started = time.monotonic()
        faults = FaultSchedule(self.args, self.device, self.log_folder,
                               started + self.args.seconds)
        self.run_under_faults(checker, faults)
        self.result.settled_kib = resident_kib(self.engine.pid)
        faults.stop()
        self.result.faults = faults.counts
        self.stop_device()
        self.wait_until_logged(checker)
        self.result.seconds = time.monotonic() - started
        self.check_record_number(checker.logged)
        self.stop_bus_clients()
        self.stop_engine()
        checker.finish()
        self.collect(checker)

    def run_under_faults(self, checker, faults):
        next_sample = time.monotonic()
        while not faults.over():
            self.device.poll()
            faults.tick()
            if not self.log_folder.unwritable:
                checker.rotate_if_large()
            checker.consume(READ_PIECE)
            if time.monotonic() >= next_sample:
                next_sample += SAMPLE_SECONDS
                self.sample_memory()
            self.check_alive()
            time.sleep(0.02)

    def sample_memory(self):
        self.result.peak_kib = max(self.result.peak_kib, resident_kib(self.engine.pid))

    def check_alive(self):
        for name, process in (("the program", self.engine), ("the device", self.device.process)):
            if process.poll() is not None:
                raise SoakFailure(f"{name} ended while the soak ran (status {process.returncode})")

    def stop_device(self):
        while self.device.drop_under_way:
            self.device.wait_for("RESTORED", alive=lambda: self.engine.poll() is None)
        self.device.order("stop")
        self.device.wait_for("STOPPED", alive=lambda: self.engine.poll() is None)

    def wait_until_logged(self, checker):
        last = self.device.stopped_at
        last_progress, seen = time.monotonic(), checker.offset
        while True:
            checker.consume()
            checker.skip_cut_records()
            if checker.next_sequence > last:
                return
            if checker.offset != seen:
                last_progress, seen = time.monotonic(), checker.offset
            elif time.monotonic() - last_progress > PATIENCE_SECONDS:
                checker.problem(f"the log stopped at record {checker.next_sequence - 1}; "
                                f"the device sent up to {last}")
                return
            self.check_alive()
            self.sample_memory()
            time.sleep(0.1)

    def check_record_number(self, logged):
        import dbus
        engine = dbus.Interface(self.bus.get_object(SERVICES[self.program], "/", introspect=False),
                                "dde.Conversation")
        number = str(engine.Request("RecordNumber", timeout=PATIENCE_SECONDS))
        if number != str(logged):
            self.result.problems.append(f"RecordNumber is {number!r}; {logged} records logged")

    def stop_bus_clients(self):
        for client in self.bus_clients:
            client.send_signal(signal.SIGTERM)
        for client in self.bus_clients:
            output, _ = client.communicate(timeout=PATIENCE_SECONDS)
            words = dict(word.split("=") for word in output.split()[2:] if "=" in word)
            if client.returncode != 0 or not words:
                self.result.problems.append(f"a bus client failed (status {client.returncode})")
                continue
            self.result.bus_calls += int(words["calls"])
            if int(words["problems"]):
                self.result.problems.append(f"bus client: {output.strip()} "
                                            f"(see bus-*.err in the work folder)")

    def stop_engine(self):
        self.sample_memory()
        self.engine.send_signal(signal.SIGTERM)
        ended = wait_with_usage(self.engine, PATIENCE_SECONDS)
        if ended is None:
            self.engine.kill()
            raise SoakFailure(f"{self.program} did not end on SIGTERM")
        status, usage = ended
        if status != 0:
            self.result.problems.append(f"{self.program} ended with status {status}")
        self.result.peak_kib = max(self.result.peak_kib, usage.ru_maxrss)
        self.result.cpu_seconds = usage.ru_utime + usage.ru_stime

    def collect(self, checker):
        result = self.result
        result.sent = self.device.stopped_at - len(self.device.cut)
        result.cut = len(self.device.cut)
        result.logged = checker.logged
        result.rotations = checker.rotations
        result.problems += checker.problems
        if result.logged != result.sent:
            result.problems.append(f"{result.sent} records sent whole, {result.logged} logged")
        self.check_messages()
        if result.peak_kib > self.args.memory_bound * 1024:
            result.problems.append(f"peak memory {result.peak_kib / 1024:.1f} MiB is above the "
                                   f"bound of {self.args.memory_bound} MiB")

    def check_messages(self):
        with open(os.path.join(self.work, "engine.err"), errors="replace") as err:
            counts, unexpected = classify_messages(err.read())
        for line in unexpected[:MAX_TOLD]:
            self.result.problems.append(f"unexpected message: {line}")
        # The serial port tells of its device going and coming back; a TCP peer comes and
        # goes unannounced.
        drops = self.result.faults["line cut"] + self.result.faults["line clean"]
        if self.program != "comfenno":
            drops = 0
        for kind, expected in (("line lost", drops), ("line back", drops),
                               ("log write failed", self.result.faults["log folder"])):
            if counts[kind] != expected:
                self.result.problems.append(f"{counts[kind]} '{kind}' messages for {expected} "
                                            f"faults")

    def close(self):
        self.log_folder.give_back()
        if self.device and self.device.process.poll() is None:
            try:
                self.device.order("quit")
            except OSError:
                pass
        for process in reversed(self.processes):
            end_process(process)


def soak_program(program, args):
    work = tempfile.mkdtemp(prefix=f"fenno-soak-{program}-", dir=args.work_dir)
    soak = ProgramSoak(program, args, work)
    try:
        soak.start()
        soak.run()
    except SoakFailure as failure:
        soak.result.problems.append(str(failure))
    finally:
        soak.close()
    if soak.result.problems or args.keep:
        print(f"{program}: work folder kept: {work}", flush=True)
    else:
        shutil.rmtree(work, ignore_errors=True)
    return soak.result


def report(result, args):
    rate = result.logged / result.seconds if result.seconds else 0
    faults = ", ".join(f"{result.faults[kind]} {kind}" for kind in FAULT_KINDS)
    print(f"{result.program}: {result.sent} records sent whole ({result.cut} more cut by drops), "
          f"{result.logged} logged, {rate:.0f} records/s over {result.seconds:.0f} s")
    print(f"{result.program}: faults injected: {faults}; log files rotated: {result.rotations}; "
          f"bus calls: {result.bus_calls}")
    print(f"{result.program}: peak memory {result.peak_kib / 1024:.1f} MiB "
          f"(bound {args.memory_bound} MiB; {result.settled_kib / 1024:.1f} MiB at the end of "
          f"the faults), CPU time {result.cpu_seconds:.1f} s")
    for problem in result.problems[:MAX_TOLD]:
        print(f"{result.program}: PROBLEM: {problem}")
    if len(result.problems) > MAX_TOLD:
        print(f"{result.program}: ... and {len(result.problems) - MAX_TOLD} more problems")
    sys.stdout.flush()


def parse_arguments(argv):
    parser = argparse.ArgumentParser(
        description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    option = parser.add_argument
    option("--short", action="store_true",
           help="the short form: 20 s per program and each fault at least twice")
    option("--seconds", type=float, default=600,
           help="how long each program floods (%(default)s)")
    option("--programs", default=",".join(PROGRAMS),
           help="which programs, comma-separated (%(default)s)")
    option("--build", default=os.path.join(SOURCE_DIR, "build", "release"),
           help="build folder to take the programs and soak_config from (%(default)s)")
    option("--comfenno", help="the comfenno program (from --build)")
    option("--netfenno", help="the netfenno program (from --build)")
    option("--soak-config", help="the soak_config helper (from --build)")
    option("--netfenno-role", choices=["server", "client"], default="server",
           help="netfenno listens (the device calls it) or calls the device (%(default)s)")
    option("--sanitized", action="store_true",
           help="the programs are built with the address sanitizer")
    option("--work-dir", help="where the work folders go (the temp folder)")
    option("--keep", action="store_true", help="keep the work folders of runs that held")
    args = parser.parse_args(argv)
    args.min_faults = 2 if args.short else 0
    if args.short:
        args.seconds = 20
    args.memory_bound = SANITIZED_MEMORY_BOUND_MIB if args.sanitized else MEMORY_BOUND_MIB
    args.programs = [name for name in args.programs.split(",") if name]
    if any(name not in PROGRAMS for name in args.programs):
        parser.error(f"--programs takes {', '.join(PROGRAMS)}")
    args.build = os.path.abspath(args.build)  # the programs run in the work folder
    args.program_path = {
        "comfenno": args.comfenno or os.path.join(args.build, "src", "comfenno"),
        "netfenno": args.netfenno or os.path.join(args.build, "src", "netfenno"),
    }
    args.soak_config = args.soak_config or os.path.join(args.build, "tests", "soak", "soak_config")
    return args


def main(argv):
    args = parse_arguments(argv)
    try:
        import dbus  # noqa: F401
    except ImportError:
        print("soak: python3-dbus is missing (scripts/install-deps installs it)")
        return SKIPPED
    results = []
    for program in args.programs:
        result = soak_program(program, args)
        report(result, args)
        results.append(result)
    failed = [result.program for result in results if result.problems]
    print("soak: " + (f"FAILED: {', '.join(failed)}" if failed else "all records logged once, "
                      "in order, within the memory bound"))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
