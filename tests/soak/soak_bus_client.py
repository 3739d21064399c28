#!/usr/bin/env python3
"""A live-data client of the soak test: reads items or sends commands in a loop.

  soak_bus_client.py reader|commander BUS-ADDRESS SERVICE [serial]

  reader     asks for Field(1), RecordNumber and now and then the item list, and checks
             that the field holds a whole flood record (or nothing, after {CLEAR}) and that
             neither the record in the field nor the record number goes back
  commander  sends commands that must not cost a record: {SUSPEND} followed by {RESUME},
             {SEND(...)} to the device, {CLEAR}, and for the serial program line commands

It ends on SIGTERM after finishing the round under way (so the engine is never left
suspended) and prints one line: BUS <role> calls=<n> problems=<n>; each problem is told on
standard error as well. Needs python3-dbus.
"""

import signal
import sys
import time

import dbus

from soak_device import RECORD_SIZE, FloodRecords

INTERFACE = "dde.Conversation"
# Commands that never cost a record; each must be accepted.
COMMON_COMMANDS = [["{SUSPEND}", "{RESUME}"], ["{SEND(soak)}"], ["{CLEAR}"],
                   ["{SENDOUT('soak'13,10)}"]]
SERIAL_COMMANDS = [["{DTR=ON}"], ["{RTS=ON}"], ["{BAUD115200}"]]
# Problems told in full; beyond these only counted.
MAX_TOLD = 20
# Seconds between two calls, and a call may take before it counts as a problem.
PACE, CALL_TIMEOUT = 0.02, 120


class Client:
    def __init__(self, role, address, service, serial):
        self.role, self.serial = role, serial
        self.records = FloodRecords(RECORD_SIZE)
        bus = dbus.bus.BusConnection(address)
        self.engine = dbus.Interface(bus.get_object(service, "/", introspect=False), INTERFACE)
        self.calls = 0
        self.problems = 0
        self.stopping = False
        self.last_sequence = 0
        self.last_record_number = 0

    def problem(self, text):
        self.problems += 1
        if self.problems <= MAX_TOLD:
            sys.stderr.write(f"soak_bus_client {self.role}: {text}\n")

    def call(self, method, *arguments):
        self.calls += 1
        try:
            return getattr(self.engine, method)(*arguments, timeout=CALL_TIMEOUT)
        except dbus.DBusException as error:
            self.problem(f"{method}{arguments}: {error.get_dbus_name()}: {error}")
            return None

    def check_field(self, value):
        if value is None or value == "":
            return
        text = str(value).encode("latin-1")
        try:
            sequence = int(text[4:14])
        except ValueError:
            sequence = 0
        # The field is the record as sent up to its ending CR.
        if sequence <= 0 or text + b"\n" != self.records.record(sequence):
            self.problem(f"Field(1) holds no whole record: {text[:80]!r}")
        elif sequence < self.last_sequence:
            self.problem(f"Field(1) went back from record {self.last_sequence} to {sequence}")
        else:
            self.last_sequence = sequence

    def check_record_number(self, value):
        if value is None or value == "":
            return
        if not str(value).isdigit():
            self.problem(f"RecordNumber is not a number: {value!r}")
        elif int(value) < self.last_record_number:
            self.problem(f"RecordNumber went back from {self.last_record_number} to {value}")
        else:
            self.last_record_number = int(value)

    def read_round(self, round_number):
        self.check_field(self.call("Request", "Field(1)"))
        self.check_record_number(self.call("Request", "RecordNumber"))
        if round_number % 10 == 0:
            items = self.call("Items")
            if items is not None and "Field(1)" not in [str(item) for item in items]:
                self.problem(f"Field(1) missing from the items: {list(items)}")

    def command_rounds(self):
        rounds = list(COMMON_COMMANDS)
        if self.serial:
            rounds += SERIAL_COMMANDS
        return rounds

    def command_round(self, round_number):
        rounds = self.command_rounds()
        for command in rounds[round_number % len(rounds)]:
            accepted = self.call("Execute", command)
            if accepted is not None and not accepted:
                self.problem(f"{command} was refused")
            time.sleep(PACE)

    def run(self):
        signal.signal(signal.SIGTERM, lambda *_: setattr(self, "stopping", True))
        one_round = self.read_round if self.role == "reader" else self.command_round
        round_number = 0
        while not self.stopping:
            one_round(round_number)
            round_number += 1
            time.sleep(PACE)
        print(f"BUS {self.role} calls={self.calls} problems={self.problems}", flush=True)


def main(argv):
    role, address, service, *serial = argv
    Client(role, address, service, serial == ["serial"]).run()
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
