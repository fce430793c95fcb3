#!/usr/bin/env python3
"""Real SNMP agents for the network library's tests: one snmpd per printer
profile, each on its own free UDP port of 127.0.0.1 (never another address),
serving the profile's tables through printer_agent.py.

  agents.py run STATE-DIR [--only PROFILE] -- COMMAND ...
      starts the agents, runs COMMAND with OEMUN_TEST_AGENTS set to
      "profile:port,..." and stops the agents again, whatever COMMAND did;
      exits with COMMAND's exit code.
  agents.py start STATE-DIR [--only PROFILE]   (prints OEMUN_TEST_AGENTS=...)
  agents.py stop STATE-DIR

Profiles are the files in profiles/; a profile whose name starts with "v1"
gets an agent that only accepts SNMP v1 (v2c requests are dropped, as old
printers do).
"""
import os
import signal
import socket
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
PROFILES = os.path.join(HERE, "profiles")
SUBTREES = (".1.3.6.1.2.1.43", ".1.3.6.1.2.1.25")
# The agent's own Host-Resources modules would describe this machine's
# disks; the profiles' tables take their place.
HOST_MODULES = ("hr_system,hr_storage,hr_device,hr_other,hr_proc,hr_network,hr_print,hr_disk,"
                "hr_partition,hr_filesys,hr_swrun,hr_swinst,hrh_storage,hrh_filesys,"
                "hrSWRunTable,hrSWInstalledTable")
LOOPBACK = "127.0.0.1"


def free_udp_port():
    s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    s.bind((LOOPBACK, 0))
    port = s.getsockname()[1]
    s.close()
    return port


def write_config(path, profile_file, v1_only):
    lines = []
    if v1_only:
        lines += [
            "com2sec printer %s public" % LOOPBACK,
            "group printers v1 printer",
            "view everything included .1",
            'access printers "" v1 noauth exact everything none none',
        ]
    else:
        lines.append("rocommunity public %s" % LOOPBACK)
    for subtree in SUBTREES:
        lines.append("pass_persist %s %s %s %s %s" % (subtree, sys.executable,
                                                    os.path.join(HERE, "printer_agent.py"),
                                                    subtree, profile_file))
    with open(path, "w", encoding="utf-8") as f:
        f.write("\n".join(lines) + "\n")


def getnext_request(version, oid_body):
    # GETNEXT of one name, community "public", request id 1.
    oid = bytes([0x06, len(oid_body)]) + oid_body
    vb = bytes([0x30, len(oid) + 2]) + oid + bytes([0x05, 0x00])
    vbl = bytes([0x30, len(vb)]) + vb
    pdu_body = bytes([0x02, 0x01, 0x01, 0x02, 0x01, 0x00, 0x02, 0x01, 0x00]) + vbl
    pdu = bytes([0xA1, len(pdu_body)]) + pdu_body
    body = bytes([0x02, 0x01, version, 0x04, 0x06]) + b"public" + pdu
    return bytes([0x30, len(body)]) + body


# One name in each served subtree: the first question into a subtree starts
# its pass_persist helper, which should not count against the library's
# time-outs in the tests and the benchmark.
WARM_UP = (bytes([0x2B, 6, 1, 2, 1, 43]), bytes([0x2B, 6, 1, 2, 1, 25]))


def wait_until_answering(port, version, seconds=20):
    deadline = time.time() + seconds
    s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    s.settimeout(0.5)
    try:
        for oid in WARM_UP:
            while True:
                if time.time() > deadline:
                    return False
                s.sendto(getnext_request(version, oid), (LOOPBACK, port))
                try:
                    s.recvfrom(4096)
                    break
                except socket.timeout:
                    pass
    finally:
        s.close()
    return True


def start(state_dir, only=None):
    os.makedirs(state_dir, exist_ok=True)
    stop(state_dir)
    started = []
    for name in sorted(os.listdir(PROFILES)):
        if not name.endswith(".txt"):
            continue
        profile = name[:-4]
        if only and profile != only:
            continue
        port = free_udp_port()
        v1_only = profile.startswith("v1")
        conf = os.path.join(state_dir, profile + ".conf")
        write_config(conf, os.path.join(PROFILES, name), v1_only)
        persistent = os.path.join(state_dir, profile + ".state")
        os.makedirs(persistent, exist_ok=True)
        env = dict(os.environ, SNMP_PERSISTENT_DIR=persistent, MIBS="")
        log = open(os.path.join(state_dir, profile + ".log"), "w")
        proc = subprocess.Popen(["snmpd", "-f", "-C", "-c", conf, "-Lo", "-I", "-" + HOST_MODULES,
                                 "udp:%s:%d" % (LOOPBACK, port)],
                                stdin=subprocess.DEVNULL, stdout=log, stderr=subprocess.STDOUT, env=env,
                                start_new_session=True)
        with open(os.path.join(state_dir, profile + ".pid"), "w") as f:
            f.write(str(proc.pid))
        started.append((profile, port, v1_only))
    for profile, port, v1_only in started:
        if not wait_until_answering(port, 0 if v1_only else 1):
            stop(state_dir)
            raise SystemExit("agents.py: the %s agent on port %d does not answer (see %s)"
                             % (profile, port, os.path.join(state_dir, profile + ".log")))
    value = ",".join("%s:%d" % (p, port) for p, port, _ in started)
    with open(os.path.join(state_dir, "agents.env"), "w") as f:
        f.write(value + "\n")
    return value


def reap(pid):
    # Our own children must be waited for, or they linger as zombies.
    try:
        return os.waitpid(pid, os.WNOHANG)[0] == pid
    except ChildProcessError:
        return False


def stop(state_dir):
    if not os.path.isdir(state_dir):
        return
    for name in os.listdir(state_dir):
        if not name.endswith(".pid"):
            continue
        path = os.path.join(state_dir, name)
        conf = os.path.join(state_dir, name[:-4] + ".conf")
        try:
            pid = int(open(path).read().strip())
            # Only an agent this script started with that configuration: a
            # stale file may name a process id that is now someone else's.
            with open("/proc/%d/cmdline" % pid, "rb") as f:
                if conf.encode() not in f.read().split(b"\0"):
                    raise ProcessLookupError
            os.kill(pid, signal.SIGTERM)
            for _ in range(50):
                if reap(pid):
                    break
                os.kill(pid, 0)
                time.sleep(0.1)
            else:
                os.kill(pid, signal.SIGKILL)
                reap(pid)
        except (ValueError, OSError):
            pass
        os.remove(path)


def main(argv):
    if len(argv) < 3 or argv[1] not in ("run", "start", "stop"):
        print(__doc__, file=sys.stderr)
        return 2
    command, state_dir, rest = argv[1], argv[2], argv[3:]
    only = None
    if rest[:1] == ["--only"] and len(rest) >= 2:
        only, rest = rest[1], rest[2:]
    if command == "stop":
        stop(state_dir)
        return 0
    if command == "start":
        print("OEMUN_TEST_AGENTS=" + start(state_dir, only))
        return 0
    if rest[:1] != ["--"] or len(rest) < 2:
        print(__doc__, file=sys.stderr)
        return 2
    try:
        value = start(state_dir, only)
        env = dict(os.environ, OEMUN_TEST_AGENTS=value)
        return subprocess.call(rest[1:], env=env)
    finally:
        stop(state_dir)


if __name__ == "__main__":
    sys.exit(main(sys.argv))
