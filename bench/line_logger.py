#!/usr/bin/env python3
"""Logs each line from a TCP device as it arrives: open the log, append the line, close it.

The yardstick a hand-written logging script sets: line_logger.py HOST PORT LOGFILE.
It ends when the device closes the connection.
"""

import socket
import sys


def main(host, port, path):
    with socket.create_connection((host, int(port))) as connection:
        for line in connection.makefile("rb"):
            with open(path, "ab") as log:
                log.write(line)


if __name__ == "__main__":
    main(*sys.argv[1:4])
