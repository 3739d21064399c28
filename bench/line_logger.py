#!/usr/bin/env python3
"""Logs each line from a device as it arrives: open the log, append the line, close it.

The yardstick a hand-written logging script sets:
  line_logger.py HOST PORT LOGFILE         a TCP device; ends when it closes the connection
  line_logger.py --device PATH LOGFILE     a serial device (raw); ends when it hangs up
  line_logger.py --device PATH LOGFILE --ack TEXT   also answers each line with TEXT
"""

import os
import socket
import sys
import termios
import tty


def log_lines(lines, path, answer=None):
    for line in lines:
        with open(path, "ab") as log:
            log.write(line)
        if answer:
            answer()


def main(args):
    if args[0] != "--device":
        with socket.create_connection((args[0], int(args[1]))) as connection:
            log_lines(connection.makefile("rb"), args[2])
        return
    fd = os.open(args[1], os.O_RDWR | os.O_NOCTTY)
    tty.setraw(fd)
    termios.tcflush(fd, termios.TCIFLUSH)
    ack = args[4].encode("latin-1") if len(args) > 4 and args[3] == "--ack" else None
    with os.fdopen(fd, "rb") as device:
        log_lines(iter(device.readline, b""), args[2], (lambda: os.write(fd, ack)) if ack else None)


if __name__ == "__main__":
    main(sys.argv[1:])
