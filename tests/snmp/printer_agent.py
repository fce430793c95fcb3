#!/usr/bin/env python3
"""Serves printer tables to snmpd through its pass_persist protocol.

snmpd starts one of these per registered subtree and keeps it running; it
asks on stdin ("PING", "get", "getnext", "set") and reads answers on stdout.
The rows come from a profile file: one "OID TYPE VALUE" line each, TYPE being
one of snmpd's pass types (integer, gauge, counter, timeticks, objectid,
string, octet, ipaddress); "#" starts a comment.
"""
import sys


def load(path, subtree):
    rows = {}
    with open(path, encoding="utf-8") as f:
        for line in f:
            line = line.split("#", 1)[0].strip()
            if not line:
                continue
            oid, typ, value = line.split(None, 2)
            key = tuple(int(p) for p in oid.strip(".").split("."))
            if key[:len(subtree)] == subtree:
                rows[key] = (typ, value)
    return rows


def main():
    subtree = tuple(int(p) for p in sys.argv[1].strip(".").split("."))
    rows = load(sys.argv[2], subtree)
    keys = sorted(rows)
    out = sys.stdout

    def answer(key):
        if key is None:
            out.write("NONE\n")
        else:
            typ, value = rows[key]
            out.write("." + ".".join(map(str, key)) + "\n" + typ + "\n" + value + "\n")
        out.flush()

    for line in sys.stdin:
        command = line.strip()
        if command == "PING":
            out.write("PONG\n")
            out.flush()
        elif command in ("get", "getnext"):
            requested = sys.stdin.readline().strip().strip(".")
            key = tuple(int(p) for p in requested.split(".")) if requested else ()
            if command == "get":
                answer(key if key in rows else None)
            else:
                answer(next((k for k in keys if k > key), None))
        elif command == "set":
            sys.stdin.readline()
            sys.stdin.readline()
            out.write("not-writable\n")
            out.flush()
        elif command == "":
            break


if __name__ == "__main__":
    main()
